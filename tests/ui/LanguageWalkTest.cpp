// Every window of the running program opened in each of its languages, as
// a user of that language sees it: no text is wider than its control, no
// row of a list is cut without an ellipsis, and no English is left where
// the tables have the language's words. In the pseudo-language (every
// table text marked and made 40% longer) every text on screen must carry
// the markers: a text without them comes from no table.

#include <gtest/gtest.h>

#include <QTest>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "PseudoLanguage.h"
#include "controls/MyTransBtn.h"
#include "controls/WAVWheel.h"
#include "core/PatternCommands.h"
#include "core/SongCommands.h"
#include "editors/BackgroundForm.h"
#include "editors/HumanizeForm.h"
#include "editors/PatNameForm.h"
#include "editors/PluginSlotsPage.h"
#include "editors/RecordForm.h"
#include "editors/SampleListForm.h"
#include "editors/TutorialForm.h"
#include "framework/MLang.h"
#include "framework/NewMenu.h"
#include "framework/Tab95.h"
#include "framework/TreeNT.h"
#include "model/Channels.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "toolbox/MLBase.h"
#include "ui/ChannelRack.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

QString Plain(QString text) {
  text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  return text.trimmed();
}

// The texts that stay as they are in every language: the only texts on
// screen that may go without the pseudo-language's markers, each with the
// reason why no table gives it.
struct TKeptText {
  const char* Pattern;
  const char* Why;
};
const TKeptText KeptTexts[] = {
    {"VorbelSteps|VORBELSTEPS", "the program's name"},
    {"[-+]?[0-9][0-9.,:/ ]*", "numbers, times and positions as the controls show them"},
    {"[A-G]#?-?[0-9]", "note names"},
    {"[^ ]+\\.[A-Za-z0-9]{2,4}", "file names: songs, samples, plug-ins, the recent files"},
    {"/.*", "paths: folders the user chose, the data folder"},
    {"https?://.*", "web addresses"},
    {"(JACK|PulseAudio|ALSA): .*", "the sound and MIDI devices the machine offers at that moment"},
    {"Qt|RtAudio|RtMidi|JACK|libsndfile|libzip|libjpeg-turbo", "the names of the libraries the program is built on"},
    {"[^\\p{L}]*", "texts without letters: numbers, signs, dots"},
};

// What the walk sees beside the fixed list: the names the song and the
// machine bring (channel, pattern, style, device and plug-in names).
std::set<QString>& DataNames() {
  static std::set<QString> names;
  return names;
}

bool Kept(const QString& text) {
  if (DataNames().count(text)) return true;
  for (const TKeptText& kept : KeptTexts)
    if (QRegularExpression(QStringLiteral("^(?:%1)$").arg(QLatin1String(kept.Pattern))).match(text).hasMatch())
      return true;
  return false;
}

// The English texts of every table whose language column says otherwise
// (and that are no text of that language too), each part of a "short|long"
// text on its own.
std::set<QString> EnglishReplacedIn(int language) {
  std::set<QString> english, own;
  for (const auto& entry : fs::directory_iterator(std::string(VS_DATA_DIR) + "lang/")) {
    std::optional<TLangTable> table = LoadLangTable(entry.path().string());
    if (!table) continue;
    const size_t row = size_t(table->Languages) + 1;
    for (size_t r = 0; r + row <= table->Words.size(); r += row) {
      const QString en = QString::fromStdString(table->Words[r + 1]);
      const QString there = QString::fromStdString(table->Words[r + 1 + size_t(language)]);
      for (const QString& part : there.split(QLatin1Char('|'))) own.insert(Plain(part));
      if (there.isEmpty() || Plain(there) == Plain(en)) continue;
      for (const QString& part : en.split(QLatin1Char('|')))
        if (Plain(part).size() > 1) english.insert(Plain(part));
    }
  }
  for (const QString& text : own) english.erase(text);
  return english;
}

// What the windows show, and where each text is cut off.
struct TWindowWalk {
  // Each text with the control that shows it.
  std::vector<std::pair<QString, QString>> Texts;
  QStringList Cut;
  // Rows of lists and trees cut without an ellipsis.
  QStringList Elided;
  std::vector<std::pair<QLabel*, QRect>> Printed;

