#include "toolbox/MLBase.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"

namespace vs {

// ------------------------------------------------------------ format texts

std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16);
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    const char spec = format[i + 1];
    if (spec == '%') {
      out += '%';
      ++i;
    } else if ((spec == 'd' || spec == 's') && next != args.end()) {
      out += next->str();
      ++next;
      ++i;
    } else {
      out += c;  // kept as written; the next character follows as text
    }
  }
  return out;
}

// ------------------------------------------------- per-language positions

std::string JoinPositionField(const TPositionValues& values) {
  const std::optional<int> parts[] = {values.Left, values.Top, values.Width, values.Height};
  if (std::none_of(std::begin(parts), std::end(parts), [](const auto& v) { return v.has_value(); })) return {};
  std::string field;
  for (size_t k = 0; k < 4; ++k) {
    if (k > 0) field += '.';
    if (parts[k]) field += std::to_string(*parts[k]);
  }
  return field;
}

std::optional<std::array<int, 4>> ParsePositionField(std::string_view field) {
  std::array<int, 4> numbers{};
  const char* p = field.data();
  const char* const end = field.data() + field.size();
  for (size_t k = 0; k < 4; ++k) {
    if (k > 0) {
      if (p == end || *p != '.') return std::nullopt;
      ++p;
    }
    if (p != end && *p == '+') return std::nullopt;  // from_chars takes a sign only as "-"
    auto [next, error] = std::from_chars(p, end, numbers[k]);
    if (error != std::errc()) return std::nullopt;
    p = next;
  }
  if (p != end) return std::nullopt;
  return numbers;
}

std::vector<std::string> SplitPositionRow(std::string_view row) {
  std::vector<std::string> fields;
  for (;;) {
    const size_t comma = row.find(',');
    fields.emplace_back(row.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    row.remove_prefix(comma + 1);
  }
}

std::string JoinPositionRow(const std::vector<std::string>& fields) {
  std::string row;
  for (size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) row += ',';
    row += fields[k];
  }
  return row;
}

bool PositionRowDiffers(std::string_view row) {
  const std::vector<std::string> fields = SplitPositionRow(row);
  for (size_t k = 2; k < fields.size(); ++k)
    if (fields[k] != fields[1]) return true;
  return false;
}

namespace {

// The last row for name ("name," at its start), or none.
std::optional<size_t> LastPositionRow(const std::vector<std::string>& rows, std::string_view name) {
  const std::string key = std::string(name) + ',';
  for (size_t r = rows.size(); r-- > 0;)
    if (rows[r].compare(0, key.size(), key) == 0) return r;
  return std::nullopt;
}

}  // namespace

void StorePositionField(std::vector<std::string>& rows, std::string_view name, const std::string& field,
                        int language, int languages) {
  if (language < 0 || language >= languages) return;
  if (std::optional<size_t> r = LastPositionRow(rows, name)) {
    std::vector<std::string> fields = SplitPositionRow(rows[*r]);
    if (fields.size() < static_cast<size_t>(languages) + 1) fields.resize(static_cast<size_t>(languages) + 1);
    fields[static_cast<size_t>(language) + 1] = field;
    rows[*r] = JoinPositionRow(fields);
    return;
  }
  std::vector<std::string> fields(static_cast<size_t>(languages) + 1, field);
  fields[0] = std::string(name);
  rows.push_back(JoinPositionRow(fields));
}

std::string StoredPositionField(const std::vector<std::string>& rows, std::string_view name, int language) {
  std::optional<size_t> r = LastPositionRow(rows, name);
  if (!r || language < 0) return {};
  std::vector<std::string> fields = SplitPositionRow(rows[*r]);
  const size_t k = static_cast<size_t>(language) + 1;
  return k < fields.size() ? fields[k] : std::string();
}

// ---------------------------------------------------- one font per language

std::string FormCharSetEntry(std::string_view name, int charSet) {
  return std::string(name) + ',' + std::to_string(charSet);
}

std::optional<TCharSetEntry> SplitCharSetEntry(std::string_view entry) {
  const size_t comma = entry.find(',');
  if (comma == std::string_view::npos || comma == 0) return std::nullopt;
  return TCharSetEntry{std::string(entry.substr(0, comma)), StrToIntDef(entry.substr(comma + 1), 0)};
}

