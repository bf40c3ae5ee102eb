#include "PseudoLanguage.h"

#include <QRegularExpression>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "toolbox/RTFText.h"

namespace vs::testing {

namespace fs = std::filesystem;

namespace {

const QString Plain = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString Accented = QStringLiteral(
    u"\u00E5\u0180\u00E7\u00F0\u00E9\u0192\u011D\u0125\u00EE\u0135\u0137\u013A\u0271\u00F1\u00F6\u00FE\u01EB\u0155"
    u"\u0161\u0163\u00FB\u1E7D\u0175\u1E8B\u00FD\u017E\u00C5\u0181\u00C7\u00D0\u00C9\u0191\u011C\u0124\u00CE\u0134"
    u"\u0136\u0139\u1E40\u00D1\u00D6\u00DE\u01EA\u0154\u0160\u0162\u00DB\u1E7C\u0174\u1E8A\u00DD\u017D");
const QString Padding = QStringLiteral(u"\u00E0\u00E9\u00EE\u00F5\u00FC\u00E7\u00F1");

// One piece of text without line breaks or bars: accented, lengthened and
// marked; spaces at its ends stay outside the markers.
QString Piece(const QString& text) {
  const qsizetype first = text.indexOf(QRegularExpression(QStringLiteral("\\S")));
  if (first < 0) return text;
  const qsizetype last = text.lastIndexOf(QRegularExpression(QStringLiteral("\\S")));
  QString core = text.mid(first, last - first + 1);
  // A file filter keeps its pattern.
  QString pattern;
  static const QRegularExpression filter(QStringLiteral("^(.*\\S)(\\s*\\([^()]*\\*[^()]*\\))$"));
  if (const QRegularExpressionMatch m = filter.match(core); m.hasMatch()) {
    core = m.captured(1);
    pattern = m.captured(2);
  }
  QString out;
  int letters = 0;
  for (qsizetype i = 0; i < core.size(); ++i) {
    const QChar c = core[i];
    if (c == QLatin1Char('%') && i + 1 < core.size()) {
      out += core.mid(i, 2);
      ++i;
      continue;
    }
    const qsizetype at = Plain.indexOf(c);
    out += at >= 0 ? Accented[at] : c;
    if (c.isLetterOrNumber()) ++letters;
  }
  for (int n = 0; n < (letters * 2 + 4) / 5; ++n) out += Padding[n % Padding.size()];
  return text.left(first) + PseudoOpen + out + PseudoClose + pattern + text.mid(last + 1);
}

// Splits at the separators given (kept as they are) and makes each part a
// piece, or hands it to the next level.
QString Split(const QString& text, const QRegularExpression& at, const std::function<QString(const QString&)>& part) {
  QString out;
  qsizetype from = 0;
  for (QRegularExpressionMatchIterator it = at.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    out += part(text.mid(from, m.capturedStart() - from)) + m.captured();
    from = m.capturedEnd();
  }
  return out + part(text.mid(from));
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The escapes of a table file: \r, \n, \t and \\.
QString Unescape(const QString& field) {
  QString out;
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] != QLatin1Char('\\') || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const QChar c = field[++i];
    out += c == QLatin1Char('r') ? QChar('\r') : c == QLatin1Char('n') ? QChar('\n') : c == QLatin1Char('t') ? QChar('\t') : c;
  }
  return out;
}

QString Escape(QString text) {
  return text.replace(QLatin1String("\\"), QLatin1String("\\\\"))
      .replace(QLatin1String("\r"), QLatin1String("\\r"))
      .replace(QLatin1String("\n"), QLatin1String("\\n"))
      .replace(QLatin1String("\t"), QLatin1String("\\t"));
}

// A rich text whose every paragraph is marked and lengthened as one piece.
std::string PseudoRTF(const std::string& rtf) {
  TRTFDocument doc = ReadRTF(rtf);
  for (TRTFParagraph& p : doc.Paragraphs) {
    std::vector<TRTFRun*> texts;
    for (TRTFRun& r : p.Runs)
      if (!r.Picture && !QString::fromStdString(r.Text).trimmed().isEmpty()) texts.push_back(&r);
    if (texts.empty()) continue;
    for (TRTFRun* r : texts) {
      QString pseudo = Piece(QString::fromStdString(r->Text));
      if (r != texts.front()) pseudo.remove(pseudo.indexOf(PseudoOpen), 1);
      if (r != texts.back()) pseudo.remove(pseudo.lastIndexOf(PseudoClose), 1);
      r->Text = pseudo.toStdString();
    }
  }
  return WriteRTF(doc);
}

}  // namespace

QString PseudoText(const QString& english) {
  static const QRegularExpression lines(QStringLiteral("\r\n|\r|\n"));
  static const QRegularExpression bars(QStringLiteral("\\||;;|\t"));
  return Split(english, lines, [](const QString& line) { return Split(line, bars, Piece); });
}

bool IsPseudo(const QString& text) { return text.contains(PseudoOpen); }

void MakePseudoLanguage(const std::string& app) {
  for (const auto& entry : fs::directory_iterator(app + "lang/")) {
    QStringList out;
    for (const QString& line : QString::fromStdString(ReadFile(entry.path())).split(QLatin1Char('\n'))) {
      if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char('!'))) {
        out << line;
        continue;
      }
      QStringList fields = line.split(QLatin1Char('\t'));
      while (fields.size() < 1 + TableLanguages) fields << QString();
      fields[1 + PseudoLanguage] = Escape(PseudoText(Unescape(fields[1])));
      out << fields.join(QLatin1Char('\t'));
    }
    WriteFile(entry.path(), out.join(QLatin1Char('\n')).toStdString());
  }
  const std::string suffix = "_" + std::to_string(PseudoLanguage);
  for (const char* name : {"Tips"}) {
    QStringList tips;
    for (const QString& line : QString::fromStdString(ReadFile(app + "Texts/" + name + ".txt")).split(QLatin1Char('\n')))
      tips << (line.trimmed().isEmpty() ? line : PseudoText(line));
    WriteFile(app + "Texts/" + name + suffix + ".txt", tips.join(QLatin1Char('\n')).toStdString());
  }
  for (const char* name : {"HelpTxt", "InfoTxt", "AboutTxt"})
    WriteFile(app + "Texts/" + name + suffix + ".rtf", PseudoRTF(ReadFile(app + "Texts/" + name + ".rtf")));
  const fs::path tutorial = fs::path(app) / "Loops/Tutorial";
  fs::create_directories(tutorial / ("Texts" + suffix));
  for (const auto& page : fs::directory_iterator(tutorial / "Texts_0"))
    WriteFile(tutorial / ("Texts" + suffix) / page.path().filename(), PseudoRTF(ReadFile(page.path())));
}

}  // namespace vs::testing
