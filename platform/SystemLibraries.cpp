#include "platform/SystemLibraries.h"

// The functions defined below take the libraries' own names; they stay
// inside the program (hidden), so that a library loaded by something else
// (the sound server's client library brings libsndfile) keeps calling its
// own functions, never these. What the two headers include comes first, so
// that only their own declarations are hidden.
#include <stdint.h>
#include <stdio.h>
#include <sys/types.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#define ZIP_EXTERN
#pragma GCC visibility push(hidden)
#include <sndfile.h>
#include <zip.h>
#pragma GCC visibility pop

#include "platform/SharedLibrary.h"

namespace vs {

namespace {

// A library loaded by its file name on first use, with every function the
// program calls looked up at once.
class TLazyLibrary {
public:
  TLazyLibrary(const char* title, const char* fileName, const char* const* names, int count)
      : Title(title), FileName(fileName), Names(names), Count(count) {}

  bool Load(std::string* why) {
    std::call_once(Once, [this] {
      if (!Library.Open(FileName, {})) {
        Error = std::string("The ") + Title + " library (" + FileName + ") can't be loaded";
        return;
      }
      Functions = new void*[Count];
      for (int i = 0; i < Count; ++i) {
        Functions[i] = Library.Symbol(Names[i]);
        if (!Functions[i]) {
          Error = std::string("The ") + Title + " library (" + FileName + ") lacks " + Names[i];
          Library.Close();
          return;
        }
      }
      Ready = true;
    });
    if (!Ready && why) *why = Error;
    return Ready;
  }

  // Only called after Load succeeded (every entry point loads first).
  void* Function(int index) {
    if (!Ready) {
      std::fprintf(stderr, "VorbelSteps: %s called before it was loaded\n", Names[index]);
      std::abort();
    }
    return Functions[index];
  }

private:
  const char* Title;
  const char* FileName;
  const char* const* Names;
  int Count;
  std::once_flag Once;
  TSharedLibrary Library;
  void** Functions = nullptr;
  std::string Error;
  bool Ready = false;
};

#define VS_ENUM(name) Fn_##name,
#define VS_NAME(name) #name,

#define VS_SNDFILE_FUNCTIONS(X) X(sf_open_virtual) X(sf_command) X(sf_readf_float) X(sf_close)

#define VS_LIBZIP_FUNCTIONS(X)                                                                                       \
  X(zip_close) X(zip_dir_add) X(zip_discard) X(zip_encryption_method_supported) X(zip_error_clear)                    \
  X(zip_error_code_zip) X(zip_error_fini) X(zip_error_init) X(zip_error_init_with_code) X(zip_error_set)               \
  X(zip_error_strerror) X(zip_error_to_data) X(zip_fclose) X(zip_file_add) X(zip_file_get_comment)                    \
  X(zip_file_get_external_attributes) X(zip_file_set_encryption) X(zip_file_strerror) X(zip_fopen_index)              \
  X(zip_fread) X(zip_get_error) X(zip_get_name) X(zip_get_num_entries) X(zip_name_locate) X(zip_open)                 \
  X(zip_open_from_source) X(zip_register_cancel_callback_with_state) X(zip_register_progress_callback_with_state)     \
  X(zip_set_default_password) X(zip_set_file_compression) X(zip_source_file) X(zip_source_file_create) X(zip_source_free)                      \
  X(zip_source_function_create) X(zip_source_seek_compute_offset) X(zip_stat_index) X(zip_stat_init) X(zip_strerror)

enum { VS_SNDFILE_FUNCTIONS(VS_ENUM) SndfileFunctionCount };
enum { VS_LIBZIP_FUNCTIONS(VS_ENUM) LibZipFunctionCount };
const char* const SndfileNames[] = {VS_SNDFILE_FUNCTIONS(VS_NAME)};
const char* const LibZipNames[] = {VS_LIBZIP_FUNCTIONS(VS_NAME)};

// Never unloaded: what they made (open files, archives) may live until the
// program ends.
TLazyLibrary& Sndfile() {
  static TLazyLibrary& library = *new TLazyLibrary("sound file", VS_SNDFILE_LIBRARY, SndfileNames, SndfileFunctionCount);
  return library;
}

TLazyLibrary& LibZip() {
  static TLazyLibrary& library = *new TLazyLibrary("ZIP", VS_LIBZIP_LIBRARY, LibZipNames, LibZipFunctionCount);
  return library;
}

}  // namespace

bool LoadSndfile(std::string* why) { return Sndfile().Load(why); }
bool LoadLibZip(std::string* why) { return LibZip().Load(why); }

}  // namespace vs

// Each function: the loaded library's function of the same name.
#define VS_CALL(library, name) reinterpret_cast<decltype(&::name)>(vs::library().Function(vs::Fn_##name))
#define VS_SF(ret, name, params, args) \
  ret name params { return VS_CALL(Sndfile, name) args; }
#define VS_ZIP(ret, name, params, args) \
  ret name params { return VS_CALL(LibZip, name) args; }

