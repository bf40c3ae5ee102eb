#pragma once
// Archives for tests, made by python3's zipfile module (which writes what
// it is told: names with "..", absolute names, links, duplicates), and a
// reader of what an archive holds, independent of the code under test.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace vs::test {

// Runs a python3 script; true when it exited 0.
inline bool RunPython(const std::string& folder, const std::string& script) {
  const std::string file = folder + "/fixture.py";
  std::ofstream(file) << "import zipfile, sys, struct, os\n" << script;
  const int rc = std::system(("python3 '" + file + "' > '" + folder + "/fixture.out' 2>&1").c_str());
  std::remove(file.c_str());
  return rc == 0;
}

// Writes zip with the python statements in body, which use `z` (a
// zipfile.ZipFile opened for writing with deflate).
inline bool MakeZip(const std::string& folder, const std::string& zip, const std::string& body) {
  std::string script = "import warnings\nwarnings.simplefilter('ignore')\n";
  script += "z = zipfile.ZipFile(r'''" + zip + "''', 'w', zipfile.ZIP_DEFLATED)\n";
  std::istringstream lines(body);
  for (std::string line; std::getline(lines, line);) script += line + "\n";
  script += "z.close()\n";
  return RunPython(folder, script);
}

// Python text of a symbolic link entry named name pointing at target.
inline std::string LinkEntry(const std::string& name, const std::string& target) {
  return "i = zipfile.ZipInfo(r'''" + name + "''')\ni.create_system = 3\ni.external_attr = 0o120777 << 16\n"
         "z.writestr(i, r'''" + target + "''')\n";
}

// The names and contents of an archive as python reads them (after its
// own checksum test); empty when it can't be read.
inline std::map<std::string, std::string> ReadZip(const std::string& folder, const std::string& zip) {
  const std::string out = folder + "/fixture.list";
  const std::string script =
      "z = zipfile.ZipFile(r'''" + zip + "''')\nassert z.testzip() is None\n"
      "f = open(r'''" + out + "''', 'w')\n"
      "for n in z.namelist():\n  f.write(n + '\\t' + z.read(n).hex() + '\\n')\nf.close()\n";
  std::map<std::string, std::string> result;
  if (!RunPython(folder, script)) return result;
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string bytes;
    const std::string hex = line.substr(tab + 1);
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    result[line.substr(0, tab)] = bytes;
  }
  std::remove(out.c_str());
  return result;
}

}  // namespace vs::test
