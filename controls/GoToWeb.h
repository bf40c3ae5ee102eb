#pragma once
// Opening a web link in the user's browser (or a mail address in the mail
// program) the desktop's way. The about box and the song information
// viewer open their links through this routine; TGoToWeb is the link a
// window holds (the about box's credits).

#include <string>

namespace vs {

// Opens WebLinkAddress(address) (controls/WebLinkMaps.h). False when the
// address is refused or the desktop could not open it; nothing is shown.
bool OpenUrlInBrowser(const std::string& address);

enum class TBrowserState { gwMaximized = 0, gwNormal = 1 };

// A web link: Execute opens Url. EMail is kept for the owner and never
// opened. The desktop places the browser's window itself, so BrowserState
// is only kept.
class TGoToWeb {
public:
  std::string Url;
  std::string EMail;
  TBrowserState BrowserState = TBrowserState::gwMaximized;

  bool Execute() const { return OpenUrlInBrowser(Url); }
};

}  // namespace vs
