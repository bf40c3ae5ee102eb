#pragma once
// A fresh temporary folder for one test, removed with everything in it.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vs {

class TTestDir {
public:
  TTestDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vs-test-XXXXXX").string();
    if (mkdtemp(tmpl.data())) Path = tmpl;
  }
  ~TTestDir() {
    std::error_code ec;
    if (!Path.empty()) std::filesystem::remove_all(Path, ec);
  }
  TTestDir(const TTestDir&) = delete;
  TTestDir& operator=(const TTestDir&) = delete;

  const std::string& Dir() const { return Path; }
  // Dir() + "/" + name.
  std::string operator/(std::string_view name) const { return Path + "/" + std::string(name); }

  // Writes a file (making its folders) and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    std::string p = *this / name;
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

private:
  std::string Path;
};

}  // namespace vs