void StoreCharSetEntry(std::vector<std::string>& charSets, const std::string& entry, int language, int languages) {
  if (language < 0) return;
  while (charSets.size() < static_cast<size_t>(languages)) charSets.push_back(entry);
  if (static_cast<size_t>(language) < charSets.size()) charSets[static_cast<size_t>(language)] = entry;
}

// ------------------------------------------------------- language columns

void InsertLanguageColumns(std::vector<std::string>& words, int from, int to) {
  if (words.empty() || from < 0 || to <= from) return;
  const size_t oldRow = static_cast<size_t>(from) + 1;
  const size_t added = static_cast<size_t>(to - from);
  const size_t rows = (words.size() + oldRow - 1) / oldRow;
  words.resize(rows * oldRow);
  for (size_t r = rows; r-- > 0;)
    words.insert(words.begin() + static_cast<std::ptrdiff_t>((r + 1) * oldRow), added, std::string(NewLanguageText));
}

void DeleteLanguageColumns(std::vector<std::string>& words, int from, int to) {
  if (to < 0 || to >= from) return;
  const size_t oldRow = static_cast<size_t>(from) + 1;
  const size_t kept = static_cast<size_t>(to) + 1;
  for (size_t r = (words.size() + oldRow - 1) / oldRow; r-- > 0;) {
    const size_t first = r * oldRow + kept;
    const size_t last = std::min(words.size(), (r + 1) * oldRow);
    if (first < last) {
      const auto at = words.begin() + static_cast<std::ptrdiff_t>(first);
      words.erase(at, at + static_cast<std::ptrdiff_t>(last - first));
    }
  }
}

// --------------------------------------------------------------- the table

namespace {

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    switch (text[i + 1]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      default:
        out += text[i];
        continue;  // not an escape: the backslash stays, the next character too
    }
    ++i;
  }
  return out;
}

void ApplyOption(TLangTable& table, std::string_view line) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  const std::string name = Trim(line.substr(1, eq - 1));
  const int32_t value = StrToIntDef(line.substr(eq + 1), -1);
  if (SameText(name, "DefaultEnabled") && (value == 0 || value == 1))
    table.DefaultEnabled = value == 1;
  else if (SameText(name, "DefaultLanguage") && value >= 0 && value < TableLanguages)
    table.DefaultLanguage = value;
  else if (SameText(name, "Languages") && value >= 1 && value <= 16)
    table.Languages = value;
  else if (SameText(name, "SwitchPositions") && value >= spNone && value <= spFormAndControls)
    table.SwitchPositions = static_cast<TSwitchPositions>(value);
  else if (SameText(name, "Position"))
    table.Positions.emplace_back(line.substr(eq + 1));
  else if (SameText(name, "CharSet"))
    table.CharSets.emplace_back(line.substr(eq + 1));
}

}  // namespace

TLangTable ParseLangTable(std::string_view text) {
  TLangTable table;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  // Options first (Languages decides the row width), then the rows.
  std::vector<std::string_view> rows;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '!')
      ApplyOption(table, line);
    else
      rows.push_back(line);
  }
  if (table.DefaultLanguage >= table.Languages) table.DefaultLanguage = 0;
  for (std::string_view line : rows) {
    std::vector<std::string> row;
    size_t start = 0;
    for (;;) {
      const size_t tab = line.find('\t', start);
      row.push_back(row.empty() ? std::string(line.substr(start, tab - start))
                                : Unescape(line.substr(start, tab - start)));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    row.resize(static_cast<size_t>(table.Languages) + 1);
    table.Words.insert(table.Words.end(), row.begin(), row.end());
  }
  return table;
}

std::optional<TLangTable> LoadLangTable(const std::string& fileName) {
  std::optional<std::string> bytes = ReadFileBytes(fileName);
  if (!bytes) return std::nullopt;
  return ParseLangTable(*bytes);
}

namespace {

std::string& LangFolderValue() {
  static std::string folder;
  return folder;
}

int& GlobalLanguageValue() {
  static int language = 0;
  return language;
}

}  // namespace

void SetLangFolder(const std::string& folder) { LangFolderValue() = AddBackslash(folder); }
const std::string& LangFolder() { return LangFolderValue(); }
std::string LangTableFile(std::string_view window) {
  if (LangFolder().empty()) return std::string();
  return LangFolder() + std::string(window) + ".txt";
}

