#pragma once
// What a web link may open: an address becomes a web or mail address for
// the desktop's browser or mail program, or nothing. A song's web address is
// untrusted text, so only "http", "https" and "mailto" are ever opened.

#include <optional>
#include <string>
#include <string_view>

namespace vs {

// The address to open, trimmed of blanks:
// - one that begins with "http://" or "https://" (any letter case) stays;
// - one with "@" that does not hold "mailto:" (in any case) gets "mailto:"
//   in front; one that begins with "mailto:" stays;
// - one without a scheme ("www.example.com", "example.com:8080/page") gets
//   "http://" in front;
// - anything else (another scheme, an empty address, control characters)
//   opens nothing.
std::optional<std::string> WebLinkAddress(std::string_view address);

}  // namespace vs