extern "C" {

VS_SF(SNDFILE*, sf_open_virtual, (SF_VIRTUAL_IO * io, int mode, SF_INFO* info, void* user), (io, mode, info, user))
VS_SF(int, sf_command, (SNDFILE * sf, int command, void* data, int size), (sf, command, data, size))
VS_SF(sf_count_t, sf_readf_float, (SNDFILE * sf, float* ptr, sf_count_t frames), (sf, ptr, frames))
VS_SF(int, sf_close, (SNDFILE * sf), (sf))

VS_ZIP(int, zip_close, (zip_t * za), (za))
VS_ZIP(zip_int64_t, zip_dir_add, (zip_t * za, const char* name, zip_flags_t flags), (za, name, flags))
VS_ZIP(void, zip_discard, (zip_t * za), (za))
VS_ZIP(int, zip_encryption_method_supported, (zip_uint16_t method, int encode), (method, encode))
VS_ZIP(void, zip_error_clear, (zip_t * za), (za))
VS_ZIP(int, zip_error_code_zip, (const zip_error_t* e), (e))
VS_ZIP(void, zip_error_fini, (zip_error_t * e), (e))
VS_ZIP(void, zip_error_init, (zip_error_t * e), (e))
VS_ZIP(void, zip_error_init_with_code, (zip_error_t * e, int code), (e, code))
VS_ZIP(void, zip_error_set, (zip_error_t * e, int ze, int se), (e, ze, se))
VS_ZIP(const char*, zip_error_strerror, (zip_error_t * e), (e))
VS_ZIP(zip_int64_t, zip_error_to_data, (const zip_error_t* e, void* data, zip_uint64_t length), (e, data, length))
VS_ZIP(int, zip_fclose, (zip_file_t * f), (f))
VS_ZIP(zip_int64_t, zip_file_add, (zip_t * za, const char* name, zip_source_t* s, zip_flags_t flags),
       (za, name, s, flags))
VS_ZIP(const char*, zip_file_get_comment, (zip_t * za, zip_uint64_t i, zip_uint32_t* length, zip_flags_t flags),
       (za, i, length, flags))
VS_ZIP(int, zip_file_get_external_attributes,
       (zip_t * za, zip_uint64_t i, zip_flags_t flags, zip_uint8_t* system, zip_uint32_t* attributes),
       (za, i, flags, system, attributes))
VS_ZIP(int, zip_file_set_encryption, (zip_t * za, zip_uint64_t i, zip_uint16_t method, const char* password),
       (za, i, method, password))
VS_ZIP(const char*, zip_file_strerror, (zip_file_t * f), (f))
VS_ZIP(zip_file_t*, zip_fopen_index, (zip_t * za, zip_uint64_t i, zip_flags_t flags), (za, i, flags))
VS_ZIP(zip_int64_t, zip_fread, (zip_file_t * f, void* buf, zip_uint64_t n), (f, buf, n))
VS_ZIP(zip_error_t*, zip_get_error, (zip_t * za), (za))
VS_ZIP(const char*, zip_get_name, (zip_t * za, zip_uint64_t i, zip_flags_t flags), (za, i, flags))
VS_ZIP(zip_int64_t, zip_get_num_entries, (zip_t * za, zip_flags_t flags), (za, flags))
VS_ZIP(zip_int64_t, zip_name_locate, (zip_t * za, const char* name, zip_flags_t flags), (za, name, flags))
VS_ZIP(zip_t*, zip_open, (const char* path, int flags, int* error), (path, flags, error))
VS_ZIP(zip_t*, zip_open_from_source, (zip_source_t * s, int flags, zip_error_t* e), (s, flags, e))
VS_ZIP(int, zip_register_cancel_callback_with_state,
       (zip_t * za, zip_cancel_callback callback, void (*free)(void*), void* state), (za, callback, free, state))
VS_ZIP(int, zip_register_progress_callback_with_state,
       (zip_t * za, double precision, zip_progress_callback callback, void (*free)(void*), void* state),
       (za, precision, callback, free, state))
VS_ZIP(int, zip_set_default_password, (zip_t * za, const char* password), (za, password))
VS_ZIP(int, zip_set_file_compression, (zip_t * za, zip_uint64_t i, zip_int32_t method, zip_uint32_t level),
       (za, i, method, level))
VS_ZIP(zip_source_t*, zip_source_file, (zip_t * za, const char* name, zip_uint64_t start, zip_int64_t length),
       (za, name, start, length))
VS_ZIP(zip_source_t*, zip_source_file_create, (const char* name, zip_uint64_t start, zip_int64_t length, zip_error_t* e),
       (name, start, length, e))
VS_ZIP(void, zip_source_free, (zip_source_t * s), (s))
VS_ZIP(zip_source_t*, zip_source_function_create, (zip_source_callback callback, void* user, zip_error_t* e),
       (callback, user, e))
VS_ZIP(zip_int64_t, zip_source_seek_compute_offset,
       (zip_uint64_t offset, zip_uint64_t length, void* data, zip_uint64_t size, zip_error_t* e),
       (offset, length, data, size, e))
VS_ZIP(int, zip_stat_index, (zip_t * za, zip_uint64_t i, zip_flags_t flags, zip_stat_t* st), (za, i, flags, st))
VS_ZIP(void, zip_stat_init, (zip_stat_t * st), (st))
VS_ZIP(const char*, zip_strerror, (zip_t * za), (za))

}  // extern "C"