  // A part of the toolkit's file and colour dialogs (or of their menus).
  static bool Toolkits(const QObject* o) {
    if (o->objectName().startsWith(QLatin1String("qt_"))) return true;
    for (; o; o = o->parent())
      if (qobject_cast<const QFileDialog*>(o) || qobject_cast<const QColorDialog*>(o)) return true;
    return false;
  }
  static QString Where(const QObject* o) {
    const QWidget* w = qobject_cast<const QWidget*>(o);
    return (w && w->window() != w ? w->window()->objectName() + QLatin1Char('/') : QString()) + o->objectName();
  }
  void Text(const QObject* w, const QString& text) {
    if (!text.isEmpty()) Texts.push_back({Where(w), text});
  }
  void Fits(const QWidget* w, const QString& what, int need, int room) {
    if (need > room)
      Cut << QStringLiteral("%1 \"%2\": needs %3, has %4").arg(Where(w), what).arg(need).arg(room);
  }
  void Menu(const QMenu* menu) {
    // The root of an action table holds the menus; it never shows.
    if (menu->objectName() == QLatin1String("MainMenu")) return;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator() || !a->isVisible()) continue;
      if (Toolkits(a)) continue;
      Text(menu, a->text());
      Text(menu, a->statusTip());
    }
  }
  // The rows of a list, a table or a tree: their texts, and each row's
  // text wider than its cell must end in an ellipsis.
  void Rows(QAbstractItemView* view) {
    QAbstractItemModel* model = view->model();
    if (!model) return;
    if (auto* table = qobject_cast<QTableView*>(view))
      for (int c = 0; c < model->columnCount(); ++c)
        if (!table->isColumnHidden(c)) Text(view, model->headerData(c, Qt::Horizontal).toString());
    std::function<void(const QModelIndex&)> rows = [&](const QModelIndex& parent) {
      for (int r = 0; r < model->rowCount(parent); ++r)
        for (int c = 0; c < model->columnCount(parent); ++c) {
          const QModelIndex index = model->index(r, c, parent);
          const QString text = model->data(index).toString();
          Text(view, text);
          const QRect cell = view->visualRect(index);
          if (view->textElideMode() == Qt::ElideNone && cell.intersects(view->viewport()->rect()) &&
              view->fontMetrics().horizontalAdvance(text) + 8 > cell.width())
            Elided << QStringLiteral("%1 \"%2\" cut without an ellipsis").arg(Where(view), text);
          if (auto* tree = qobject_cast<QTreeView*>(view); tree && tree->isExpanded(index)) rows(index);
        }
    };
    rows(view->rootIndex());
  }

  void Walk(QWidget* window) {
    Text(window, window->windowTitle());
    // The toolkit's file and colour dialogs: their titles and filters are
    // the program's; their other texts (buttons, labels, the files'
    // columns) are the toolkit's, which its own catalogues translate.
    if (auto* files = qobject_cast<QFileDialog*>(window))
      for (const QString& filter : files->nameFilters()) Text(window, filter);
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
      if (w != window && (!w->isVisibleTo(window) || w->isWindow())) continue;
      if (Toolkits(w)) continue;
      const QFontMetrics fm = w->fontMetrics();
      Text(w, w->toolTip());
      Text(w, w->statusTip());
      Text(w, w->property("hint").toString());
      if (auto* box = qobject_cast<QCheckBox*>(w)) {
        Text(w, box->text());
        Fits(w, box->text(), box->sizeHint().width(), w->width());
      } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        Text(w, radio->text());
        Fits(w, radio->text(), radio->sizeHint().width(), w->width());
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        Text(w, button->text());
        if (!button->text().isEmpty() && button->icon().isNull())
          Fits(w, button->text(), fm.horizontalAdvance(Plain(button->text())) + 6, w->width());
      } else if (auto* label = qobject_cast<QLabel*>(w)) {
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        QTextDocument shown;
        shown.setHtml(label->text());
        Text(w, rich ? shown.toPlainText() : label->text());
        if (!rich && !label->wordWrap()) {
          int widest = 0;
          for (const QString& line : label->text().split(QLatin1Char('\n'))) {
            Fits(w, line, fm.horizontalAdvance(Plain(line)), label->contentsRect().width());
            widest = std::max(widest, fm.horizontalAdvance(Plain(line)));
          }
          // Where the text stands, to find printed labels running into
          // each other.
          const QSize size(widest, fm.height() * int(label->text().count(QLatin1Char('\n')) + 1));
          const QRect at = QStyle::alignedRect(Qt::LeftToRight, QStyle::visualAlignment(Qt::LeftToRight, label->alignment()),
                                               size, label->contentsRect());
          if (!label->text().trimmed().isEmpty())
            Printed.push_back({label, at.translated(label->mapTo(window, QPoint())).adjusted(-2, 0, 2, 0)});
        }
      } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        Text(w, group->title());
        Fits(w, group->title(), fm.horizontalAdvance(Plain(group->title())) + 16, w->width());
      } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) Text(w, combo->itemText(i));
        Fits(w, combo->currentText(), fm.horizontalAdvance(combo->currentText()) + 24, w->width());
      } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        Rows(view);
      } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        for (const QString& line : rich->toPlainText().split(QRegularExpression(QStringLiteral("[\n\u2028\u2029]"))))
          Text(w, line);
      } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        Text(w, edit->text());
        Text(w, edit->placeholderText());
      } else if (auto* bar = qobject_cast<TNewMenu*>(w)) {
        for (const TNewMenuItem& item : bar->Items()) {
          Text(w, item.MenuItem->text());
          Fits(w, item.MenuItem->text(), fm.horizontalAdvance(Plain(item.MenuItem->text())) + 5, item.Width);
        }
      } else if (auto* sheet = qobject_cast<TTab95Sheet*>(w)) {
        Text(w, sheet->Caption());
      } else if (auto* strip = qobject_cast<TStripButton*>(w)) {
        Text(w, strip->Text());
      } else if (auto* strip = qobject_cast<TStripLabel*>(w)) {
        Text(w, strip->Text());
      } else if (w->property("caption").isValid()) {
        const QString caption = w->property("caption").toString();
        Text(w, caption);
        if (!caption.isEmpty()) Fits(w, caption, fm.horizontalAdvance(Plain(caption)) + 4, w->width());
      }
    }
    for (size_t i = 0; i < Printed.size(); ++i)
      for (size_t j = i + 1; j < Printed.size(); ++j)
        if (Printed[i].first->parentWidget() == Printed[j].first->parentWidget() &&
            Printed[i].second.intersects(Printed[j].second))
          Cut << QStringLiteral("%1 \"%2\" runs into %3 \"%4\"")
                     .arg(Where(Printed[i].first), Printed[i].first->text(), Where(Printed[j].first),
                          Printed[j].first->text());
    Printed.clear();
    for (QAction* a : window->findChildren<QAction*>()) {
      // Menu titles are the bars' (walked above); popups show no title.
      if (a->isSeparator() || a->menu() || !a->isVisible()) continue;
      if (Toolkits(a)) continue;
      Text(a, a->text());
      Text(a, a->statusTip());
    }
  }

  // The texts in the pseudo-language that carry no markers and are not
  // on the list of kept texts: each part of a "short|long" text and each
  // line on its own.
  QStringList Unmarked() const {
    QStringList left;
    for (const auto& [where, text] : Texts)
      for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n|\u2028\u2029]")))) {
        const QString part = Plain(line);
        const QString seen = where + QStringLiteral(": \"") + part + QLatin1Char('"');
        if (!part.isEmpty() && !testing::IsPseudo(part) && !Kept(part) && !left.contains(seen)) left << seen;
      }
    return left;
  }
};

