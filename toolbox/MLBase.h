#pragma once
// Texts in several languages. Every window whose texts exist in several
// languages owns one multi-language object holding its text table: rows of a
// key and one text per language. Keys are the names of the window's
// components, "%Form%" for its caption, the ditto key (one double quote) for
// the next item of the component above, the hint key ("\".Hint") for its
// hint, and "@" names for free texts that program code fetches with GetWord.
//
// This is the part without widgets: the table files, the lookup with its
// fallback to the default language, the walk that a language switch makes
// over the table, the positions kept per language, and the program-wide
// language. The window side (framework/MLang.h) writes the texts and
// positions into widgets.
//
// Table files are UTF-8 text, one per window (data folder "lang/", named
// after the window):
//   # comment
//   !DefaultEnabled=1          options: DefaultEnabled, DefaultLanguage, Languages
//   key<TAB>English<TAB>French<TAB>Dutch<TAB>German
// A text may hold \r, \n, \t and \\ for a carriage return, a line feed, a tab
// and a backslash; missing trailing texts are empty. A table may also carry
// per-language positions of the window's controls:
//   !SwitchPositions=1         0 none, 1 controls only, 2 the window and controls
//   !Position=PlayButton,8.8.80.24,8.8.120.24,8.8.80.24,8.8.80.24
// and one font per language, in language order:
//   !CharSet=Arial,0

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vs {

// Column order of every table.
enum TLanguage : int { LangEnglish = 0, LangFrench = 1, LangDutch = 2, LangGerman = 3 };
inline constexpr int TableLanguages = 4;

// ------------------------------------------------------------ format texts

// An argument of a format text: a number or a text.
class TFormatArg {
public:
  template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
  TFormatArg(T n) : Text(std::to_string(n)) {}
  TFormatArg(std::string_view text) : Text(text) {}
  TFormatArg(const std::string& text) : Text(text) {}
  TFormatArg(const char* text) : Text(text ? text : "") {}
  const std::string& str() const { return Text; }

private:
  std::string Text;
};

// Fills a translated format text safely: "%d" and "%s" take the next
// argument (a number or a text, whichever was given), "%%" is one "%". Any
// other "%" sequence, and a placeholder without an argument left, stays as
// written; arguments left over are ignored. Nothing a translator writes can
// read past the arguments.
std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args);

// ------------------------------------------------- per-language positions

// Whether positions are kept per language, and for what.
enum TSwitchPositions : int { spNone = 0, spControlsOnly = 1, spFormAndControls = 2 };

// The rows of Positions: one per component, its name (FormPositionKey for
// the window itself), then one field per language, joined by commas. A
// field is Left.Top.Width.Height in decimal.
inline constexpr std::string_view FormPositionKey = "%Form%";

// Left, Top, Width and Height of a component; a value it lacks is none.
struct TPositionValues {
  std::optional<int> Left, Top, Width, Height;
};

// The four values joined by dots (a missing one empty); empty when all four
// are missing.
std::string JoinPositionField(const TPositionValues& values);
// Left, Top, Width and Height of a field; none unless it is exactly four
// decimal numbers.
std::optional<std::array<int, 4>> ParsePositionField(std::string_view field);
std::vector<std::string> SplitPositionRow(std::string_view row);
std::string JoinPositionRow(const std::vector<std::string>& fields);
// True when some language's field of the row is not the first language's.
bool PositionRowDiffers(std::string_view row);
// Puts field as language's field of the last row for name, first filling
// the row up to one field per language; a component without a row gets one
// holding the field for every language.
void StorePositionField(std::vector<std::string>& rows, std::string_view name, const std::string& field,
                        int language, int languages);
// The field of the last row for name in language; empty when there is none.
std::string StoredPositionField(const std::vector<std::string>& rows, std::string_view name, int language);

// ---------------------------------------------------- one font per language

// An entry of CharSets: a font name, a comma and a character-set number in
// decimal.
struct TCharSetEntry {
  std::string Name;
  int CharSet = 0;
};
std::string FormCharSetEntry(std::string_view name, int charSet);
// None for an entry without a comma or without a name; a number that is not
// one reads as 0.
std::optional<TCharSetEntry> SplitCharSetEntry(std::string_view entry);
// Puts entry as language's font, first filling the list up to one entry per
// language with it.
void StoreCharSetEntry(std::vector<std::string>& charSets, const std::string& entry, int language, int languages);

// ------------------------------------------------------- language columns

