#include "core/Style.h"

#include <algorithm>
#include <filesystem>

#include "core/ChannelFiles.h"
#include "core/PatternCommands.h"
#include "core/ProgramPaths.h"
#include "model/StepStore.h"
#include "toolbox/PathTools.h"

namespace fs = std::filesystem;

namespace vs {

namespace {

// The step lanes' own colours, before any style recoloured them.
std::array<TColor, GraphColourCount> BuiltInGraphColours() {
  static const std::array<TColor, GraphColourCount> colours = [] {
    std::array<TColor, GraphColourCount> c{};
    for (int i = 0; i < GraphColourCount; ++i) c[i] = StepLanes[i].Color;
    return c;
  }();
  return colours;
}

std::vector<std::string> SplitParts(std::string_view value) {
  std::vector<std::string> parts;
  std::string rest(value);
  while (!rest.empty()) parts.push_back(Trim(CutToken(rest, ',')));
  if (!value.empty() && value.back() == ',') parts.emplace_back();
  return parts;
}

constexpr int32_t NotANumber = INT32_MIN;

int32_t Number(const std::vector<std::string>& parts, size_t i) {
  return i < parts.size() ? StrToIntDef(parts[i], NotANumber) : NotANumber;
}

// A colour part: a $00BBGGRR value, else the old colour.
void ReadColour(const std::vector<std::string>& parts, size_t i, TColor& colour) {
  const int32_t n = Number(parts, i);
  if (n >= 0 && n <= 0xFFFFFF) colour = static_cast<TColor>(n);
}

void ReadFont(std::string_view value, TStyleFont& font) {
  const std::vector<std::string> parts = SplitParts(value);
  if (!parts.empty() && !parts[0].empty()) font.Name = parts[0];
  ReadColour(parts, 1, font.Color);
  const int32_t height = Number(parts, 2);
  if (height > 0 && height <= 200) font.Height = height;
}

template <size_t N>
void ReadColours(std::string_view value, std::array<TColor, N>& colours) {
  const std::vector<std::string> parts = SplitParts(value);
  for (size_t i = 0; i < N; ++i) ReadColour(parts, i, colours[i]);
}

// "key=value" split at the first "=", or nothing for comments and other lines.
bool SplitLine(std::string_view line, std::string& key, std::string& value) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() == '\'') return false;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = std::string(line.substr(eq + 1));
  return !key.empty();
}

void ReadPlace(TStyle& style, const std::string& key, const std::vector<std::string>& parts) {
  // A place needs at least left and top; other lines are no places.
  const int32_t left = Number(parts, 0), top = Number(parts, 1);
  if (left == NotANumber && top == NotANumber) return;
  auto it = std::find_if(style.Places.begin(), style.Places.end(),
                         [&](const auto& p) { return SameText(p.first, key); });
  if (it == style.Places.end()) {
    style.Places.emplace_back(key, TStylePlace());
    it = style.Places.end() - 1;
  }
  TStylePlace& place = it->second;
  if (left != NotANumber) place.Left = left;
  if (top != NotANumber) place.Top = top;
  const int32_t width = Number(parts, 2), height = Number(parts, 3);
  if (width != NotANumber && width >= 0) place.Width = width;
  if (height != NotANumber && height >= 0) place.Height = height;
}

void ReadHole(TStyle& style, const std::vector<std::string>& parts, bool& replaced) {
  if (parts.size() < 6 || parts.size() % 2 != 0) return;
  std::vector<TStylePoint> polygon;
  for (size_t i = 0; i < parts.size(); i += 2) {
    const int32_t x = Number(parts, i), y = Number(parts, i + 1);
    if (x == NotANumber || y == NotANumber) return;
    polygon.push_back({x, y});
  }
  // The first hole of a file replaces the holes it inherited.
  if (!replaced) style.DefHole.clear();
  replaced = true;
  style.DefHole.push_back(std::move(polygon));
}

}  // namespace

TStyle::TStyle() : GraphCol(BuiltInGraphColours()) {
  // Rows: step cells at the left, then the front wheel, mute, select and
  // name buttons (the default style's config.txt places them for real).
  ChanBtns = {{{228, 0}, {4, 2}, {32, 3}, {47, 3}, {63, 3}}};
  // The browser's folder colours, normal and lit, for colour indexes 0..3.
  SBCol = {0x1010D0, 0x1050FF, 0xBAB6B6, 0xFAF6F6, 0x8010D0, 0x8050FF, 0x90709F, 0xE0D0EF};
}

const TStylePlace* TStyle::Place(std::string_view control) const {
  const TStylePlace* found = nullptr;
  for (const auto& [name, place] : Places)
    if (SameText(name, control)) found = &place;
  return found;
}

std::vector<int> TStyle::MenuSepFor(int titleCount) const {
  std::vector<int> lefts = MenuSep;
  const size_t usable = titleCount > 1 ? static_cast<size_t>(titleCount - 1) : 0;
  if (lefts.size() > usable) lefts.resize(usable);
  return lefts;
}

std::string TStyle::FilePath(std::string_view name) const {
  if (!Folder.empty()) {
    const std::string own = FindPathCaseInsensitive(Folder + std::string(name));
    if (!own.empty() && fs::is_regular_file(own)) return own;
  }
  const std::string fallback = DefaultFolder + std::string(name);
  const std::string found = FindPathCaseInsensitive(fallback);
  return found.empty() ? fallback : found;
}