class LanguageWalk : public ::testing::Test {
protected:
  testing::TProgramOnCopy Program;
  TWindowWalk Walk;
  void SetUp() override { testing::TestApplication(); }

  // Runs open, which shows modal windows: each one is walked as it shows
  // and then answered (by default closed). An answer may open further
  // modal windows through Modal again.
  void Modal(const std::function<void()>& open, const std::function<void(QWidget*)>& answer = {}) {
    QTimer timer;
    QWidget* last = nullptr;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last) return;
      last = modal;
      Walk.Walk(modal);
      if (answer)
        answer(modal);
      else
        modal->close();
    });
    timer.start(1);
    open();
  }
  // A file dialog's answer: the file typed and the dialog accepted.
  static std::function<void(QWidget*)> Choose(const std::string& file) {
    return [file](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(dialog, nullptr) << w->objectName().toStdString();
      dialog->selectFile(QString::fromStdString(file));
      QMetaObject::invokeMethod(dialog, "accept");
    };
  }
  void Trigger(const char* action) { Program.Form()->Actions().Action(action)->trigger(); }

  // Every window the program opens, each page of the paged ones, every
  // menu and popup, and the dialogs that its commands show; with failures,
  // the message boxes of a corrupt song, a missing file, a failed save and
  // settings that can't be written too (the last closes the program).
  void WalkAll(bool failures) {
    TProgramWindows& w = Windows();
    auto look = [&](QWidget* window) {
      window->show();
      QApplication::processEvents();
      Walk.Walk(window);
    };
    auto pages = [&](QWidget* window, TPage95Control* control) {
      window->show();
      for (TTab95Sheet* sheet : window->findChildren<TTab95Sheet*>()) {
        if (!sheet->TabVisible()) continue;
        control->SetActivePage(sheet);
        look(window);
      }
      window->hide();
    };
    look(w.VorbelStepsMainForm);
    if (!w.SampleListForm || !w.SampleListForm->isVisible()) Trigger("SampleBrowserMenu");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.SampleListForm && w.SampleListForm->AnimStep() == 12; }, 10000));
    if (w.SampleListForm) {
      // Every root open, as a user browses.
      for (TTreeNTNode* n = w.SampleListForm->FileView->Items().GetFirstNode(); n; n = n->GetNextSibling())
        n->Expand(false);
      look(w.SampleListForm);
      for (TTreeNTNode* n = w.SampleListForm->FileView->Items().GetFirstNode(); n; n = n->GetNext())
        if (w.SampleListForm->FileView->visualRect(w.SampleListForm->FileView->Items().IndexOf(n)).isValid()) {
          const QString shown = w.SampleListForm->RowText(*n);
          const int room = w.SampleListForm->RowTextRoom(*n);
          if (w.SampleListForm->FileView->fontMetrics().horizontalAdvance(shown) > room ||
              (shown != QString::fromStdString(n->Text()) && !shown.endsWith(QChar(0x2026))))
            Walk.Elided << QStringLiteral("browser row \"%1\" cut without an ellipsis").arg(shown);
        }
    }
    pages(w.MIDIForm, w.MIDIForm->SettingsControl);
    TSong& song = CurrentSong();
    for (int channel : {0, AddChannel(song).Index()}) {
      if (channel > 0) song.Channels[size_t(channel)]->MakeMB404(true);
      DataNames().insert(QString::fromStdString(song.Channels[size_t(channel)]->Name));
      w.SettingsForm->SetButtonClick(channel, true);
      pages(w.SettingsForm, w.SettingsForm->findChild<TPage95Control*>("SettingsPageControl"));
    }
    for (QWidget* window : std::initializer_list<QWidget*>{w.PlayListForm, w.PianoForm, w.VisualForm, w.AboutForm,
                                                           w.SetInfoForm, w.InfoForm, w.WAVRenderForm,
                                                           w.AddToolForm}) {
      look(window);
      window->hide();
    }
    THumanizeForm humanize(ProgramHumanizeOptions(), w.VorbelStepsMainForm);
    TPatNameForm patName(w.VorbelStepsMainForm);
    TBackgroundForm background(w.VorbelStepsMainForm->Prefs(), w.VorbelStepsMainForm);
    TRecordForm record(w.VorbelStepsMainForm->Prefs(), 0, w.VorbelStepsMainForm);
    for (QWidget* dialog : std::initializer_list<QWidget*>{&humanize, &patName, &background, &record}) {
      look(dialog);
      dialog->hide();
    }
    // Every menu and popup, also those that no window owns.
    for (QWidget* widget : QApplication::allWidgets())
      if (auto* menu = qobject_cast<QMenu*>(widget); menu && !TWindowWalk::Toolkits(menu)) Walk.Menu(menu);
    // The tips box runs modal: walked while it shows, then closed.
    Modal([&] { w.VorbelStepsMainForm->TipsMenuClick(); });
    // The help pages in their viewer.
    for (const char* item : {"Contents1", "Productsinfo1"}) {
      Trigger(item);
      for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && qobject_cast<TInfoForm*>(top)) {
          look(top);
          top->hide();
        }
    }

    // The file dialogs, and what their commands' failures say.
    CurrentSong().SetModified(false);
    if (failures) {
      const std::string songs = Program.Tmp / "songs/";
      fs::create_directories(songs);
      Program.Tmp.Write("songs/Broken.zmp", "ZMhd but nothing after it");
      Modal([&] { Trigger("Open1"); }, Choose(songs + "Broken.zmp"));
      Modal([&] { Trigger("SaveAs1"); }, Choose(songs + "Kept.zmp"));
      fs::remove(songs + "Kept.zmp");
      Program.Form()->findChild<QAction*>("LastFile1")->trigger();
      Program.Tmp.Write("songs/NoFolder", "a file where a folder should be");
      Modal([&] { Trigger("SaveAs1"); }, Choose(songs + "NoFolder/Lost.zmp"));
    } else {
      for (const char* item : {"Open1", "SaveAs1"}) Modal([&] { Trigger(item); });
    }
    for (const char* item : {"Wavefile1", "MIDIfile1", "Zippedlooppackage1"}) Modal([&] { Trigger(item); });
    Modal([&] { Trigger("Configure1"); }, [&](QWidget* tools) {
      Modal([&] { tools->findChild<TMyTransButton*>("OpenBtn")->OnClick(nullptr); });
      tools->close();
    });
    Modal([&] { background.ChoosePicClick(); });
    w.SettingsForm->SetButtonClick(0, true);
    Modal([&] { w.SettingsForm->OpenSampleForChannel(0); });
    for (int channel : {0, 1}) {
      w.SettingsForm->SetButtonClick(channel, true);
      for (QAction* a : w.SettingsForm->SampleMenu()->actions())
        if (a->isVisible() && (a->objectName() == "SaveSampleMenu" || a->objectName() == "Save404Menu"))
          Modal([&] { a->trigger(); });
    }
    Modal([&] { w.SettingsForm->findChild<TMyTransButton*>("ColorSample")->OnClick(nullptr); });
    w.SettingsForm->hide();
    Modal([&] { w.MIDIForm->VSTPathBtn->click(); });

    // The tutorial replaces the song: the walk's changes are let go first.
    CurrentSong().SetModified(false);
    w.VorbelStepsMainForm->TutorialMenuClick();
    QWidget* tutorial = w.VorbelStepsMainForm->TutorialForm();
    EXPECT_NE(tutorial, nullptr);
    if (tutorial) {
      look(tutorial);
      tutorial->close();
    }
    if (!failures) return;
    // Closing with settings that can't be written.
    fs::remove(Program.Tmp / "settings.ini");
    fs::create_directories(Program.Tmp / "settings.ini");
    CurrentSong().SetModified(false);
    Program.Form()->close();
    for (const TRecordingMessageBox::Box& box : Program.Messages->Boxes())
      for (const std::string& text : {box.Caption, box.Message})
        Walk.Texts.push_back({QStringLiteral("message box"), QString::fromStdString(text)});
    EXPECT_GE(Program.Messages->Count(), 4u);
  }
};

