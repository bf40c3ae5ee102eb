#pragma once
// Shared routines: integers, strings, versions, colours, files and folders.
// None of them keeps state shared between threads, except the process's
// private temporary folder, which is created once under a lock.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// ---------------------------------------------------------------- integers

inline int IntSign(int64_t x) { return (x > 0) - (x < 0); }
inline int32_t IntMax(int32_t a, int32_t b) { return a > b ? a : b; }
inline int32_t IntMin(int32_t a, int32_t b) { return a < b ? a : b; }
inline void SwapInts(int32_t& a, int32_t& b) {
  int32_t t = a;
  a = b;
  b = t;
}

// a * b / c with a 64-bit product and a truncating division. A divisor of 0
// gives 0; a quotient outside the 32-bit range is clamped to it.
int32_t MulDivInt(int32_t a, int32_t b, int32_t c);
// The same on 64-bit values whose product the caller keeps within 64 bits
// (sample positions and levels); a divisor of 0 gives 0.
inline int64_t MulDiv64(int64_t a, int64_t b, int64_t c) { return c == 0 ? 0 : a * b / c; }

// Arithmetic shift right; n is limited to 0..31.
inline int32_t SarInt(int32_t x, int n) {
  if (n <= 0) return x;
  if (n > 31) n = 31;
  return x >> n;  // arithmetic for signed values in C++20
}

// Replaces the items of target with those of source.
template <class T>
void CopyList(const std::vector<T>& source, std::vector<T>& target) {
  if (&source != &target) target = source;
}

// Copies a byte block; source and target may overlap.
void FastMove(const void* source, void* target, size_t bytes);

// Clears pending floating-point exceptions.
void ClearFPUExceptions();

// ----------------------------------------------------------------- strings

std::string UpperCase(std::string_view text);  // ASCII letters only
std::string LowerCase(std::string_view text);  // ASCII letters only
bool SameText(std::string_view a, std::string_view b);  // ASCII, any case
std::string Trim(std::string_view text);

// Decimal number with an optional sign (or "$"/"0x" hex), surrounding blanks
// allowed; anything else, or a value outside 32 bits, gives def.
int32_t StrToIntDef(std::string_view text, int32_t def);

// A "KEY=value" line: when the line does not begin with "'", contains "="
// and the text before the first "=" equals key in any case, the text after
// that "=" (a trailing CR removed); otherwise no value.
std::optional<std::string> ParseKeyValueLine(std::string_view line, std::string_view key);

// Removes from text and returns the part before the first separator (the
// separator is removed too); without one the whole text is returned and text
// becomes empty.
std::string CutToken(std::string& text, char separator);

// Decimal text of n with leading zeros up to digits digits (the sign, for a
// negative n, comes in front and is not counted). Digits are never cut.
std::string IntToStrZeroPad(int64_t n, int digits);

// "a.b.c" -> (a * 1000 + b) * 1000 + c; the first two parts end at a ".",
// the third is the rest; a part that is not a 32-bit number counts 0. The
// result is clamped to the 32-bit range.
int32_t VersionToInt(std::string_view text);

// Every "&" doubled so that a caption shows it.
std::string DoubleAmpersands(std::string_view text);

// Appends the path separator "/" when the path does not end with one; an
// empty path stays empty (it must never turn into the root).
std::string AddBackslash(std::string_view path);

// The text of a character buffer up to its first NUL or length bytes.
std::string BufToString(const char* buffer, size_t length);

// True when any of args equals text, ignoring case.
bool IsParamPresent(std::string_view text, const std::vector<std::string>& args);

// ----------------------------------------------------------------- colours

// A colour is $00BBGGRR.
using TColor = uint32_t;
constexpr TColor ClNone = 0x1FFFFFFF;

