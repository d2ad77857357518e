#include "app/silent_web_page.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>

namespace zarvo {

SilentWebPage::SilentWebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
  // A page that asks for a log-in or presents a bad certificate simply fails
  // to load, as if the user had said no.
  connect(this, &QWebEnginePage::authenticationRequired, this,
          [this](const QUrl&, QAuthenticator* authenticator) {
            ++swallowedDialogs_;
            *authenticator = QAuthenticator();
          });
  connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
          [this](const QUrl&, QAuthenticator* authenticator, const QString&) {
            ++swallowedDialogs_;
            *authenticator = QAuthenticator();
          });
  connect(this, &QWebEnginePage::certificateError, this,
          [this](const QWebEngineCertificateError& error) {
            ++swallowedDialogs_;
            QWebEngineCertificateError copy = error;
            copy.rejectCertificate();
          });
}

void SilentWebPage::javaScriptAlert(const QUrl&, const QString&) { ++swallowedDialogs_; }

bool SilentWebPage::javaScriptConfirm(const QUrl&, const QString&) {
  ++swallowedDialogs_;
  return false;
}

bool SilentWebPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
  ++swallowedDialogs_;
  return false;
}

void SilentWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                             const QString&) {}

QStringList SilentWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) {
  ++swallowedDialogs_;
  return {};
}

}  // namespace zarvo
