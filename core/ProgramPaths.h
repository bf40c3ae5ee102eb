#pragma once
// The folders the program finds its data and the user's samples in, and the
// current song file. Start-up fills them in (tests point them at temporary
// folders); the main thread reads and changes them.

#include <string>
#include <vector>

namespace vs {

struct TProgramPaths {
  // The folder that holds the program's data ("Samples/", "Loops/" ...),
  // ending in "/" when set.
  std::string AppPath;
  // The song file read or written last; empty while the song has none.
  std::string SongFileName;
  // Folders whose whole trees are searched, in order, for a sample that is
  // not where its song says.
  std::vector<std::string> SampleSearchPaths;
};

TProgramPaths& ProgramPaths();

// AppPath + "Samples/": the folder that stored names beginning with "\"
// are relative to.
std::string SamplesFolder();

// The program's text AppPath + "Texts/<name><extension>" in the language in
// use ("<name>_<n><extension>" for language n), else the English one.
std::string LanguageTextFile(const std::string& name, const std::string& extension);

}  // namespace vs
