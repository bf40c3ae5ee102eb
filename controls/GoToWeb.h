#pragma once
// Opening a web link in the user's browser (or a mail address in the mail
// program) the desktop's way. The about box and the song information
// viewer open their links through this routine.

#include <string>

namespace vs {

// Opens WebLinkAddress(address) (controls/WebLinkMaps.h). False when the
// address is refused or the desktop could not open it; nothing is shown.
bool OpenUrlInBrowser(const std::string& address);

}  // namespace vs
