#pragma once
// A shared library loaded by name at run time (dlopen/dlsym). A library
// that lacks an export the caller needs counts as missing; the caller
// closes it and reports it so.

#include <string>
#include <vector>

namespace vs {

class TSharedLibrary {
public:
  TSharedLibrary() = default;
  ~TSharedLibrary();
  TSharedLibrary(const TSharedLibrary&) = delete;
  TSharedLibrary& operator=(const TSharedLibrary&) = delete;

  // Loads the library file name from the first folder of the list that
  // holds it, else through the system's own search. False when none loads.
  bool Open(const std::string& name, const std::vector<std::string>& folders);
  // Loads exactly the file at path (no search). False when it doesn't load.
  bool OpenFile(const std::string& path);
  void Close();
  bool IsOpen() const { return Handle != nullptr; }
  // The address of an export, or null.
  void* Symbol(const char* name) const;
  // The address of an export that the library defines itself (not one that
  // only a library it depends on defines), or null.
  void* OwnSymbol(const char* name) const;
  // The path it was loaded from (the bare name after a system search).
  const std::string& Path() const { return LoadedPath; }

private:
  void* Handle = nullptr;
  std::string LoadedPath;
};

// The folder of the running executable, with a trailing "/" (empty when it
// can't be found).
std::string ExecutableFolder();

}  // namespace vs
