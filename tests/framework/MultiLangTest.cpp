// A window's texts follow the program's language: every kind of component
// its table names, by object name in any case.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "framework/MLang.h"
#include "model/Preferences.h"
#include "support/RecordingMessageBox.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

const char* const Table =
    "!DefaultEnabled=1\n"
    "%Form%\tMixer\tMixeur\tMenger\n"
    "filemenu\t&File\t&Fichier\t&Bestand\n"
    "New1\t&New\t&Nouveau\t&Nieuw\n"
    "\".Hint\t|Start a new song\t|Nouveau morceau\t|Nieuwe song\n"
    "ModeBox\tLines\tLignes\tLijnen\n"
    "\"\tDots\tPoints\tPunten\n"
    "\"\tColumns\t\tKolommen\n"
    "KitList\tKick\tGrosse caisse\tBasdrum\n"
    "\"\tSnare\tCaisse claire\tSnaredrum\n"
    "EchoGroup\tEcho\t\xC3\x89" "cho\tEcho\n"
    "EchoBox\tShuffled\tSwing\tSwing\n"
    "MixSheet\tMIX\tMIXAGE\tMIX\n"
    "VolWheel\t\t\t\n"
    "\".Hint\tVolume|Channel volume\tVolume|Volume du canal\tVolume|Kanaalvolume\n"
    "@OnlyEnglish\tEnglish only\t\t\n"
    "@Bars\tfrom bar %d to bar %d\tde la mesure %d \xC3\xA0 la mesure %d\tvan maat %d tot maat %d\n";

struct TTestWindow {
  QMainWindow Window;
  QMenu* File;
  QAction* New;
  QComboBox* Mode;
  QListWidget* Kits;
  QGroupBox* Echo;
  QCheckBox* EchoBox;
  QTabWidget* Tabs;
  QWidget* MixSheet;
  QWidget* Wheel;

  TTestWindow() {
    Window.setObjectName("MixForm");
    File = Window.menuBar()->addMenu("?");
    File->setObjectName("FileMenu");  // the table writes it in another case
    New = File->addAction("?");
    New->setObjectName("New1");
    auto* central = new QWidget(&Window);
    auto* layout = new QVBoxLayout(central);
    Mode = new QComboBox(central);
    Mode->setObjectName("ModeBox");
    Mode->addItems({"a", "b", "c", "d", "e"});
    Mode->setCurrentIndex(3);
    Kits = new QListWidget(central);
    Kits->setObjectName("KitList");
    Kits->addItems({"x"});
    Echo = new QGroupBox(central);
    Echo->setObjectName("EchoGroup");
    EchoBox = new QCheckBox(Echo);
    EchoBox->setObjectName("EchoBox");
    Tabs = new QTabWidget(central);
    MixSheet = new QWidget;
    MixSheet->setObjectName("MixSheet");
    Tabs->addTab(MixSheet, "?");
    Wheel = new QWidget(central);
    Wheel->setObjectName("VolWheel");
    for (QWidget* w : {static_cast<QWidget*>(Mode), static_cast<QWidget*>(Kits), static_cast<QWidget*>(Echo),
                       static_cast<QWidget*>(Tabs), Wheel})
      layout->addWidget(w);
    Window.setCentralWidget(central);
  }
};

