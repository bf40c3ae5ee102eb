#include "framework/MLang.h"

#include <algorithm>

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include "model/Preferences.h"

namespace vs {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::vector<std::string> Lines(const QStringList& list) {
  std::vector<std::string> lines;
  for (const QString& s : list) lines.push_back(s.toStdString());
  return lines;
}

// A widget that is a page of a tab widget: the tab widget and the page's
// index, else null.
QTabWidget* TabOf(QWidget* page, int& index) {
  if (!page || !page->parentWidget()) return nullptr;
  auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
  auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  if (!tabs) return nullptr;
  index = tabs->indexOf(page);
  return index >= 0 ? tabs : nullptr;
}

// A child widget that keeps a position of its own: named by the window's
// maker (Qt's inner parts are not) and not a window of its own.
bool HasOwnPosition(const QWidget* w) {
  return !w->isWindow() && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
}

}  // namespace

void SetHint(QObject* component, const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString shortHint = bar < 0 ? hint : hint.left(bar);
  const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
  component->setProperty("hint", hint);
  if (auto* action = qobject_cast<QAction*>(component)) {
    action->setToolTip(shortHint.isEmpty() ? action->text() : shortHint);
    action->setStatusTip(longHint);
  } else if (auto* widget = qobject_cast<QWidget*>(component)) {
    widget->setToolTip(shortHint);
    widget->setStatusTip(longHint);
    // A hint for the info bar only ("|long") names the control by its long part.
    const QString name = shortHint.isEmpty() ? longHint : shortHint;
    if (!name.isEmpty() && (widget->accessibleName().isEmpty() ||
                            widget->property("accessibleFromHint").toBool())) {
      widget->setAccessibleName(name);
      widget->setProperty("accessibleFromHint", true);
    }
  }
}

void ApplyDialogWords(QFileDialog& dialog, const TBaseMultiLang* words, std::string_view key) {
  const std::optional<std::vector<std::string>> texts = words ? words->RowTexts(key, 2) : std::nullopt;
  if (!texts) return;
  if (!(*texts)[0].empty()) dialog.setWindowTitle(Q((*texts)[0]));
  if (!(*texts)[1].empty()) dialog.setNameFilters(Q((*texts)[1]).split(QStringLiteral(";;")));
}

namespace {

// The width the control's text needs and the room it has (none: a
// control without a single line of text).
std::optional<std::pair<int, int>> TextNeed(QWidget* w) {
  const QFontMetrics fm = w->fontMetrics();
  auto widest = [&fm](const QString& text) {
    int width = 0;
    for (QString line : text.split(QLatin1Char('\n'))) width = std::max(width, fm.horizontalAdvance(line.remove('&')));
    return width;
  };
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (label->wordWrap() || label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
      return std::nullopt;
    return std::pair{widest(label->text()), label->contentsRect().width() - 4};
  }
  if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) return std::pair{w->sizeHint().width(), w->width()};
  if (auto* button = qobject_cast<QAbstractButton*>(w))
    return std::pair{widest(button->text()) + 6, w->width()};
  if (w->property("caption").isValid()) return std::pair{widest(w->property("caption").toString()) + 4, w->width()};
  return std::nullopt;
}

void SetStretch(QWidget* w, int stretch) {
  if (w->font().stretch() == stretch) return;
  QFont font = w->font();
  font.setStretch(stretch);
  w->setFont(font);
}

}  // namespace

void CondenseToFit(QWidget* control) {
  SetStretch(control, QFont::Unstretched);
  std::optional<std::pair<int, int>> need = TextNeed(control);
  if (!need || need->first <= need->second || need->first <= 0) return;
  for (int stretch = std::max(60, need->second * 100 / need->first); stretch >= 60; stretch -= 2) {
    SetStretch(control, stretch);
    need = TextNeed(control);
    if (need->first <= need->second) return;
  }
}

void KeepTextCondensed(QWidget* control) {
  control->setProperty("condense", true);
  CondenseToFit(control);
}

