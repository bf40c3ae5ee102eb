// libFuzzer target for the rich text reader and writer (clang, VS_FUZZ=ON):
// any input reads, and what the writer makes of it reads back the same.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolbox/RTFText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view rtf(reinterpret_cast<const char*>(data), size);
  const vs::TRTFDocument doc = vs::ReadRTF(rtf);
  if (!(vs::ReadRTF(vs::WriteRTF(doc)) == doc)) abort();
  vs::RTFToPlainText(rtf);
  return 0;
}
