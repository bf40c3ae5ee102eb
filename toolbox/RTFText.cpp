#include "toolbox/RTFText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "toolbox/TextCodec.h"

namespace vs {

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

bool IsSkippedDestination(std::string_view word) {
  static const char* const names[] = {"fonttbl", "colortbl", "stylesheet", "info",   "pict",
                                      "object",  "header",   "footer",     "footnote", "listtable",
                                      "listoverridetable", "themedata", "datastore", "xmlnstbl",
                                      "latentstyles", "generator", "rsidtbl", "mmathPr"};
  for (const char* n : names)
    if (word == n) return true;
  return false;
}

}  // namespace

std::string RTFToPlainText(std::string_view rtf) {
  if (rtf.substr(0, 5) != "{\\rtf") return Cp1252ToUtf8(rtf);
  std::string out;
  std::string pending;  // Windows-1252 bytes not yet decoded
  auto flush = [&] {
    if (!pending.empty()) out += Cp1252ToUtf8(pending);
    pending.clear();
  };
  struct TGroup {
    bool Skip;
    int UnicodeSkip;
  };
  std::vector<TGroup> groups{{false, 1}};
  int skipChars = 0;  // fallback characters after \uN still to drop
  size_t i = 0;
  const size_t n = rtf.size();
  while (i < n) {
    const char c = rtf[i];
    TGroup& g = groups.back();
    if (c == '{') {
      groups.push_back(g);
      ++i;
      continue;
    }
    if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (skipChars > 0)
        --skipChars;
      else if (!g.Skip)
        pending += c;
      ++i;
      continue;
    }
    // A control symbol or word.
    if (i + 1 >= n) break;
    const char s = rtf[i + 1];
    if (s == '\\' || s == '{' || s == '}') {
      if (skipChars > 0)
        --skipChars;
      else if (!g.Skip)
        pending += s;
      i += 2;
      continue;
    }
    if (s == '\'') {
      if (i + 3 < n && std::isxdigit(static_cast<unsigned char>(rtf[i + 2])) &&
          std::isxdigit(static_cast<unsigned char>(rtf[i + 3]))) {
        const char hex[3] = {rtf[i + 2], rtf[i + 3], 0};
        if (skipChars > 0)
          --skipChars;
        else if (!g.Skip)
          pending += char(std::strtol(hex, nullptr, 16));
        i += 4;
      } else {
        i += 2;  // a broken escape: its digits go with it
        while (i < n && std::isxdigit(static_cast<unsigned char>(rtf[i]))) ++i;
      }
      continue;
    }
    if (s == '*') {
      g.Skip = true;
      i += 2;
      continue;
    }
    if (s == '~' && !g.Skip) pending += '\xA0';
    if (!std::isalpha(static_cast<unsigned char>(s))) {
      i += 2;
      continue;
    }
    size_t j = i + 1;
    while (j < n && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
    const std::string_view word = rtf.substr(i + 1, j - i - 1);
    bool hasParam = false;
    long param = 0;
    size_t k = j;
    if (k < n && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) {
      size_t d = k + (rtf[k] == '-' ? 1 : 0);
      while (d < n && d - k < 10 && std::isdigit(static_cast<unsigned char>(rtf[d]))) ++d;
      param = std::strtol(std::string(rtf.substr(k, d - k)).c_str(), nullptr, 10);
      hasParam = true;
      k = d;
    }
    if (k < n && rtf[k] == ' ') ++k;  // the delimiting space belongs to the word
    i = k;
    skipChars = 0;
    if (g.Skip) continue;
    if (IsSkippedDestination(word)) {
      g.Skip = true;
    } else if (word == "par" || word == "line") {
      pending += '\n';
    } else if (word == "tab") {
      pending += '\t';
    } else if (word == "uc" && hasParam) {
      g.UnicodeSkip = static_cast<int>(std::max(0L, std::min(param, 8L)));
    } else if (word == "u" && hasParam) {
      flush();
      const uint32_t code = static_cast<uint32_t>(param < 0 ? param + 65536 : param) & 0xFFFF;
      AppendUtf8(out, code >= 0xD800 && code < 0xE000 ? uint32_t('?') : code);
      skipChars = g.UnicodeSkip;
    }
  }
  flush();
  return out;
}

}  // namespace vs