// The texts a new language starts with.
inline constexpr std::string_view NewLanguageText = "?";
// Widens every row of a table of from languages to to (more): each row gets
// NewLanguageText for every new language at its end. An incomplete last row
// is first filled up with empty texts.
void InsertLanguageColumns(std::vector<std::string>& words, int from, int to);
// Narrows every row of a table of from languages to to (fewer): the texts of
// languages to .. from - 1 go. An incomplete last row keeps what is left of
// its first to + 1 entries.
void DeleteLanguageColumns(std::vector<std::string>& words, int from, int to);

// --------------------------------------------------------------- the table

struct TLangTable {
  // The flat table: rows of Languages + 1 entries (key, then one text per
  // language).
  std::vector<std::string> Words;
  int Languages = TableLanguages;
  int DefaultLanguage = LangEnglish;
  bool DefaultEnabled = false;
  TSwitchPositions SwitchPositions = spNone;
  std::vector<std::string> Positions;
  std::vector<std::string> CharSets;
};

// Reads a table file's text (a UTF-8 byte-order mark and CR LF line ends are
// accepted). Lines that are empty or begin with "#" are skipped; an option
// line with an unknown name or a value out of range is ignored.
TLangTable ParseLangTable(std::string_view text);
// Reads a table file; no value when it can't be read.
std::optional<TLangTable> LoadLangTable(const std::string& fileName);

// The folder of the table files (the data folder's "lang/"), set at start-up.
void SetLangFolder(const std::string& folder);
const std::string& LangFolder();
// LangFolder() + window + ".txt" (empty while no folder is set).
std::string LangTableFile(std::string_view window);

// ------------------------------------------------- the multi-language base

// The ditto key and the hint key.
inline constexpr std::string_view DittoKey = "\"";
inline constexpr std::string_view HintKey = "\".Hint";

class TBaseMultiLang {
public:
  // Enters itself at the end of MultiLangInstances().
  TBaseMultiLang();
  virtual ~TBaseMultiLang();
  TBaseMultiLang(const TBaseMultiLang&) = delete;
  TBaseMultiLang& operator=(const TBaseMultiLang&) = delete;

  // The name of the window that owns the table (program code finds a
  // window's table by it).
  std::string Owner;
  // The table; Languages, DefaultLanguage and DefaultEnabled come with it.
  void SetTable(TLangTable table);
  std::vector<std::string> Words;

  // Asked before a switch (allowIt enters true; false vetoes it) and told
  // after the texts of a switch are applied.
  std::function<void(int newLanguage, bool& allowIt)> BeforeLanguageChange;
  std::function<void(int newLanguage)> AfterLanguageChanged;
  // Told when GetWord finds no row: res enters holding the key, and is the
  // result on return.
  std::function<void(const std::string& id, std::string& res)> IdNotFoundError;

  int Languages() const { return LanguageCount; }
  // Changes the number of languages. More: every row gets a "?" text per
  // new language. Fewer: asks first (a question that says so when the
  // language shown goes too, which then switches to language 0) and drops
  // the texts of the languages that go; no languages at all is refused.
  // False when nothing changed.
  bool SetLanguages(int m);
  int ActiveLanguage() const { return Active; }
  int DefaultLanguage() const { return DefaultLang; }
  bool DefaultEnabled() const { return DefaultOn; }
  // A language not below Languages() shows the range message and changes
  // nothing; otherwise a change applies the texts again.
  void SetDefaultLanguage(int language);
  void SetDefaultEnabled(bool enabled);

  // Switches to language n and applies every text of the table (also when n
  // is the language already shown). n not below Languages(): the range
  // message, nothing changes. False when nothing was switched.
  bool SetActiveLanguage(int n);
  // A window that is ready takes the program's language. A language its
  // table lacks is no error here: the window shows its default language,
  // silently.
  void Loaded();

  // The text of a key in the active language (with the fallback rule). A
  // key without a complete row, or whose row has no text in the active
  // language and none by the fallback, yields the key itself, after the
  // not-found event: program code never shows an empty message. Letter case
  // counts.
  std::string GetWord(std::string_view key);
  // True when the table has a complete row for the key.
  bool HasWord(std::string_view key) const;
  // The texts of count rows from the row of the component named key on,
  // as a switch reads them (a file dialog's title, then its filter from
  // the next row); none when the table lacks the key or the rows.
  std::optional<std::vector<std::string>> RowTexts(std::string_view key, size_t count) const;
  // GetWord(key) used as a format (see FormatText).
  std::string FormatWord(std::string_view key, std::initializer_list<TFormatArg> args);

  // The text of the row starting at entry r: the active language's text,
  // or, when that is empty and the fallback is enabled, the default
  // language's (which may be empty too).
  std::string RowText(size_t r) const;

