// What a web link opens: web and mail addresses only.

#include <gtest/gtest.h>

#include "controls/WebLinkMaps.h"

namespace vs {
namespace {

TEST(WebLinkMapsTest, OnlyWebAndMailAddressesOpen) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://example.org/a?b=1", "https://example.org/a?b=1"},
      {"  HTTP://Example.org  ", "HTTP://Example.org"},
      {"www.example.org/loops", "http://www.example.org/loops"},
      {"localhost:8080/x", "http://localhost:8080/x"},
      {"someone@example.org", "mailto:someone@example.org"},
      {"MailTo:someone@example.org", "MailTo:someone@example.org"},
      {"http://user@example.org/", "http://user@example.org/"},
      {"file:///etc/passwd", nullptr},
      {"javascript:alert('a@b')", nullptr},
      {"smb://server/share", nullptr},
      {"http://x\n.org", nullptr},
      {"   ", nullptr},
  };
  for (const auto& [address, expected] : cases) {
    const std::optional<std::string> got = WebLinkAddress(address);
    if (expected)
      EXPECT_EQ(got.value_or("(none)"), expected) << address;
    else
      EXPECT_FALSE(got) << address;
  }
}

}  // namespace
}  // namespace vs