TEST_F(LanguageWalk, EveryWindowFitsItsTextsAndSpeaksTheLanguageChosen) {
  // German was stored once but is not offered: the program starts in
  // English.
  Program.Copy("[ZM SETTINGS]\nUse WAV=0\nLanguage=3\n");
  Program.Start();
  EXPECT_EQ(Program.Form()->findChild<QMenu*>("FileMenu")->title(), "&File");

  std::map<int, TWindowWalk> walks;
  for (int language : {LangEnglish, LangFrench, LangDutch}) {
    ChooseLanguage(Program.Form()->Prefs(), language);
    Walk = {};
    WalkAll(false);
    walks[language] = Walk;
    EXPECT_TRUE(Walk.Cut.isEmpty() && Walk.Elided.isEmpty())
        << "language " << language << ":\n  " << (Walk.Cut + Walk.Elided).join(QStringLiteral("\n  ")).toStdString();
  }
  for (int language : {LangFrench, LangDutch}) {
    std::set<QString> english = EnglishReplacedIn(language);
    // Names aside: the styles and the browser's folders are called by
    // their folders' names.
    for (const char* folder : {"Styles", "Samples", "Loops"})
      for (const auto& entry : fs::recursive_directory_iterator(Program.App + folder))
        english.erase(QString::fromStdString(entry.path().filename().string()));
    QStringList left;
    for (const auto& [where, text] : walks[language].Texts)
      for (const QString& part : text.split(QLatin1Char('|')))
        if (english.count(Plain(part)) && !left.contains(Plain(part))) left << Plain(part);
    EXPECT_TRUE(left.isEmpty()) << "English left in language " << language << ": "
                                << left.join(QStringLiteral(", ")).toStdString();
  }
  // The file dialogs and an empty plug-in slot, as a French and a Dutch
  // user sees them.
  auto shows = [&](int language, const char* where, const char* text) {
    const std::pair<QString, QString> seen{QString::fromLatin1(where), QString::fromUtf8(text)};
    return std::find(walks[language].Texts.begin(), walks[language].Texts.end(), seen) != walks[language].Texts.end();
  };
  EXPECT_TRUE(shows(LangFrench, "OpenDialog", "Ouvrir"));
  EXPECT_TRUE(shows(LangFrench, "OpenDialog", "Morceaux (*.zmp *.zip)"));
  EXPECT_TRUE(shows(LangFrench, "SaveDialog", "Enregistrer sous"));
  EXPECT_TRUE(shows(LangFrench, "SaveDialog", "Paquet de boucle zipp\xC3\xA9 (*.zip)"));
  EXPECT_TRUE(shows(LangFrench, "MIDIForm/NameBtn", "(aucun)"));
  EXPECT_TRUE(shows(LangDutch, "OpenDialog", "Openen"));
  EXPECT_TRUE(shows(LangDutch, "SaveDialog", "Opslaan als"));
  EXPECT_TRUE(shows(LangDutch, "SaveDialog", "VorbelSteps-song (*.zmp)"));
  EXPECT_TRUE(shows(LangDutch, "MIDIForm/NameBtn", "(geen)"));
  // The toolkit's own dialogs speak the language too.
  {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Annuleren");
  }
  // The tables' fonts are the desktop's.
  EXPECT_EQ(DesktopFontFamily("Arial"), "DejaVu Sans");
  EXPECT_EQ(DesktopFontFamily("MS Sans Serif"), "DejaVu Sans");
  EXPECT_EQ(DesktopFontFamily("Courier New"), "DejaVu Sans Mono");
  for (QWidget* window : std::initializer_list<QWidget*>{Program.Form(), Windows().MIDIForm, Windows().PlayListForm})
    EXPECT_EQ(QFontInfo(window->font()).family(), "DejaVu Sans") << window->objectName().toStdString();
  // The rack's hints are the table's.
  const TRackRowWidgets& kick = Program.Form()->Rack().Rows()[0];
  EXPECT_EQ(kick.Mute->statusTip(), "Dempen / Solo");
  EXPECT_EQ(kick.Select->statusTip(), "Selecteren Kick");
  EXPECT_EQ(kick.Wheel->statusTip(), "Kanaalvolume");
  ChooseLanguage(Program.Form()->Prefs(), LangEnglish);
  EXPECT_EQ(kick.Mute->statusTip(), "Mute / Solo");
}