TMultiLang* AttachWindowWords(QWidget* window) {
  if (auto* own = window->findChild<TMultiLang*>(QStringLiteral("MultiLang1"), Qt::FindDirectChildrenOnly))
    return own;
  std::optional<TLangTable> table = LoadLangTable(LangTableFile(window->objectName().toStdString()));
  if (!table) return nullptr;
  auto* words = new TMultiLang(window, std::move(*table));
  words->Loaded();
  return words;
}

void ChooseLanguage(TPreferences& prefs, int language) {
  prefs.Language = language;
  ClampPreferences(prefs);
  SetGlobalLanguage(prefs.Language);
}

TMultiLang::TMultiLang(QWidget* window)
    : TMultiLang(window, LoadLangTable(LangTableFile(window->objectName().toStdString())).value_or(TLangTable())) {}

namespace {

// The toolkit's own texts (standard buttons, file dialogs, edit menus) in
// the language of the tables' column, where the desktop has them.
void FollowWithToolkit(int language) {
  static QTranslator* translator = nullptr;
  static const char* const names[] = {"en", "fr", "nl", "de"};
  if (translator) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
    translator = nullptr;
  }
  if (language <= LangEnglish || language >= TableLanguages || !QCoreApplication::instance()) return;
  auto* t = new QTranslator;
  if (t->load(QStringLiteral("qtbase_") + QLatin1String(names[language]),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(t))
    translator = t;
  else
    delete t;
}

}  // namespace

TMultiLang::TMultiLang(QWidget* window, TLangTable table) : QObject(window), Window(window) {
  if (!GlobalLanguageFollower()) GlobalLanguageFollower() = FollowWithToolkit;
  setObjectName("MultiLang1");
  Owner = window->objectName().toStdString();
  SetTable(std::move(table));
}

void TMultiLang::StorePositions() {
  if (SwitchPositions() == spNone) return;
  StorePosition(FormPositionKey, {Window->x(), Window->y(), Window->width(), Window->height()});
  for (QWidget* w : Window->findChildren<QWidget*>()) {
    if (HasOwnPosition(w)) StorePosition(w->objectName().toStdString(), {w->x(), w->y(), w->width(), w->height()});
  }
}

void TMultiLang::RestoreFormPosition() {
  if (std::optional<std::array<int, 4>> p = StoredPosition(FormPositionKey)) {
    Window->move((*p)[0], (*p)[1]);
    Window->resize(std::max(0, (*p)[2]), std::max(0, (*p)[3]));
  }
}

std::string TMultiLang::FormFontName() const { return Window->font().family().toStdString(); }

QString DesktopFontFamily(const QString& name) {
  // The families the tables name, by kind; anything else is used as it
  // stands when the desktop has it.
  static const char* const sans[] = {"Arial", "MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg",
                                     "MS Shell Dlg 2", "Tahoma", "Verdana", "Segoe UI", "Helvetica"};
  static const char* const fixed[] = {"Courier New", "Courier", "Lucida Console", "Fixedsys", "Terminal"};
  static const char* const serif[] = {"Times New Roman", "MS Serif", "Times"};
  auto among = [&](const auto& names) {
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; });
  };
  auto desktop = [](const char* preferred, QFont::StyleHint hint) {
    if (QFontDatabase::hasFamily(QLatin1String(preferred))) return QString::fromLatin1(preferred);
    QFont font;
    font.setStyleHint(hint);
    font.setFamily(QString());
    return QFontInfo(font).family();
  };
  if (among(sans)) return desktop("DejaVu Sans", QFont::SansSerif);
  if (among(fixed)) return desktop("DejaVu Sans Mono", QFont::Monospace);
  if (among(serif)) return desktop("DejaVu Serif", QFont::Serif);
  if (name.isEmpty() || !QFontDatabase::hasFamily(name)) return desktop("DejaVu Sans", QFont::SansSerif);
  return name;
}

void TMultiLang::SetFormFontName(const std::string& name) {
  // Qt fonts have no character set (the font database picks the script per
  // character), so only the family is applied, as the desktop has it; the
  // number stays in the stored entry. A font that is already the window's
  // is left alone, so a window whose font nobody chose keeps following the
  // program's.
  const QString family = DesktopFontFamily(Q(name));
  if (Window->font().family() == family) return;
  QFont font = Window->font();
  font.setFamily(family);
  Window->setFont(font);
}