TEST(MultiLang, ASwitchReTextsEveryKindOfComponent) {
  testing::TestApplication();
  TTestWindow t;
  int changes = 0;
  auto* words = new TMultiLang(&t.Window, ParseLangTable(Table));
  words->AfterLanguageChanged = [&](int) { ++changes; };
  words->Loaded();
  EXPECT_EQ(words->objectName(), "MultiLang1");
  EXPECT_EQ(t.Window.windowTitle(), "Mixer");
  EXPECT_EQ(t.File->title(), "&File");
  EXPECT_EQ(t.New->text(), "&New");
  EXPECT_EQ(t.New->statusTip(), "Start a new song");
  EXPECT_EQ(t.Kits->item(0)->text(), "Kick");  // the second row has no line
  EXPECT_EQ(t.Echo->title(), "Echo");
  EXPECT_EQ(t.Tabs->tabText(0), "MIX");
  EXPECT_EQ(t.Wheel->toolTip(), "Volume");
  EXPECT_EQ(t.Wheel->accessibleName(), "Volume");

  t.Window.show();
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Window.windowTitle(), "Mixeur");
  EXPECT_EQ(t.File->title(), "&Fichier");
  EXPECT_EQ(t.New->text(), "&Nouveau");
  // Three rows for five items: the rest are emptied; the choice is kept,
  // and the empty French third item falls back to English.
  EXPECT_EQ(t.Mode->itemText(0), "Lignes");
  EXPECT_EQ(t.Mode->itemText(2), "Columns");
  EXPECT_EQ(t.Mode->itemText(4), "");
  EXPECT_EQ(t.Mode->currentIndex(), 3);
  EXPECT_EQ(t.Echo->title(), "\xC3\x89" "cho");
  EXPECT_EQ(t.EchoBox->text(), "Swing");
  EXPECT_EQ(t.Tabs->tabText(0), "MIXAGE");
  EXPECT_EQ(t.Wheel->statusTip(), "Volume du canal");
  EXPECT_EQ(words->Word("@OnlyEnglish"), "English only");
  EXPECT_EQ(words->FormatQ("@Bars", {3, 7}), QString::fromUtf8("de la mesure 3 \xC3\xA0 la mesure 7"));

  // Without the fallback a missing French text is the key itself.
  words->SetDefaultEnabled(false);
  EXPECT_EQ(words->Word("@OnlyEnglish"), "@OnlyEnglish");
  EXPECT_EQ(t.Mode->itemText(2), "");  // and an item without text is empty

  // The settings' language choice keeps to the offered languages: one
  // not offered is the default language.
  TPreferences prefs;
  ChooseLanguage(prefs, LangDutch);
  EXPECT_EQ(t.New->text(), "&Nieuw");
  EXPECT_EQ(GlobalLanguage(), LangDutch);
  ChooseLanguage(prefs, 7);
  EXPECT_EQ(prefs.Language, LangEnglish);
  EXPECT_EQ(t.Window.windowTitle(), "Mixer");
  EXPECT_EQ(changes, 4);  // loaded, French, Dutch, English (the fallback switch fires none)
}

const char* const StageTable =
    "%Form%\tStage\tSc\xC3\xA8ne\tPodium\n"
    "PlayButton\tPlay\tJouer\tSpelen\n"
    "TempoLabel\tTempo\tTempo\tTempo\n";

// A window of two controls placed by hand, as a window laid out per
// language has them.
struct TStageWindow {
  QWidget Window;
  QPushButton* Play = new QPushButton(&Window);
  QLabel* Tempo = new QLabel(&Window);
  TMultiLang* Words;

  explicit TStageWindow(const std::string& options) {
    Window.setObjectName("StageForm");
    Play->setObjectName("PlayButton");
    Tempo->setObjectName("TempoLabel");
    new QLabel(&Window);  // unnamed: no position of its own
    Window.move(40, 30);
    Window.resize(300, 200);
    Play->setGeometry(8, 8, 80, 24);
    Tempo->setGeometry(8, 40, 60, 16);
    Words = new TMultiLang(&Window, ParseLangTable(options + StageTable));
    Words->Loaded();
    Window.show();
  }
};

TEST(MultiLang, ControlsTakeTheirPositionsPerLanguage) {
  testing::TestApplication();
  TRecordingMessageBox boxes;
  TStageWindow t("");
  EXPECT_EQ(t.Words->SwitchPositions(), spNone);
  ASSERT_TRUE(t.Words->SetSwitchPositions(spFormAndControls));

  // French is new: every language starts with the English places; French
  // then needs a wider button and window.
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Play->text(), "Jouer");
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 80, 24));
  t.Play->setGeometry(8, 8, 120, 24);
  t.Tempo->move(8, 48);
  t.Window.resize(360, 200);

  SetGlobalLanguage(LangEnglish);
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 80, 24));
  EXPECT_EQ(t.Tempo->geometry(), QRect(8, 40, 60, 16));
  EXPECT_EQ(t.Window.geometry().size(), QSize(300, 200));
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 120, 24));
  EXPECT_EQ(t.Tempo->geometry(), QRect(8, 48, 60, 16));
  EXPECT_EQ(t.Window.geometry().size(), QSize(360, 200));
  EXPECT_EQ(t.Words->Positions,
            (std::vector<std::string>{"%Form%,40.30.300.200,40.30.360.200,40.30.300.200,40.30.300.200",
                                      "PlayButton,8.8.80.24,8.8.120.24,8.8.80.24,8.8.80.24",
                                      "TempoLabel,8.40.60.16,8.48.60.16,8.40.60.16,8.40.60.16"}));

  // Controls only (the window's differing row is dropped on Yes): the
  // window keeps its size whatever the language.
  boxes.Answer(IdYes);
  ASSERT_TRUE(t.Words->SetSwitchPositions(spControlsOnly));
  EXPECT_EQ(boxes.Count(), 1u);
  t.Window.resize(320, 200);
  SetGlobalLanguage(LangEnglish);
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 80, 24));
  EXPECT_EQ(t.Window.geometry().size(), QSize(320, 200));
}

