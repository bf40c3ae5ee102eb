#pragma once
// The plain text of a rich text (RTF) document: paragraphs, tabs and
// characters kept, formatting, tables of fonts and colours, pictures and
// other destinations dropped. Input that is not RTF is taken as Windows-1252
// text.

#include <string>
#include <string_view>

namespace vs {

// UTF-8 text; paragraphs end in "\n".
std::string RTFToPlainText(std::string_view rtf);

}  // namespace vs