inline uint8_t GetRValue(TColor c) { return c & 0xFF; }
inline uint8_t GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline uint8_t GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Hue, saturation, lightness in 0..1 (the hue wraps) to a colour.
TColor HSLToColor(double hue, double saturation, double lightness);
// Adds delta to R, G and B, each clamped to 0..255; the high byte stays.
TColor ShiftColor(TColor color, int delta);
// Per channel (b * weight + a * (256 - weight)) >> 8, weight 0..256.
TColor BlendColors(int weight, TColor a, TColor b);
TColor SwapRedBlue(TColor color);
// An opaque screen colour $AARRGGBB (alpha $FF) and back.
uint32_t ColorToArgb(TColor color);
TColor ArgbToColor(uint32_t argb);

// ------------------------------------------------------- files and folders

// True when name is a file that can be opened for reading (nothing is left
// open).
bool CanOpenFile(const std::string& name);

// Looks for a file called name (exact name first, then in any case) in
// folder, then depth-first in its sub-folders in name order. Linked folders
// are not entered, so a link cycle cannot trap the search. The first hit's
// full path, else empty.
std::string FindInSubDirs(std::string_view name, std::string_view folder);

// Creates the folder and its missing parents. True when it exists afterwards.
bool ForceDirectory(std::string_view path);

// True for a path that must never be emptied: empty, the root, the home
// folder (or one of its parents).
bool IsProtectedPath(std::string_view path);

// Deletes every file of the folder and, when recursive, every sub-folder with
// its contents; the folder itself stays. Links are removed, never followed.
// Refuses (returns false) a protected path.
bool DeleteDirectoryTree(std::string_view folder, bool recursive);

// folder + "/" + the first file name (in name order) matching mask ("*" and
// "?", any case), or empty.
std::string FindFirstFilePath(std::string_view folder, std::string_view mask);

// True when name matches the wildcard mask ("*" and "?"), ignoring case.
bool MatchesMask(std::string_view name, std::string_view mask);

// The process's private temporary folder, ending in "/": made on first use
// with mkdtemp (mode 0700) in $TMPDIR or /tmp, named "VorbelSteps-" + the
// process id + "-" + six random characters. Empty when it can't be made.
std::string GetTempDirectory();
// Removes the private temporary folder and everything in it (at exit).
void RemoveTempDirectory();
// Removes what killed runs left in $TMPDIR or /tmp: the private folders of
// this user whose process no longer runs (by the name above), with their
// contents. Nothing else is touched. Returns the folders removed.
int RemoveStaleTempDirectories();

// True while a process of that id runs (also when it is not ours).
bool ProcessRuns(long pid);

// The version resource of a file, key index 1..10 (VersionInfoKey): the
// running program answers from its own table (its description, file and
// product version, names); other files carry none on Linux and read empty,
// as does an index outside 1..10.
std::string GetVersionInfoValue(std::string_view file, int keyIndex);
// The key names 1..10 ("CompanyName" ... "Comments"); empty outside.
std::string_view VersionInfoKey(int keyIndex);

// Icon index of a file, as the path of a picture file: a picture (".png",
// ".svg", ".xpm", ".ico", ".bmp") is its own icon 0; a desktop entry
// (".desktop") has the icon its Icon key names; a program has the icon of
// the desktop entry that starts it (its Exec names the program, by path or
// by its file name), from the applications folders under $XDG_DATA_HOME and
// $XDG_DATA_DIRS. An icon name is looked up in the icon folders there
// (the "hicolor" theme's sizes, then "pixmaps"). Programs on Linux carry
// one icon at most: empty (no icon) for any other index, for a file
// without one, and for an icon whose picture can't be found.
std::string ExtractIconFromFile(std::string_view file, int index);

// A window's or control's position and size as the settings keep them
// (LoadControlBounds, SaveControlBounds): a value that is not there keeps
// the window's own.
struct TControlBounds {
  std::optional<int32_t> Left, Top, Width, Height;
};

// Reads a whole file; no value when it can't be read.
std::optional<std::string> ReadFileBytes(const std::string& name);

}  // namespace vs
