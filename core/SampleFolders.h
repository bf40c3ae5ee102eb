#pragma once
// What the sample browser lists, without its window: the record behind each
// tree node, the reading of a folder (which files show, under which name,
// with which hint and colour), the small ".nfo" description files, and the
// numbers of the browser strip's slide and resize.
//
// A folder is read one level at a time; its sub-folders are listed as
// folder records that are read when the user opens them. With the option
// "No dir in sample browser" the sub-folders are read at once into the same
// list instead. Either way a folder that is reached again through a link
// (a link to itself or to a folder above it) is never read a second time.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vs {

enum TBrowserKind : uint8_t { BrowserFolder = 0, BrowserSample = 1, BrowserSong = 2 };
// What a part of the tree lists; everything below a root inherits it.
enum TBrowserRootKind : uint8_t { SampleRoot = 1, SongRoot = 2 };

constexpr int BrowserColourCount = 4;
// A description file is read up to this many bytes.
constexpr size_t MaxFolderInfoBytes = 16 * 1024;
// The scan reports its progress every this many entries.
constexpr int ScanProgressEvery = 256;

// One tree node's record.
struct TBrowserRecord {
  std::string Path;       // full path; a folder without its trailing "/"
  std::string Hint;       // "Tip" of its description file
  int Indent = 0;         // pixels: (depth + 1) x 6 for folders under a folder
  TBrowserKind Kind = BrowserFolder;
  TBrowserRootKind RootKind = SampleRoot;
  int ColorIndex = 0;     // 0..BrowserColourCount - 1
  bool Scanned = false;   // the folder's contents were read
  // The node's name before its description file named it in the language
  // shown (a language switch names it again from here); empty for a root.
  std::string PlainName;
};

// The description file of a record: the path with its extension changed to
// ".nfo" (a folder: the folder's name + ".nfo" beside it).
std::string FolderInfoFile(const TBrowserRecord& record);

// Reads the record's description file (at most MaxFolderInfoBytes of it):
// the hint is cleared, then "Tip" sets it, "Name_" + language renames the
// node (a folder's name gets a leading blank) and "ColIndex" sets the colour
// index. A colour index that is no number or lies outside the colour table
// keeps the one the record has.
void ReadFolderInfo(TBrowserRecord& record, std::string& nodeName, int language);

// A node the scan adds under the folder it reads.
struct TScanEntry {
  std::string Name;  // the node's text
  TBrowserRecord Record;
};

struct TScanOptions {
  // Files of this extension (upper case, with its ".") show with their full
  // name: ".ZMP" in a song part, ".DS" in a sample part.
  std::string Filter;
  // "No dir in sample browser": sub-folders are read into the same list.
  bool Flat = false;
  // The language of the description files' names.
  int Language = 0;
  // Called every ScanProgressEvery entries with the number of reports so
  // far (0, 1, ...); returning false stops the scan.
  std::function<bool(int report)> Progress;
};

struct TScanResult {
  std::vector<TScanEntry> Entries;
  int Found = 0;          // files shown
  bool Canceled = false;  // Progress stopped it
};

// The filter of a part of the tree.
std::string ScanFilter(TBrowserRootKind rootKind);

// Reads the folder path (with or without its trailing "/") for a node whose
// record is parent: folders, and the files the part shows, in name order.
// Records inherit the parent's colour and root kind; folders get the indent
// of the parent's depth (parentDepth: the parent node's level, -1 for the
// top of the tree). ancestors are the folders above path in the tree
// (their paths, outermost first); a folder that is one of them, or path
// itself, is not listed again.
TScanResult ScanFolder(const std::string& path, const TBrowserRecord& parent, int parentDepth,
                       const std::vector<std::string>& ancestors, const TScanOptions& options);

// The info-bar texts of a scan: "Looking for samples" and a row of dots
// that grows by one with each report and starts again after 17; and what
// the scan ended with ("Search canceled", "Found n files", or nothing).
// The words are those of the language shown ("Found %d files" a format).
std::string ScanProgressText(int report, std::string_view looking = "Looking for samples");
std::string ScanEndText(const TScanResult& result, std::string_view canceled = "Search canceled",
                        std::string_view found = "Found %d files");

// A root of the browser for a folder of the settings' folder list: the
// folder's last name (the node shows it after a blank).
std::string SearchFolderName(const std::string& path);

// --- The strip's slide and resize ---

// The closed strip's width, the widest the browser gets, the animation's
// ticks and its interval.
constexpr int SampleListStripWidth = 13;
constexpr int SampleListMaxWidth = 300;
constexpr int SampleListAnimSteps = 12;
constexpr int SampleListAnimInterval = 16;  // ms
// The width at animation step k (-12..12) when open at fullWidth:
// 13 + (fullWidth - 13) x sin(sin(|k| x pi / 24) x pi / 2), rounded.
int SampleListSlideWidth(int fullWidth, int k);
// The width while the strip is dragged from pressX to pointerX.
int SampleListDragWidth(int width, int pressX, int pointerX);

}  // namespace vs