  // Positions per language. Changing the option away from keeping them
  // asks before dropping positions that differ between languages: to
  // spNone for every row, from spFormAndControls to spControlsOnly for the
  // window's own row; a No keeps everything (false).
  TSwitchPositions SwitchPositions() const { return Switch; }
  bool SetSwitchPositions(TSwitchPositions value);
  std::vector<std::string> Positions;
  // Keeps the position of the component named name (FormPositionKey: the
  // window) as the active language's. Nothing happens while positions are
  // not kept, nor for the window with spControlsOnly.
  void StorePosition(std::string_view name, const TPositionValues& values);
  // The active language's position of the component, under the same rule;
  // none when it has none.
  std::optional<std::array<int, 4>> StoredPosition(std::string_view name) const;

  // One font per language (see TCharSetEntry). A switch keeps the window's
  // font as the font of the language being left and gives the window the
  // font of the new language when the list has one.
  std::vector<std::string> CharSets;

  // A table that no window owns (program code reading a window's free texts
  // before or without the window).
  bool Headless = false;

protected:
  // The window side: before a switch, store the positions of the window
  // and then of every component it owns (StorePosition); after it, put the
  // window where the new language has it. Components take theirs in
  // ApplyComponentWords.
  virtual void StorePositions() {}
  virtual void RestoreFormPosition() {}
  // The window side: the name of the window's font (empty: nothing to keep)
  // and giving the window the font of that name.
  virtual std::string FormFontName() const { return {}; }
  virtual void SetFormFontName(const std::string& /*name*/) {}
  // The window side: the caption of the window ("%Form%" rows; false when
  // the window has none) ...
  virtual bool SetFormCaption(const std::string& /*text*/) { return false; }
  // ... and the texts of the component named key, starting at row index i:
  // false when the window has no such component; otherwise the rows used
  // are applied and i moves past them (at least past the component's own).
  virtual bool ApplyComponentWords(const std::string& /*key*/, size_t& /*i*/) { return false; }

  // Helpers for ApplyComponentWords, following the table's rules:
  // "read a text": when the row at i has the active language's entry, its
  // text (fallback rule) and i moves to the next row; else no value.
  std::optional<std::string> ReadText(size_t& i) const;
  // "apply lines": the component's own row is line 0, each ditto row after
  // it the next line, until the table ends, a row is not a ditto row or
  // every line is set; the lines left without a row become empty. Nothing
  // happens to an empty list or at the end of the table.
  void ApplyLines(size_t& i, std::vector<std::string>& lines) const;
  // Texts of the component's row and the ditto rows that follow it (a row
  // without text gives an empty one), as long as rows are ditto rows.
  std::vector<std::string> ReadDittoTexts(size_t& i) const;
  // The hint of a component whose rows began at i0: the component's own row
  // is passed over when nothing read it yet; then a hint row gives the
  // hint. No value when there is no hint row or its text is empty.
  std::optional<std::string> ReadHint(size_t& i, size_t i0) const;
  bool RowIs(size_t i, std::string_view key) const;
  size_t RowSize() const { return static_cast<size_t>(LanguageCount) + 1; }

private:
  void ApplyTexts();
  void RangeMessage() const;

  int LanguageCount = TableLanguages;
  int Active = 0;
  int DefaultLang = 0;
  bool DefaultOn = false;
  TSwitchPositions Switch = spNone;
  bool Shown = false;  // a switch has applied a language
};

// Every multi-language object alive, in creation order.
std::vector<TBaseMultiLang*>& MultiLangInstances();
// The language that windows made from now on take (0 at start).
int GlobalLanguage();
// Switches every multi-language object whose table has the language, in
// list order (the others stay as they are, without a message), then makes
// it the language of windows made later.
void SetGlobalLanguage(int language);
// Told of every SetGlobalLanguage first (the window side: the toolkit's
// own dialogs and buttons in that language).
std::function<void(int language)>& GlobalLanguageFollower();

// The table of a window: the window's own when it exists, else one read
// from LangTableFile(window) and kept (empty when there is no file), which
// follows the program's language like the windows' tables.
TBaseMultiLang& WindowWords(std::string_view window);
// WindowWords(window).GetWord(key).
std::string GetWord(std::string_view window, std::string_view key);
// The key's text in the window's table, or english when the table has no
// row for it (a data folder without tables still speaks English).
std::string WindowText(std::string_view window, std::string_view key, std::string_view english);

// The main window's table, which holds most of the program's free texts.
inline constexpr std::string_view MainWindowTable = "VorbelStepsMainForm";
// Drops the kept tables that no window owns (tests, a new data folder).
void ForgetHeadlessTables();

}  // namespace vs
