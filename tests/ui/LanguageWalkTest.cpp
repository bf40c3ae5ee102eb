// Every window of the running program opened in each of its languages, as
// a user of that language sees it: no text is wider than its control, and
// no English is left where the tables have the language's words.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <map>
#include <set>

#include "core/PatternCommands.h"
#include "editors/BackgroundForm.h"
#include "editors/HumanizeForm.h"
#include "editors/PatNameForm.h"
#include "editors/RecordForm.h"
#include "editors/SampleListForm.h"
#include "editors/TutorialForm.h"
#include "framework/MLang.h"
#include "framework/NewMenu.h"
#include "framework/Tab95.h"
#include "model/Channels.h"
#include "support/ProgramOnCopy.h"
#include "support/TestApplication.h"
#include "toolbox/MLBase.h"
#include "ui/ChannelRack.h"
#include "controls/MyTransBtn.h"
#include "controls/WAVWheel.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

QString Plain(QString text) {
  text.remove(QLatin1Char('&'));
  return text.trimmed();
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

// What a window shows, and where each text is cut off.
struct TWindowWalk {
  QStringList Texts;
  QStringList Cut;
  std::vector<std::pair<QLabel*, QRect>> Printed;

  void Text(const QString& text) {
    if (!text.isEmpty()) Texts << text;
  }
  void Fits(const QWidget* w, const QString& what, int need, int room) {
    if (need > room)
      Cut << QStringLiteral("%1 \"%2\": needs %3, has %4").arg(w->objectName(), what).arg(need).arg(room);
  }

  void Walk(QWidget* window) {
    Text(window->windowTitle());
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
      if (w != window && (!w->isVisibleTo(window) || w->isWindow())) continue;
      const QFontMetrics fm = w->fontMetrics();
      Text(w->toolTip());
      Text(w->statusTip());
      Text(w->property("hint").toString());
      if (auto* box = qobject_cast<QCheckBox*>(w)) {
        Text(box->text());
        Fits(w, box->text(), box->sizeHint().width(), w->width());
      } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        Text(radio->text());
        Fits(w, radio->text(), radio->sizeHint().width(), w->width());
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        Text(button->text());
        if (!button->text().isEmpty() && button->icon().isNull())
          Fits(w, button->text(), fm.horizontalAdvance(Plain(button->text())) + 6, w->width());
      } else if (auto* label = qobject_cast<QLabel*>(w)) {
        Text(label->text());
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
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
        Text(group->title());
        Fits(w, group->title(), fm.horizontalAdvance(Plain(group->title())) + 16, w->width());
      } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) Text(combo->itemText(i));
        Fits(w, combo->currentText(), fm.horizontalAdvance(combo->currentText()) + 24, w->width());
      } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        for (int i = 0; i < list->count(); ++i) Text(list->item(i)->text());
      } else if (auto* bar = qobject_cast<TNewMenu*>(w)) {
        for (const TNewMenuItem& item : bar->Items()) {
          Text(item.MenuItem->text());
          Fits(w, item.MenuItem->text(), fm.horizontalAdvance(Plain(item.MenuItem->text())) + 5, item.Width);
        }
      } else if (auto* sheet = qobject_cast<TTab95Sheet*>(w)) {
        Text(sheet->Caption());
      } else if (w->property("caption").isValid()) {
        const QString caption = w->property("caption").toString();
        Text(caption);
        if (!caption.isEmpty()) Fits(w, caption, fm.horizontalAdvance(Plain(caption)) + 4, w->width());
      }
    }
    for (size_t i = 0; i < Printed.size(); ++i)
      for (size_t j = i + 1; j < Printed.size(); ++j)
        if (Printed[i].first->parentWidget() == Printed[j].first->parentWidget() &&
            Printed[i].second.intersects(Printed[j].second))
          Cut << QStringLiteral("%1 \"%2\" runs into %3 \"%4\"")
                     .arg(Printed[i].first->objectName(), Printed[i].first->text(), Printed[j].first->objectName(),
                          Printed[j].first->text());
    Printed.clear();
    for (QAction* a : window->findChildren<QAction*>()) {
      // Menu titles are the bars' (walked above); popups show no title.
      if (a->isSeparator() || a->menu()) continue;
      Text(a->text());
      Text(a->statusTip());
    }
  }
};

class LanguageWalk : public ::testing::Test {
protected:
  testing::TProgramOnCopy Program;
  void SetUp() override { testing::TestApplication(); }

  // Every window the program opens, each page of the paged ones.
  TWindowWalk WalkAll() {
    TWindowWalk walk;
    TProgramWindows& w = Windows();
    auto look = [&](QWidget* window) {
      window->show();
      QApplication::processEvents();
      walk.Walk(window);
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
    w.VorbelStepsMainForm->Actions().Action("SampleBrowserMenu")->trigger();
    if (w.SampleListForm) look(w.SampleListForm);
    pages(w.MIDIForm, w.MIDIForm->SettingsControl);
    TSong& song = CurrentSong();
    for (int channel : {0, AddChannel(song).Index()}) {
      if (channel > 0) song.Channels[size_t(channel)]->MakeMB404(true);
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
    // The tips box runs modal: walked while it shows, then closed.
    bool tipsShown = false;
    QTimer::singleShot(0, [&] {
      if (QWidget* tips = QApplication::activeModalWidget()) {
        tipsShown = true;
        look(tips);
        tips->close();
      }
    });
    w.VorbelStepsMainForm->TipsMenuClick();
    EXPECT_TRUE(tipsShown);
    // The tutorial replaces the song: the walk's changes are let go first.
    CurrentSong().SetModified(false);
    w.VorbelStepsMainForm->TutorialMenuClick();
    QWidget* tutorial = w.VorbelStepsMainForm->TutorialForm();
    EXPECT_NE(tutorial, nullptr);
    if (tutorial) {
      look(tutorial);
      tutorial->close();
    }
    return walk;
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
    walks[language] = WalkAll();
    EXPECT_TRUE(walks[language].Cut.isEmpty())
        << "language " << language << ":\n  " << walks[language].Cut.join(QStringLiteral("\n  ")).toStdString();
  }
  for (int language : {LangFrench, LangDutch}) {
    std::set<QString> english = EnglishReplacedIn(language);
    // Names aside: the styles are called by their folders.
    for (const auto& style : fs::directory_iterator(Program.App + "Styles"))
      english.erase(QString::fromStdString(style.path().filename().string()));
    QStringList left;
    for (const QString& text : walks[language].Texts)
      for (const QString& part : text.split(QLatin1Char('|')))
        if (english.count(Plain(part)) && !left.contains(Plain(part))) left << Plain(part);
    EXPECT_TRUE(left.isEmpty()) << "English left in language " << language << ": "
                                << left.join(QStringLiteral(", ")).toStdString();
  }
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

}  // namespace
}  // namespace vs
