#include "controls/WebLinkMaps.h"

#include "toolbox/AllTools.h"

namespace vs {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && UpperCase(text.substr(0, prefix.size())) == UpperCase(prefix);
}

// A scheme before a colon: a letter, then letters, digits, "+", "-" or "."
// ("localhost:8080" is a host and a port, not a scheme).
bool HasScheme(std::string_view address) {
  const size_t colon = address.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(address[0])) return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = address[i];
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  const bool port = colon + 1 < address.size() && address[colon + 1] >= '0' && address[colon + 1] <= '9';
  return !port;
}

}  // namespace

std::optional<std::string> WebLinkAddress(std::string_view address) {
  const std::string a = Trim(address);
  if (a.empty()) return std::nullopt;
  for (unsigned char c : a)
    if (c < 0x20 || c == 0x7F) return std::nullopt;
  // A web address may hold an "@" of its own (a user name).
  for (const char* web : {"http://", "https://"})
    if (StartsWithNoCase(a, web)) return a;
  if (a.find('@') != std::string::npos && UpperCase(a).find("MAILTO:") == std::string::npos)
    return HasScheme(a) ? std::nullopt : std::optional<std::string>("mailto:" + a);
  if (StartsWithNoCase(a, "mailto:")) return a;
  if (HasScheme(a)) return std::nullopt;
  return "http://" + a;
}

}  // namespace vs