// ------------------------------------------------- the multi-language base

std::vector<TBaseMultiLang*>& MultiLangInstances() {
  static std::vector<TBaseMultiLang*> instances;
  return instances;
}

int GlobalLanguage() { return GlobalLanguageValue(); }

TBaseMultiLang::TBaseMultiLang() { MultiLangInstances().push_back(this); }

TBaseMultiLang::~TBaseMultiLang() {
  auto& list = MultiLangInstances();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TBaseMultiLang::SetTable(TLangTable table) {
  Words = std::move(table.Words);
  LanguageCount = table.Languages;
  DefaultLang = table.DefaultLanguage;
  DefaultOn = table.DefaultEnabled;
  Switch = table.SwitchPositions;
  Positions = std::move(table.Positions);
  CharSets = std::move(table.CharSets);
  if (Active >= LanguageCount) Active = DefaultLang;
}

void TBaseMultiLang::RangeMessage() const {
  HintMessageBox("Value must not be higher than\rnumber of available languages.", MbCancel | MbIconInformation);
}

void TBaseMultiLang::SetDefaultLanguage(int language) {
  if (language < 0 || language >= LanguageCount) {
    RangeMessage();
    return;
  }
  if (language == DefaultLang) return;
  DefaultLang = language;
  ApplyTexts();
}

void TBaseMultiLang::SetDefaultEnabled(bool enabled) {
  if (enabled == DefaultOn) return;
  DefaultOn = enabled;
  ApplyTexts();
}

bool TBaseMultiLang::SetActiveLanguage(int n) {
  if (n < 0 || n >= LanguageCount) {
    RangeMessage();
    return false;
  }
  bool allowIt = true;
  if (BeforeLanguageChange) BeforeLanguageChange(n, allowIt);
  if (!allowIt) return false;
  // The window's font becomes the font of the language being left; its
  // character-set number stays the one that language's entry holds. Before
  // the first switch the window has the font it was made with, which is no
  // language's: the table's font for the first language stays.
  if (const std::string font = Shown ? FormFontName() : std::string(); !font.empty()) {
    int charSet = 0;
    if (static_cast<size_t>(Active) < CharSets.size())
      if (std::optional<TCharSetEntry> old = SplitCharSetEntry(CharSets[static_cast<size_t>(Active)]))
        charSet = old->CharSet;
    StoreCharSetEntry(CharSets, FormCharSetEntry(font, charSet), Active, LanguageCount);
  }
  StorePositions();
  Active = n;
  if (static_cast<size_t>(n) < CharSets.size())
    if (std::optional<TCharSetEntry> font = SplitCharSetEntry(CharSets[static_cast<size_t>(n)]))
      SetFormFontName(font->Name);
  RestoreFormPosition();
  ApplyTexts();
  Shown = true;
  if (AfterLanguageChanged) AfterLanguageChanged(n);
  return true;
}

void TBaseMultiLang::Loaded() {
  const int language = GlobalLanguage();
  if (language >= 0 && language < LanguageCount) {
    SetActiveLanguage(language);
    return;
  }
  // The table lacks the program's language: its default one, quietly.
  Active = DefaultLang;
  ApplyTexts();
  if (AfterLanguageChanged) AfterLanguageChanged(Active);
}

bool TBaseMultiLang::SetLanguages(int m) {
  const int n = LanguageCount;
  if (m == n) return true;
  if (m > n) {
    InsertLanguageColumns(Words, n, m);
    LanguageCount = m;
    return true;
  }
  if (m < 1) {
    HintMessageBox("You have to provide at least 1 language.", MbOK | MbIconInformation);
    return false;
  }
  if (Active >= m) {
    if (HintMessageBox("You are decreasing the number of languages.\rEntries for the removed language will be "
                       "lost.\rThe currently displayed language will be deleted, too.\r\rDo you really want to "
                       "continue?",
                       MbYesNo | MbIconQuestion) != IdYes)
      return false;
    // A vetoed switch keeps every language: the one shown can't go.
    if (!SetActiveLanguage(0)) return false;
  } else if (HintMessageBox("You are decreasing the number of languages.\rEntries for the removed language will "
                            "be lost.\r\rContinue?",
                            MbYesNo | MbIconQuestion) != IdYes) {
    return false;
  }
  DeleteLanguageColumns(Words, n, m);
  LanguageCount = m;
  // The fallback may not point at a language that went.
  if (DefaultLang >= m) DefaultLang = 0;
  return true;
}

bool TBaseMultiLang::SetSwitchPositions(TSwitchPositions value) {
  if (value == Switch) return true;
  auto refused = [] {
    HintMessageBox("Cancelled.", MbOK);
    return false;
  };
  if (value == spNone) {
    for (size_t r = Positions.size(); r-- > 0;) {
      if (!PositionRowDiffers(Positions[r])) continue;
      if (HintMessageBox("You are going to drop the positions.\rCurrently different values are stored for each "
                         "language,\rDo you want to drop these values?",
                         MbYesNo | MbIconQuestion) != IdYes)
        return refused();
    }
    Positions.clear();
  } else if (Switch == spFormAndControls && value == spControlsOnly) {
    const std::string key = std::string(FormPositionKey) + ',';
    auto form = std::find_if(Positions.begin(), Positions.end(),
                             [&](const std::string& row) { return row.compare(0, key.size(), key) == 0; });
    if (form != Positions.end()) {
      if (PositionRowDiffers(*form) &&
          HintMessageBox("You are going to drop the positions for the form.\rCurrently different values are "
                         "stored for each language.\rDo you want to drop these values?",
                         MbYesNo | MbIconQuestion) != IdYes)
        return refused();
      Positions.erase(form);
    }
  }
  Switch = value;
  return true;
}

namespace {

bool KeepsPositionOf(TSwitchPositions mode, std::string_view name) {
  return mode == spFormAndControls || (mode == spControlsOnly && name != FormPositionKey);
}

}  // namespace

void TBaseMultiLang::StorePosition(std::string_view name, const TPositionValues& values) {
  if (!KeepsPositionOf(Switch, name)) return;
  const std::string field = JoinPositionField(values);
  if (!field.empty()) StorePositionField(Positions, name, field, Active, LanguageCount);
}

std::optional<std::array<int, 4>> TBaseMultiLang::StoredPosition(std::string_view name) const {
  if (!KeepsPositionOf(Switch, name)) return std::nullopt;
  return ParsePositionField(StoredPositionField(Positions, name, Active));
}

void TBaseMultiLang::ApplyTexts() {
  const size_t rowSize = RowSize();
  size_t i = 0;
  while (i < Words.size()) {
    const std::string key = Words[i];
    const size_t before = i;
    if (key == "%Form%") {
      SetFormCaption(RowText(i));
      i += rowSize;
    } else if (key.empty() || key.front() == '@' || key.front() == '"' || !ApplyComponentWords(key, i)) {
      i += rowSize;
    }
    if (i <= before) i = before + rowSize;  // the walk always moves on
  }
}

std::string TBaseMultiLang::RowText(size_t r) const {
  const size_t active = r + static_cast<size_t>(Active) + 1;
  std::string text = active < Words.size() ? Words[active] : std::string();
  if (text.empty() && DefaultOn) {
    const size_t fallback = r + static_cast<size_t>(DefaultLang) + 1;
    if (fallback < Words.size()) text = Words[fallback];
  }
  return text;
}

std::string TBaseMultiLang::GetWord(std::string_view key) {
  const size_t rowSize = RowSize();
  for (size_t r = 0; r + static_cast<size_t>(LanguageCount) < Words.size(); r += rowSize) {
    if (Words[r] != key) continue;
    std::string text = RowText(r);
    if (!text.empty()) return text;
    break;  // no text in this language (nor by the fallback): as if missing
  }
  std::string result(key);
  if (IdNotFoundError) IdNotFoundError(std::string(key), result);
  return result;
}

bool TBaseMultiLang::HasWord(std::string_view key) const {
  for (size_t r = 0; r + static_cast<size_t>(LanguageCount) < Words.size(); r += RowSize())
    if (Words[r] == key) return true;
  return false;
}

std::optional<std::vector<std::string>> TBaseMultiLang::RowTexts(std::string_view key, size_t count) const {
  const size_t rowSize = RowSize();
  for (size_t r = 0; r + static_cast<size_t>(LanguageCount) < Words.size(); r += rowSize) {
    if (!SameText(Words[r], key)) continue;
    if (r + (count - 1) * rowSize + static_cast<size_t>(LanguageCount) >= Words.size()) return std::nullopt;
    std::vector<std::string> texts;
    for (size_t n = 0; n < count; ++n) texts.push_back(RowText(r + n * rowSize));
    return texts;
  }
  return std::nullopt;
}

std::string TBaseMultiLang::FormatWord(std::string_view key, std::initializer_list<TFormatArg> args) {
  return FormatText(GetWord(key), args);
}

bool TBaseMultiLang::RowIs(size_t i, std::string_view key) const { return i < Words.size() && Words[i] == key; }

std::optional<std::string> TBaseMultiLang::ReadText(size_t& i) const {
  if (i + static_cast<size_t>(Active) + 1 >= Words.size()) return std::nullopt;
  std::string text = RowText(i);
  i += RowSize();
  return text;
}

void TBaseMultiLang::ApplyLines(size_t& i, std::vector<std::string>& lines) const {
  if (i + static_cast<size_t>(Active) + 1 >= Words.size() || lines.empty()) return;
  size_t j = 0;
  for (;;) {
    if (std::optional<std::string> text = ReadText(i)) lines[j] = *text;
    ++j;
    if (i >= Words.size() || !RowIs(i, DittoKey) || j >= lines.size()) break;
  }
  for (; j < lines.size(); ++j) lines[j].clear();
}

std::vector<std::string> TBaseMultiLang::ReadDittoTexts(size_t& i) const {
  std::vector<std::string> texts;
  do {
    std::optional<std::string> text = ReadText(i);
    if (!text) break;
    texts.push_back(*text);
  } while (RowIs(i, DittoKey));
  return texts;
}

std::optional<std::string> TBaseMultiLang::ReadHint(size_t& i, size_t i0) const {
  if (i == i0) ReadText(i);
  if (i < Words.size() && SameText(Words[i], HintKey)) {
    std::optional<std::string> text = ReadText(i);
    if (text && !text->empty()) return text;
  }
  return std::nullopt;
}

// ------------------------------------------------------ the program's language

std::function<void(int language)>& GlobalLanguageFollower() {
  static std::function<void(int)> follower;
  return follower;
}

void SetGlobalLanguage(int language) {
  // The toolkit's own texts first, so that the windows' switch finds them.
  if (GlobalLanguageFollower()) GlobalLanguageFollower()(language);
  // A copy: a switch may make or free windows.
  const std::vector<TBaseMultiLang*> instances = MultiLangInstances();
  for (TBaseMultiLang* ml : instances) {
    const auto& live = MultiLangInstances();
    if (std::find(live.begin(), live.end(), ml) == live.end()) continue;
    if (language >= 0 && ml->Languages() > language) ml->SetActiveLanguage(language);
  }
  GlobalLanguageValue() = language;
}

namespace {

std::vector<std::unique_ptr<TBaseMultiLang>>& HeadlessTables() {
  static std::vector<std::unique_ptr<TBaseMultiLang>> tables;
  return tables;
}

}  // namespace

TBaseMultiLang& WindowWords(std::string_view window) {
  TBaseMultiLang* headless = nullptr;
  for (TBaseMultiLang* ml : MultiLangInstances()) {
    if (ml->Owner != window) continue;
    if (!ml->Headless) return *ml;
    if (!headless) headless = ml;
  }
  if (headless) return *headless;
  auto table = std::make_unique<TBaseMultiLang>();
  table->Owner = std::string(window);
  table->Headless = true;
  if (std::optional<TLangTable> read = LoadLangTable(LangTableFile(window))) table->SetTable(std::move(*read));
  table->Loaded();
  HeadlessTables().push_back(std::move(table));
  return *HeadlessTables().back();
}

std::string GetWord(std::string_view window, std::string_view key) { return WindowWords(window).GetWord(key); }

std::string WindowText(std::string_view window, std::string_view key, std::string_view english) {
  TBaseMultiLang& words = WindowWords(window);
  return words.HasWord(key) ? words.GetWord(key) : std::string(english);
}

void ForgetHeadlessTables() { HeadlessTables().clear(); }

}  // namespace vs
