// A stand-in for the drum-script renderer: returns the number on the
// script's first line (2 when it can't be read) and, for 0, writes "RIFF"
// to the WAV path. Built with its export under another name when
// FAKE_NO_EXPORT is defined.

#include <cstdint>
#include <fstream>

#ifdef FAKE_NO_EXPORT
#define FAKE_EXPORT_NAME ds2wav_renamed
#else
#define FAKE_EXPORT_NAME ds2wav
#endif

extern "C" __attribute__((visibility("default"))) int32_t FAKE_EXPORT_NAME(const char* script,
                                                                           const char* wav,
                                                                           void* window) {
  (void)window;
  std::ifstream in(script);
  int code = 2;
  if (!(in >> code)) return 2;
  if (code == 0) std::ofstream(wav, std::ios::binary) << "RIFF";
  return code;
}
