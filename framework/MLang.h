#pragma once
// A window's texts in the chosen language. Each window that speaks several
// languages owns one TMultiLang (object name "MultiLang1"), made after its
// controls: it reads the window's table (lang/<window object name>.txt in
// the data folder), takes the program's language at once (Loaded) and
// re-texts the window on every SetGlobalLanguage. Components are found by
// object name in any letter case: widgets, menus and menu actions.
//
// What a component's rows set depends on its kind: list widgets and combo
// boxes their items (a combo box keeps its selected index), group boxes
// their title, tab pages their tab's text, menus their title, actions and
// buttons and labels and line edits their text, text edits their lines,
// file dialogs their title and then their filter, a window its caption;
// anything else a "caption" or "text" property when it has one. A hint row
// sets the component's hint (SetHint below).
//
// The font of each language (CharSets) is the window's font family; its
// controls take it unless they set a font of their own.
//
// With SwitchPositions on, a switch also keeps where the window (its frame
// position and size) and its named child widgets stand in the language
// being left, and puts them where the new language has them: the window at
// once, each widget when its rows are applied.

#include <QObject>
#include <QString>
#include <string>

#include "toolbox/MLBase.h"

class QFileDialog;
class QWidget;

namespace vs {

class TMultiLang : public QObject, public TBaseMultiLang {
  Q_OBJECT

public:
  // Reads the window's table from the language folder.
  explicit TMultiLang(QWidget* window);
  // With a table of the caller's (tests, windows made in code).
  TMultiLang(QWidget* window, TLangTable table);

  QString Word(std::string_view key) { return QString::fromStdString(GetWord(key)); }
  QString FormatQ(std::string_view key, std::initializer_list<TFormatArg> args) {
    return QString::fromStdString(FormatWord(key, args));
  }

protected:
  void StorePositions() override;
  void RestoreFormPosition() override;
  std::string FormFontName() const override;
  void SetFormFontName(const std::string& name) override;
  bool SetFormCaption(const std::string& text) override;
  bool ApplyComponentWords(const std::string& key, size_t& i) override;

private:
  QObject* FindComponent(const std::string& key) const;
  QWidget* Window;
};

// The window's multi-language object: its own "MultiLang1" when it made
// one, else one made now from its table file and loaded (null when the
// window has no table).
TMultiLang* AttachWindowWords(QWidget* window);

// The desktop's family for a font the tables name: the sans, fixed and
// serif families of the tables' platform become the desktop's own (DejaVu
// where it is installed); a family the desktop has stays; anything else is
// the desktop's sans family.
QString DesktopFontFamily(const QString& name);

// A file dialog made when it opens takes the texts that a switch writes
// into the dialog component named key: its title from the key's row, its
// filters (joined by ";;") from the row after it. Without such rows in
// words (or without words) it keeps the title and filters it has.
void ApplyDialogWords(QFileDialog& dialog, const TBaseMultiLang* words, std::string_view key);

// A control of fixed size whose text is wider than its room (a panel's
// label, a check box, a button) is written narrower, its font condensed
// down to 60% of its width, so that a longer translation shows whole; one
// whose text fits takes its font's usual width again. Controls marked with
// KeepTextCondensed are fitted again whenever a switch writes their text.
void CondenseToFit(QWidget* control);
void KeepTextCondensed(QWidget* control);

// A hint "short|long": the short part becomes the tool tip (and the
// accessible name when the control has none), the long part the status
// tip that the info bar shows; the whole text stays in the "hint" property.
void SetHint(QObject* component, const QString& hint);

// The program's language as the settings window's language box chooses it:
// kept in the preferences and applied to every window.
struct TPreferences;
void ChooseLanguage(TPreferences& prefs, int language);

}  // namespace vs