bool TMultiLang::SetFormCaption(const std::string& text) {
  Window->setWindowTitle(Q(text));
  return true;
}

QObject* TMultiLang::FindComponent(const std::string& key) const {
  const QString name = Q(key);
  if (Window->objectName().compare(name, Qt::CaseInsensitive) == 0) return Window;
  for (QObject* child : Window->findChildren<QObject*>())
    if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
  return nullptr;
}

bool TMultiLang::ApplyComponentWords(const std::string& key, size_t& i) {
  QObject* c = FindComponent(key);
  if (!c) return false;
  const size_t i0 = i;
  if (auto* w = qobject_cast<QWidget*>(c); w && HasOwnPosition(w)) {
    if (std::optional<std::array<int, 4>> p = StoredPosition(w->objectName().toStdString()))
      w->setGeometry((*p)[0], (*p)[1], std::max(0, (*p)[2]), std::max(0, (*p)[3]));
  }
  auto text = [&](auto&& set) {
    if (std::optional<std::string> t = ReadText(i)) set(Q(*t));
  };

  if (auto* list = qobject_cast<QListWidget*>(c)) {
    std::vector<std::string> lines;
    for (int r = 0; r < list->count(); ++r) lines.push_back(list->item(r)->text().toStdString());
    ApplyLines(i, lines);
    for (int r = 0; r < list->count(); ++r) list->item(r)->setText(Q(lines[r]));
  } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
    std::vector<std::string> lines;
    for (int r = 0; r < combo->count(); ++r) lines.push_back(combo->itemText(r).toStdString());
    ApplyLines(i, lines);
    const int index = combo->currentIndex();
    const bool blocked = combo->blockSignals(true);
    for (int r = 0; r < combo->count(); ++r) combo->setItemText(r, Q(lines[r]));
    combo->setCurrentIndex(index);
    combo->blockSignals(blocked);
  } else if (auto* menu = qobject_cast<QMenu*>(c)) {
    text([&](const QString& t) { menu->setTitle(t); });
  } else if (auto* action = qobject_cast<QAction*>(c)) {
    text([&](const QString& t) { action->setText(t); });
  } else if (auto* dialog = qobject_cast<QFileDialog*>(c)) {
    text([&](const QString& t) { dialog->setWindowTitle(t); });
    text([&](const QString& t) { dialog->setNameFilters(t.split(QStringLiteral(";;"))); });
  } else if (c->isWidgetType() && static_cast<QWidget*>(c)->isWindow()) {
    text([&](const QString& t) { static_cast<QWidget*>(c)->setWindowTitle(t); });
  } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
    text([&](const QString& t) { group->setTitle(t); });
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
    std::vector<std::string> lines = Lines(memo->toPlainText().split(QLatin1Char('\n')));
    ApplyLines(i, lines);
    QStringList out;
    for (const std::string& l : lines) out << Q(l);
    memo->setPlainText(out.join(QLatin1Char('\n')));
  } else if (auto* rich = qobject_cast<QTextEdit*>(c)) {
    text([&](const QString& t) { rich->setPlainText(t); });
  } else if (int tab = -1; QTabWidget* tabs = c->isWidgetType() ? TabOf(static_cast<QWidget*>(c), tab) : nullptr) {
    text([&](const QString& t) { tabs->setTabText(tab, t); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
    text([&](const QString& t) { button->setText(t); });
  } else if (auto* label = qobject_cast<QLabel*>(c)) {
    text([&](const QString& t) { label->setText(t); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
    text([&](const QString& t) { edit->setText(t); });
  } else {
    // Our own controls publish what they show as properties.
    if (c->property("caption").isValid()) text([&](const QString& t) { c->setProperty("caption", t); });
    if (c->property("text").isValid()) text([&](const QString& t) { c->setProperty("text", t); });
  }

  if (c->isWidgetType() || qobject_cast<QAction*>(c)) {
    if (std::optional<std::string> hint = ReadHint(i, i0)) SetHint(c, Q(*hint));
  }
  if (c->property("condense").toBool()) CondenseToFit(static_cast<QWidget*>(c));
  if (i == i0) i += RowSize();
  return true;
}

}  // namespace vs
