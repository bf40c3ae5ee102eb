#include "SongTestKit.h"

#include <gtest/gtest.h>

namespace vs::test {

std::vector<DecodedEvent> DecodeImage(const std::vector<uint8_t>& img) {
  std::vector<DecodedEvent> out;
  EXPECT_GE(img.size(), 22u);
  if (img.size() < 22) return out;
  EXPECT_EQ(std::memcmp(img.data(), "ZMhd", 4), 0);
  EXPECT_EQ(std::memcmp(img.data() + 14, "ZMdt", 4), 0);
  const uint32_t len = img[18] | img[19] << 8 | img[20] << 16 | uint32_t(img[21]) << 24;
  EXPECT_EQ(len, img.size() - 22);
  size_t pos = 22;
  while (pos < img.size()) {
    DecodedEvent e{img[pos], 0, {}, pos};
    ++pos;
    size_t n;
    if (e.Id < 64) {
      n = 1;
    } else if (e.Id < 128) {
      n = 2;
    } else if (e.Id < 192) {
      n = 4;
    } else {
      n = 0;
      int shift = 0;
      uint8_t b;
      do {
        b = img.at(pos++);
        n |= size_t(b & 0x7F) << shift;
        shift += 7;
      } while (b & 0x80);
    }
    if (pos + n > img.size()) {
      ADD_FAILURE() << "event " << int(e.Id) << " runs past the end";
      return out;
    }
    e.Payload.assign(img.begin() + pos, img.begin() + pos + n);
    if (e.Id < 192)
      for (size_t i = 0; i < n; ++i) e.Value |= uint32_t(e.Payload[i]) << (8 * i);
    pos += n;
    out.push_back(std::move(e));
  }
  return out;
}

std::string TextOf(const DecodedEvent& e) {
  std::string s(e.Payload.begin(), e.Payload.end());
  if (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

}  // namespace vs::test
