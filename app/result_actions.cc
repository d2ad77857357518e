#include "app/result_actions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "app/hosts.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "text/text.h"

namespace zarvo {
namespace {

// Column 2 of the result list holds the magnet link.
constexpr int kLinkColumn = 2;

// What "播放" strips off a link, and how much of the rest is the hash.
constexpr char kMagnetPrefix[] = "magnet:?xt=urn:btih:";
constexpr int32_t kHashBytes = 40;

constexpr char kMagnetScheme[] = "magnet:";
constexpr char kPlaybackPage[] = "/api.html?url=";

// There are two pages; asking for page 2 brings up the last one, "播放".
constexpr int kPlaybackTab = 2;

Text SelectedLink(const MainWindow& window) { return window.CellText(window.SelectedRow(), kLinkColumn); }

}  // namespace

void ShowResultMenu(MainWindow& window) { window.ShowPopupMenu(); }

void CopyMagnetLink(MainWindow& window) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  clipboard->setText(ToQString(SelectedLink(window)), QClipboard::Clipboard);
}

bool IsMagnetLink(const Text& link) {
  const Text scheme = kMagnetScheme;
  return CompareText(ToLowerCase(TextLeft(link, TextLength(scheme))), scheme) == 0;
}

void OpenMagnetLink(MainWindow& window) {
  const Text link = SelectedLink(window);
  if (!IsMagnetLink(link)) return;
  const QUrl url(ToQString(link), QUrl::TolerantMode);
  if (url.scheme() != QLatin1String("magnet")) return;
  QDesktopServices::openUrl(url);
}

Text PlaybackAddress(const Text& link) {
  const Text rest = ReplaceText(link, kMagnetPrefix, Text(), false);
  return ConcatText("http://", Hosts().playbackHost, kPlaybackPage, TextLeft(rest, kHashBytes));
}

void PlayMagnetLink(MainWindow& window) {
  window.SetBrowserAddress(PlaybackAddress(SelectedLink(window)));
  window.SetCurrentPage(kPlaybackTab);
}

}  // namespace zarvo