TEST(MultiLang, DroppingPositionsThatDifferAsksFirst) {
  testing::TestApplication();
  TRecordingMessageBox boxes;
  TStageWindow t("!SwitchPositions=2\n"
                 "!Position=%Form%,40.30.300.200,40.30.360.200,40.30.300.200,40.30.300.200\n"
                 "!Position=PlayButton,8.8.80.24,8.8.120.24,8.8.80.24,8.8.80.24\n"
                 "!Position=TempoLabel,8.40.60.16,8.48.60.16,8.40.60.16,8.40.60.16\n");
  const std::vector<std::string> stored = t.Words->Positions;
  const std::string formQuestion =
      "You are going to drop the positions for the form.\rCurrently different values are stored for each "
      "language.\rDo you want to drop these values?";
  const std::string question =
      "You are going to drop the positions.\rCurrently different values are stored for each language,\rDo you "
      "want to drop these values?";

  boxes.Answer(IdNo);
  EXPECT_FALSE(t.Words->SetSwitchPositions(spControlsOnly));
  std::vector<TRecordingMessageBox::Box> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Message, formQuestion);
  EXPECT_EQ(shown[0].Flags & MbButtonMask, MbYesNo);
  EXPECT_EQ(shown[1].Message, "Cancelled.");
  EXPECT_EQ(t.Words->Positions, stored);

  // One question per differing row, from the last up; the first No keeps
  // everything.
  boxes.Answer(IdYes);
  boxes.Answer(IdNo);
  EXPECT_FALSE(t.Words->SetSwitchPositions(spNone));
  shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[2].Message, question);
  EXPECT_EQ(shown[3].Message, question);
  EXPECT_EQ(shown[4].Message, "Cancelled.");
  EXPECT_EQ(t.Words->Positions, stored);
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 120, 24));

  boxes.Answer(IdYes);
  boxes.Answer(IdYes);
  boxes.Answer(IdYes);
  EXPECT_TRUE(t.Words->SetSwitchPositions(spNone));
  EXPECT_EQ(boxes.Count(), 8u);
  EXPECT_TRUE(t.Words->Positions.empty());
  SetGlobalLanguage(LangEnglish);  // nothing kept: the French places stay
  EXPECT_EQ(t.Play->geometry(), QRect(8, 8, 120, 24));
  EXPECT_EQ(t.Window.geometry().size(), QSize(360, 200));

  // Keeping them again asks nothing; dropping positions alike in every
  // language asks nothing either.
  ASSERT_TRUE(t.Words->SetSwitchPositions(spFormAndControls));
  SetGlobalLanguage(LangFrench);
  ASSERT_TRUE(t.Words->SetSwitchPositions(spControlsOnly));
  ASSERT_TRUE(t.Words->SetSwitchPositions(spNone));
  EXPECT_EQ(boxes.Count(), 8u);
  SetGlobalLanguage(LangEnglish);
}

TEST(MultiLang, EachLanguageKeepsItsFont) {
  testing::TestApplication();
  SetGlobalLanguage(LangEnglish);
  TStageWindow t("!CharSet=DejaVu Sans,0\n!CharSet=DejaVu Serif,1\n!CharSet=DejaVu Sans Mono\n");
  auto* own = new QLabel("Tempo", &t.Window);  // a control with a font of its own keeps it
  own->setFont(QFont("DejaVu Sans Mono"));
  t.Tempo->setText("Tempo");
  const QImage sans = t.Tempo->grab().toImage();
  EXPECT_EQ(t.Tempo->font().family(), "DejaVu Sans");

  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Play->text(), "Jouer");
  EXPECT_EQ(t.Tempo->font().family(), "DejaVu Serif");
  EXPECT_NE(t.Tempo->grab().toImage(), sans);
  EXPECT_EQ(own->font().family(), "DejaVu Sans Mono");

  // The user's font becomes French's (its character set stays), and the
  // list is filled up to a font per language.
  QFont chosen = t.Window.font();
  chosen.setFamily("DejaVu Sans Mono");
  t.Window.setFont(chosen);
  SetGlobalLanguage(LangEnglish);
  EXPECT_EQ(t.Tempo->grab().toImage(), sans);
  // Dutch's entry has no comma: the font stays; leaving Dutch stores it.
  SetGlobalLanguage(LangDutch);
  EXPECT_EQ(t.Tempo->font().family(), "DejaVu Sans");
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(t.Tempo->font().family(), "DejaVu Sans Mono");
  EXPECT_EQ(t.Words->CharSets, (std::vector<std::string>{"DejaVu Sans,0", "DejaVu Sans Mono,1", "DejaVu Sans,0",
                                                          "DejaVu Sans,0"}));
  SetGlobalLanguage(LangEnglish);
}

}  // namespace
}  // namespace vs
