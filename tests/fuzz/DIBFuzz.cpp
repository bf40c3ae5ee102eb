// libFuzzer target for the bitmap reader (clang, VS_FUZZ=ON): the file form
// and the data form, then decoding, copying and writing what was read.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolbox/DIBImage.h"

namespace {

void Check(const std::shared_ptr<vs::TDIBImage>& img) {
  if (!img || img->Empty()) return;
  if (img->Bits.size() != img->ImageSize) abort();
  if (vs::DIBToARGB32(*img).size() != size_t(img->Width) * size_t(img->Height)) abort();
  vs::DuplicateDIBImage(*img);
  const std::string written = vs::WriteDIBFile(*img);
  if (vs::WriteDIBFile(*vs::ReadDIBFile(written)) != written) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    Check(vs::ReadDIBFile(bytes));
  } catch (const vs::EDIBError&) {
  }
  try {
    Check(vs::ReadDIBData(bytes));
  } catch (const vs::EDIBError&) {
  }
  return 0;
}
