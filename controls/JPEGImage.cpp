#include "controls/JPEGImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

// The library reports errors by calling error_exit, which must not return:
// it jumps back to the call that started the work. Only libjpeg's own C
// frames lie between, so no destructor is skipped; the work functions below
// keep nothing but plain values on their own frames.
struct TJPEGErrorTrap {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  int Code = 0;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto* trap = reinterpret_cast<TJPEGErrorTrap*>(info->err);
  trap->Code = info->err->msg_code;
  std::longjmp(trap->Jump, 1);
}

// Level -1 is a warning about damaged data (a file cut short gets made-up
// grey rows and this warning): a failure here. Trace levels say nothing.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}

void SilentOutput(j_common_ptr) {}

void InstallTrap(TJPEGErrorTrap& trap) {
  jpeg_std_error(&trap.Manager);
  trap.Manager.error_exit = ErrorExit;
  trap.Manager.emit_message = EmitMessage;
  trap.Manager.output_message = SilentOutput;
}

// Decodes into picture; 0 or the library's message number.
int DecodeInto(const uint8_t* data, size_t size, TRGBPicture* picture) {
  TJPEGErrorTrap trap;
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  InstallTrap(trap);
  info.err = &trap.Manager;
  if (setjmp(trap.Jump)) {
    jpeg_destroy_decompress(&info);
    return trap.Code;
  }
  jpeg_create_decompress(&info);
  if (size == 0) ERREXIT(&info, JERR_INPUT_EMPTY);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width > unsigned(MaxJPEGSide) || info.image_height > unsigned(MaxJPEGSide) ||
      int64_t(info.image_width) * info.image_height > MaxJPEGPixels)
    ERREXIT1(&info, JERR_IMAGE_TOO_BIG, MaxJPEGSide);
  const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  const int channels = info.output_components;
  if (channels != (grey ? 1 : 3)) ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
  picture->Width = static_cast<int>(info.output_width);
  picture->Height = static_cast<int>(info.output_height);
  picture->Pixels.assign(size_t(picture->Width) * picture->Height * 3, 0);
  while (info.output_scanline < info.output_height) {
    uint8_t* row = picture->Pixels.data() + size_t(info.output_scanline) * picture->Width * 3;
    JSAMPROW rows[1] = {row};
    jpeg_read_scanlines(&info, rows, 1);
    // A grey row is spread over the row from its end backwards.
    if (grey)
      for (int x = picture->Width - 1; x >= 0; --x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = row[x];
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return 0;
}

// Encodes picture into *buffer (malloc'd by the library); 0 or the
// library's message number.
int EncodeInto(const TRGBPicture* picture, int quality, bool grey, unsigned char** buffer, unsigned long* size,
               uint8_t* greyRow) {
  TJPEGErrorTrap trap;
  jpeg_compress_struct info;
  std::memset(&info, 0, sizeof info);
  InstallTrap(trap);
  info.err = &trap.Manager;
  if (setjmp(trap.Jump)) {
    jpeg_destroy_compress(&info);
    return trap.Code;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(picture->Width);
  info.image_height = static_cast<JDIMENSION>(picture->Height);
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const uint8_t* row = picture->Pixels.data() + size_t(info.next_scanline) * picture->Width * 3;
    JSAMPROW rows[1] = {const_cast<uint8_t*>(row)};
    if (grey) {
      for (int x = 0; x < picture->Width; ++x) greyRow[x] = row[3 * x];
      rows[0] = greyRow;
    }
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return 0;
}

}  // namespace

EJPEGError::EJPEGError(int code) : std::runtime_error(JPEGErrorText(code)), FCode(code) {}

std::string JPEGErrorText(int code) { return "JPEG error #" + std::to_string(code); }

TRGBPicture DecodeJPEG(std::string_view bytes) {
  TRGBPicture picture;
  if (const int code = DecodeInto(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &picture))
    throw EJPEGError(code);
  return picture;
}

TRGBPicture ReadJPEGFile(const std::string& fileName) {
  const std::optional<std::string> bytes = ReadFileBytes(fileName);
  return DecodeJPEG(bytes ? std::string_view(*bytes) : std::string_view());
}

std::string EncodeJPEG(const TRGBPicture& picture, int quality, bool grey) {
  if (picture.Empty() || picture.Width > MaxJPEGSide || picture.Height > MaxJPEGSide ||
      picture.Pixels.size() < size_t(picture.Width) * picture.Height * 3)
    throw EJPEGError(JERR_EMPTY_IMAGE);
  std::vector<uint8_t> greyRow(size_t(picture.Width));
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int code = EncodeInto(&picture, quality < 1 ? 1 : quality > 100 ? 100 : quality, grey, &buffer, &size,
                              greyRow.data());
  std::string bytes;
  if (!code && buffer) bytes.assign(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  if (code) throw EJPEGError(code);
  return bytes;
}

}  // namespace vs
