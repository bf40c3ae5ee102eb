#pragma once
// A language made at test time from English, to find the texts that no
// table gives and the texts that don't fit: every text of every table
// wrapped in markers and made 40% longer with accented letters. It takes
// the tables' fourth column (German, empty and not offered), and the files
// of texts that exist per language (tips, help, products info, tutorial
// pages) get a copy of the English ones made the same way.

#include <QString>
#include <string>

#include "toolbox/MLBase.h"

namespace vs::testing {

inline constexpr int PseudoLanguage = LangGerman;
// The markers around every text of the pseudo-language.
inline constexpr char16_t PseudoOpen = u'\u2039';   // ‹
inline constexpr char16_t PseudoClose = u'\u203A';  // ›

// The pseudo-language's text of an English one: each line, and each part
// of a "short|long" or "caption|message" text, marked and lengthened on its
// own; "&" accelerators, "%" placeholders and the patterns of file filters
// ("Songs (*.zmp)") stay as they are.
QString PseudoText(const QString& english);
// True when the text holds a marked text of the pseudo-language.
bool IsPseudo(const QString& text);

// Writes the pseudo-language into the data folder app (ending in "/"): the
// fourth column of every table, and "_3" copies of the per-language texts.
void MakePseudoLanguage(const std::string& app);

}  // namespace vs::testing