void LoadSkinConfig(TStyle& style, std::string_view text) {
  bool holesReplaced = false;
  std::string key, value;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!SplitLine(line, key, value)) continue;
    const std::vector<std::string> parts = SplitParts(value);
    if (SameText(key, "Hint")) {
      style.Hint = value;
    } else if (SameText(key, "MenuSep")) {
      style.MenuSep.clear();
      for (size_t i = 0; i < parts.size(); ++i) {
        const int32_t x = Number(parts, i);
        if (x == NotANumber || x < 0) break;
        style.MenuSep.push_back(x);
      }
    } else if (SameText(key, "TitleFont")) {
      ReadFont(value, style.TitleFont);
    } else if (SameText(key, "HintFont")) {
      ReadFont(value, style.HintFont);
    } else if (SameText(key, "ScopeCol")) {
      ReadColours(value, style.ScopeCol);
    } else if (SameText(key, "ScopeFX")) {
      style.ScopeFX = true;
    } else if (SameText(key, "SampleScopeCol")) {
      ReadColours(value, style.SampleScopeCol);
    } else if (SameText(key, "GraphCol")) {
      ReadColours(value, style.GraphCol);
    } else if (SameText(key, "MainScrollerCol")) {
      ReadColour(parts, 0, style.MainScrollerCol);
    } else if (SameText(key, "DefHole")) {
      ReadHole(style, parts, holesReplaced);
    } else if (SameText(key, "ChanBtns")) {
      for (size_t b = 0; b < ChannelButtonCount; ++b) {
        const int32_t x = Number(parts, 2 * b), y = Number(parts, 2 * b + 1);
        if (x != NotANumber) style.ChanBtns[b].X = x;
        if (y != NotANumber) style.ChanBtns[b].Y = y;
      }
    } else if (SameText(key, "nNotesShown")) {
      const int32_t n = Number(parts, 0);
      style.MaxVisibleSteps = n == NotANumber ? DefaultVisibleSteps : std::clamp(n, 1, MaxShownSteps);
    } else if (SameText(key, "SBTitleFont")) {
      ReadFont(value, style.SBTitleFont);
    } else if (SameText(key, "SBTreeFont")) {
      ReadFont(value, style.SBTreeFont);
    } else if (SameText(key, "SBCol")) {
      ReadColours(value, style.SBCol);
    } else if (SameText(key, "SBScrollerCol")) {
      ReadColour(parts, 0, style.SBScrollerCol);
    } else {
      ReadPlace(style, key, parts);
    }
  }
}

std::vector<std::string> ListStyles(const std::string& appPath) {
  std::vector<std::string> styles;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(appPath + "Styles", ec)) {
    if (entry.is_directory(ec)) styles.push_back(entry.path().filename().string());
  }
  std::sort(styles.begin(), styles.end(), [](const std::string& a, const std::string& b) {
    const std::string ua = UpperCase(a), ub = UpperCase(b);
    return ua != ub ? ua < ub : a < b;
  });
  return styles;
}

int ChooseStyleIndex(const std::vector<std::string>& styles, const std::optional<int>& stored) {
  if (styles.empty()) return -1;
  if (stored && *stored >= 0 && *stored < static_cast<int>(styles.size())) return *stored;
  for (size_t i = 0; i < styles.size(); ++i)
    if (SameText(styles[i], DefaultStyleName)) return static_cast<int>(i);
  return 0;
}

TStyle LoadStyle(const std::string& appPath, const std::string& name) {
  TStyle style;
  const std::string styles = AddBackslash(appPath) + "Styles/";
  style.Name = name.empty() ? DefaultStyleName : name;
  style.Folder = styles + style.Name + "/";
  std::string defaultFolder = FindPathCaseInsensitive(styles + DefaultStyleName);
  style.DefaultFolder = AddBackslash(defaultFolder.empty() ? styles + DefaultStyleName : defaultFolder);
  if (std::optional<std::string> text = ReadFileBytes(style.DefaultFolder + "config.txt"))
    LoadSkinConfig(style, *text);
  const std::string own = FindPathCaseInsensitive(style.Folder + "config.txt");
  std::error_code ec;
  const bool isDefault = fs::equivalent(fs::path(style.Folder), fs::path(style.DefaultFolder), ec);
  if (!own.empty() && !isDefault)
    if (std::optional<std::string> text = ReadFileBytes(own)) LoadSkinConfig(style, *text);
  return style;
}

namespace {

TStyle StartingStyle() {
  TStyle s;
  s.Name = DefaultStyleName;
  return s;
}

}  // namespace

TStyle& CurrentStyle() {
  static TStyle style = StartingStyle();
  return style;
}

void ResetStyle() {
  CurrentStyle() = StartingStyle();
  ApplyGraphColours(CurrentStyle());
}

std::string StyleFolder() {
  const TStyle& style = CurrentStyle();
  if (!style.Folder.empty()) return style.Folder;
  return ProgramPaths().AppPath + "Styles/" + style.Name + "/";
}

std::string StyleFilePath(std::string_view name) {
  TStyle& style = CurrentStyle();
  if (style.DefaultFolder.empty()) style.DefaultFolder = ProgramPaths().AppPath + "Styles/" + DefaultStyleName + "/";
  if (style.Folder.empty()) style.Folder = StyleFolder();
  return style.FilePath(name);
}

void ApplyGraphColours(const TStyle& style) {
  for (int i = 0; i < GraphColourCount; ++i) StepLanes[i].Color = style.GraphCol[i];
}

void ApplyStyle(const TStyle& style) {
  CurrentStyle() = style;
  ApplyGraphColours(style);
  PatternView().MaxVisibleSteps = style.MaxVisibleSteps;
}

void PlayStartSound() {
  const std::string file = StyleFilePath("StartSnd.WAV");
  if (CanOpenFile(file)) PreviewSampleFile(file);
}

}  // namespace vs