// The pseudo-language: every text of every table marked and made 40%
// longer. A text on screen without the markers comes from no table.
TEST_F(LanguageWalk, EveryTextOnScreenComesFromTheTables) {
  Program.Copy("[ZM SETTINGS]\nUse WAV=0\n");
  testing::MakePseudoLanguage(Program.App);
  Program.Start();
  SetGlobalLanguage(testing::PseudoLanguage);
  // The line that start-up left on the info bar was English: a user of
  // the language starts in it.
  Program.Form()->ShowInfo("");
  // The names that the song, the data folder and the system bring.
  DataNames().insert(QString::fromStdString(CurrentSong().Info.Title));
  for (const auto& channel : CurrentSong().Channels) DataNames().insert(QString::fromStdString(channel->Name));
  for (const char* folder : {"Styles", "Samples", "Loops"})
    for (const auto& entry : fs::recursive_directory_iterator(Program.App + folder))
      DataNames().insert(QString::fromStdString(entry.path().stem().string()));
  // The system's reasons for a failed file operation.
  for (int error = 1; error < 134; ++error) DataNames().insert(QString::fromLocal8Bit(strerror(error)));
  WalkAll(true);
  const QStringList unmarked = Walk.Unmarked();
  EXPECT_TRUE(unmarked.isEmpty()) << unmarked.size() << " texts from no table:\n  "
                                  << unmarked.join(QStringLiteral("\n  ")).toStdString();
  EXPECT_TRUE(Walk.Elided.isEmpty()) << Walk.Elided.join(QStringLiteral("\n  ")).toStdString();
  // Texts 40% longer than English fit every window but the channel
  // settings, whose panel of wheels has room for the three languages'
  // texts only.
  const QStringList cut = Walk.Cut.filter(QRegularExpression(QStringLiteral("^(?!SettingsForm/)")));
  EXPECT_TRUE(cut.isEmpty()) << cut.size() << " cut:\n  " << cut.join(QStringLiteral("\n  ")).toStdString();
}

}  // namespace
}  // namespace vs
