#include "controls/GoToWeb.h"

#include <QDesktopServices>
#include <QUrl>

#include "controls/WebLinkMaps.h"

namespace vs {

bool OpenUrlInBrowser(const std::string& address) {
  const std::optional<std::string> target = WebLinkAddress(address);
  if (!target) return false;
  const QUrl url(QString::fromStdString(*target), QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != "http" && scheme != "https" && scheme != "mailto")) return false;
  return QDesktopServices::openUrl(url);
}

}  // namespace vs
