// SilentWebPage: the page behind the embedded browser. It never shows a
// dialog box of its own: script alerts, confirmations and prompts, file
// pickers, log-ins and certificate questions are all answered "no" without
// asking the user, and script console output is dropped.
#ifndef ZARVO_APP_SILENT_WEB_PAGE_H_
#define ZARVO_APP_SILENT_WEB_PAGE_H_

#include <QWebEnginePage>

namespace zarvo {

class SilentWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  // A page in `profile`, owned by `parent`.
  SilentWebPage(QWebEngineProfile* profile, QObject* parent);

  // How many dialogs the page has swallowed so far (alerts, confirmations,
  // prompts, file pickers, log-ins, certificate questions).
  int SwallowedDialogs() const { return swallowedDialogs_; }

 protected:
  void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message,
                        const QString& defaultValue, QString* result) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceId) override;
  QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                          const QStringList& acceptedMimeTypes) override;

 private:
  int swallowedDialogs_ = 0;
};

}  // namespace zarvo

#endif  // ZARVO_APP_SILENT_WEB_PAGE_H_
