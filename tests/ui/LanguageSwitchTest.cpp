// The program's windows speak the chosen language from the shipped tables
// and change it all at once.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "core/Transport.h"
#include "model/Song.h"
#include "framework/MLang.h"
#include "ui/ProgramWindows.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

TEST(LanguageSwitch, FrenchReTextsTheOpenWindowsAndTheirMenus) {
  testing::TestApplication();
  TTestDir tmp;
  ProgramPaths() = {};
  ProgramPaths().AppPath = tmp.Dir() + "/";
  SetLangFolder(std::string(VS_DATA_DIR) + "lang/");
  ForgetHeadlessTables();
  TPreferences prefs;
  CreateProgramWindows(prefs);
  TProgramWindows& w = Windows();
  w.VorbelStepsMainForm->show();
  w.MIDIForm->show();
  auto* file = w.VorbelStepsMainForm->findChild<QMenu*>("FileMenu");
  auto* newItem = w.VorbelStepsMainForm->findChild<QAction*>("New1");
  auto* panic = w.VorbelStepsMainForm->findChild<QAction*>("PanicMenu");
  ASSERT_TRUE(file && newItem && panic);
  EXPECT_EQ(file->title(), "&File");
  EXPECT_EQ(w.MIDIForm->windowTitle(), "Settings");
  EXPECT_EQ(panic->statusTip(), "Stop any remaining sound...");

  ChooseLanguage(prefs, LangFrench);
  EXPECT_EQ(file->title(), "&Fichier");
  EXPECT_EQ(newItem->text(), "&Nouveau");
  EXPECT_EQ(panic->statusTip(), QString::fromUtf8("Arr\xC3\xAAte tous les sons restants..."));
  EXPECT_EQ(w.MIDIForm->windowTitle(), QString::fromUtf8("R\xC3\xA9glages"));
  EXPECT_EQ(w.PianoForm->windowTitle(), "Piano");  // hidden windows too
  EXPECT_EQ(w.PlayListForm->windowTitle(), "Playlist");  // as short as the narrow window's caption
  // The item whose text follows the transport keeps doing so.
  const bool master = Transport().SyncCaption == MasterSyncCaption;
  EXPECT_EQ(w.VorbelStepsMainForm->findChild<QAction*>("SyncOption")->text(),
            QString::fromUtf8(master ? "S&ynchro en ma\xC3\xAEtre" : "S&ynchro en esclave"));

  // The sequencer's questions speak the language too.
  TRecordingMessageBox boxes;
  boxes.Answer(IdCancel);
  CurrentSong().SetModified(true);
  w.VorbelStepsMainForm->Commands().OpenedFileName = "/songs/Beat.zmp";
  EXPECT_EQ(w.VorbelStepsMainForm->Commands().AskSaveChanges(), IdCancel);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Confirmation");
  EXPECT_EQ(boxes.Boxes()[0].Message, "Enregistrer les modifications de Beat.zmp ?");
  CurrentSong().SetModified(false);

  ChooseLanguage(prefs, LangDutch);
  EXPECT_EQ(file->title(), "&Bestand");
  ChooseLanguage(prefs, LangEnglish);
  EXPECT_EQ(newItem->text(), "&New");
  DestroyProgramWindows();
  ForgetHeadlessTables();
  SetLangFolder("");
  ProgramPaths() = {};
}

}  // namespace
}  // namespace vs
