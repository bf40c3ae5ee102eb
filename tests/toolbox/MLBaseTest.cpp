#include <gtest/gtest.h>

#include <map>

#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "toolbox/MLBase.h"

using namespace vs;

namespace {

// A window of named components that records what a switch wrote.
class TFakeWindow : public TBaseMultiLang {
public:
  std::string Caption = "?";
  std::map<std::string, std::vector<std::string>> Lists;  // list controls and their lines
  std::map<std::string, std::string> Texts;              // single-text controls
  std::map<std::string, std::string> Hints;

protected:
  bool SetFormCaption(const std::string& text) override {
    Caption = text;
    return true;
  }
  bool ApplyComponentWords(const std::string& key, size_t& i) override {
    const size_t i0 = i;
    if (auto list = Lists.find(key); list != Lists.end()) {
      ApplyLines(i, list->second);
    } else if (auto text = Texts.find(key); text != Texts.end()) {
      if (auto t = ReadText(i)) text->second = *t;
    } else {
      return false;
    }
    if (auto hint = ReadHint(i, i0)) Hints[key] = *hint;
    return true;
  }
};

const char* const SettingsTable =
    "\xEF\xBB\xBF# the settings window\r\n"
    "!DefaultEnabled=1\r\n"
    "%Form%\tSettings\tR\xC3\xA9glages\tInstellingen\t\r\n"
    "LanguageBox\tEnglish\tAnglais\tEngels\r\n"
    "\"\tFrench\tFran\xC3\xA7" "ais\tFrans\r\n"
    "\"\tDutch\tN\xC3\xA9" "erlandais\tNederlands\r\n"
    "\"\tGerman\tAllemand\tDuits\r\n"
    "EasyMoveBox\t&Easy move\t\tMakkelijk &verplaatsen\r\n"
    "\".Hint\t|Drag the window anywhere\t|D\xC3\xA9placer la fen\xC3\xAAtre partout\t\r\n"
    "@NoOutputError\tWarning|You didn't select any output.\\rDont be surprised\tAttention|Aucune sortie.\r\n"
    "@DSoundSet\t(set at %dHz %dBit %s)\t(r\xC3\xA9gl\xC3\xA9 \xC3\xA0 %d Hz %d bits %s)\r\n";

}  // namespace

TEST(LanguageTables, FormatTextSubstitutesOnlyItsOwnPlaceholders) {
  EXPECT_EQ(FormatText("(set at %dHz %dBit %s)", {44100, 16, "STEREO"}), "(set at 44100Hz 16Bit STEREO)");
  EXPECT_EQ(FormatText("Humanize %d%%", {25}), "Humanize 25%");
  // A translator's stray or hostile sequences are text, never reads.
  EXPECT_EQ(FormatText("%s %s %n %x %5d %", {"one"}), "one %s %n %x %5d %");
  EXPECT_EQ(FormatText("Pattern %d", {"12", "extra"}), "Pattern 12");
  EXPECT_EQ(FormatText("%d", {int64_t(1) << 40}), "1099511627776");
}

TEST(LanguageTables, ReaderAndLookupFollowTheFallbackRules) {
  TFakeWindow w;
  w.SetTable(ParseLangTable(SettingsTable));
  EXPECT_EQ(w.Languages(), TableLanguages);
  EXPECT_TRUE(w.DefaultEnabled());
  EXPECT_EQ(w.Words.size(), 9u * 5u);

  ASSERT_TRUE(w.SetActiveLanguage(LangFrench));
  EXPECT_EQ(w.GetWord("%Form%"), "R\xC3\xA9glages");
  EXPECT_EQ(w.GetWord("EasyMoveBox"), "&Easy move");  // empty French: English
  EXPECT_EQ(w.GetWord("@NoOutputError"), "Attention|Aucune sortie.");
  EXPECT_EQ(w.FormatWord("@DSoundSet", {22050, 8, "MONO"}), "(r\xC3\xA9gl\xC3\xA9 \xC3\xA0 22050 Hz 8 bits MONO)");
  EXPECT_EQ(w.GetWord("@nodsoundset"), "@nodsoundset");  // letter case counts

  // German is empty: English with the fallback; without it program code
  // gets the key, while the caption shows the empty text.
  ASSERT_TRUE(w.SetActiveLanguage(LangGerman));
  EXPECT_EQ(w.GetWord("@NoOutputError"), "Warning|You didn't select any output.\rDont be surprised");
  w.SetDefaultEnabled(false);
  EXPECT_EQ(w.GetWord("@NoOutputError"), "@NoOutputError");
  EXPECT_EQ(w.Caption, "");  // re-applied: the empty caption shows

  // A missing key comes back as itself after the not-found event, which
  // may replace it.
  std::string asked;
  w.IdNotFoundError = [&](const std::string& id, std::string& res) {
    asked = id;
    res = "(" + res + ")";
  };
  EXPECT_EQ(w.GetWord("@Missing"), "(@Missing)");
  EXPECT_EQ(asked, "@Missing");

  // A row cut short at the end of the table is no row.
  TFakeWindow cut;
  cut.Words = {"@A", "a", "b", "c", "d", "@B", "x", "y"};
  EXPECT_EQ(cut.GetWord("@A"), "a");
  EXPECT_EQ(cut.GetWord("@B"), "@B");
}

TEST(LanguageTables, SwitchWritesListsHintsAndCaptions) {
  TFakeWindow w;
  w.SetTable(ParseLangTable(SettingsTable));
  w.Lists["LanguageBox"] = {"a", "b", "c", "d", "e", "f"};  // more lines than rows
  w.Texts["EasyMoveBox"] = "";
  int before = 0, after = -1;
  w.BeforeLanguageChange = [&](int, bool&) { ++before; };
  w.AfterLanguageChanged = [&](int n) { after = n; };

  ASSERT_TRUE(w.SetActiveLanguage(LangDutch));
  EXPECT_EQ(w.Caption, "Instellingen");
  EXPECT_EQ(w.Lists["LanguageBox"], (std::vector<std::string>{"Engels", "Frans", "Nederlands", "Duits", "", ""}));
  EXPECT_EQ(w.Texts["EasyMoveBox"], "Makkelijk &verplaatsen");
  EXPECT_EQ(w.Hints["EasyMoveBox"], "|Drag the window anywhere");  // empty Dutch hint: English
  EXPECT_EQ(after, LangDutch);

  // Fewer lines than ditto rows: the extra rows are passed over.
  w.Lists["LanguageBox"] = {"x", "y"};
  w.SetActiveLanguage(LangDutch);  // the same language applies again
  EXPECT_EQ(before, 2);
  EXPECT_EQ(w.Lists["LanguageBox"], (std::vector<std::string>{"Engels", "Frans"}));
  EXPECT_EQ(w.Texts["EasyMoveBox"], "Makkelijk &verplaatsen");

  // A veto keeps everything.
  w.BeforeLanguageChange = [](int, bool& allow) { allow = false; };
  EXPECT_FALSE(w.SetActiveLanguage(LangEnglish));
  EXPECT_EQ(w.ActiveLanguage(), LangDutch);
  EXPECT_EQ(w.Caption, "Instellingen");
}

TEST(LanguageTables, GlobalLanguageReachesEveryWindowThatHasIt) {
  TRecordingMessageBox boxes;
  TFakeWindow full, twoColumns;
  full.SetTable(ParseLangTable(SettingsTable));
  TLangTable small = ParseLangTable("!Languages=2\n%Form%\tAbout\t\xC3\x80 propos\n");
  twoColumns.SetTable(small);
  twoColumns.Loaded();
  EXPECT_EQ(twoColumns.Caption, "About");

  SetGlobalLanguage(LangDutch);
  EXPECT_EQ(full.Caption, "Instellingen");
  EXPECT_EQ(twoColumns.ActiveLanguage(), LangEnglish);  // lacks Dutch: unchanged
  EXPECT_EQ(GlobalLanguage(), LangDutch);

  // A window made later for a language its table lacks shows its default
  // language, without a message.
  TFakeWindow later;
  later.SetTable(small);
  later.Loaded();
  EXPECT_EQ(later.Caption, "About");
  EXPECT_EQ(boxes.Count(), 0u);

  // Asking a window itself for a language it lacks is refused with the
  // range message.
  EXPECT_FALSE(later.SetActiveLanguage(LangDutch));
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Message, "Value must not be higher than\rnumber of available languages.");
  EXPECT_EQ(boxes.Boxes()[0].Flags & MbButtonMask, MbCancel);

  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(later.Caption, "\xC3\x80 propos");
  SetGlobalLanguage(LangEnglish);
}

TEST(LanguageTables, ProgramCodeReadsAWindowTableWithoutTheWindow) {
  TTestDir dir;
  dir.Write("lang/SettingsForm.txt", SettingsTable);
  SetLangFolder(dir / "lang");
  ForgetHeadlessTables();
  EXPECT_EQ(GetWord("SettingsForm", "%Form%"), "Settings");
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(GetWord("SettingsForm", "%Form%"), "R\xC3\xA9glages");
  EXPECT_EQ(GetWord("NoSuchForm", "@Key"), "@Key");  // no table: the key
  // A window's own table wins over the kept one.
  TFakeWindow own;
  own.Owner = "SettingsForm";
  own.Words = {"%Form%", "Own", "Propre", "", ""};
  own.Loaded();
  EXPECT_EQ(GetWord("SettingsForm", "%Form%"), "Propre");
  SetGlobalLanguage(LangEnglish);
  ForgetHeadlessTables();
}

TEST(LanguageTables, PositionRowsKeepOneFieldPerLanguage) {
  EXPECT_EQ(JoinPositionField({-4, 12, 80, 24}), "-4.12.80.24");
  EXPECT_EQ(JoinPositionField({8, std::nullopt, 80, 24}), "8..80.24");  // a value the control lacks
  EXPECT_EQ(JoinPositionField({}), "");
  EXPECT_EQ(ParsePositionField("-4.12.80.24"), (std::array<int, 4>{-4, 12, 80, 24}));
  for (const char* bad : {"", "8..80.24", "1.2.3", "1.2.3.4.5", "1.2.3.4 ", "x.2.3.4", "+1.2.3.4", "1,2,3,4",
                          "99999999999.1.1.1"})
    EXPECT_FALSE(ParsePositionField(bad)) << bad;

  // A new row holds the field for every language; later stores fill the
  // language's own field, in the last row for the name only.
  std::vector<std::string> rows = {"Box10,1.1.1.1", "Box1,5.5.5.5", "Box1,6.6.6.6"};
  StorePositionField(rows, "Box", "8.8.80.24", LangEnglish, 4);
  EXPECT_EQ(rows.back(), "Box,8.8.80.24,8.8.80.24,8.8.80.24,8.8.80.24");
  StorePositionField(rows, "Box", "8.8.120.24", LangDutch, 4);
  EXPECT_EQ(rows.back(), "Box,8.8.80.24,8.8.80.24,8.8.120.24,8.8.80.24");
  StorePositionField(rows, "Box1", "2.2.2.2", LangDutch, 4);  // a short row is filled up first
  EXPECT_EQ(rows, (std::vector<std::string>{"Box10,1.1.1.1", "Box1,5.5.5.5", "Box1,6.6.6.6,,2.2.2.2,",
                                            "Box,8.8.80.24,8.8.80.24,8.8.120.24,8.8.80.24"}));
  EXPECT_EQ(StoredPositionField(rows, "Box1", LangEnglish), "6.6.6.6");
  EXPECT_EQ(StoredPositionField(rows, "Box1", LangFrench), "");
  EXPECT_EQ(StoredPositionField(rows, "Bo", LangEnglish), "");
  EXPECT_TRUE(PositionRowDiffers(rows[2]));
  EXPECT_FALSE(PositionRowDiffers(rows[0]));
  EXPECT_FALSE(PositionRowDiffers("%Form%,1.2.3.4,1.2.3.4"));

  EXPECT_EQ(ParseLangTable("!SwitchPositions=3\n").SwitchPositions, spNone);  // out of range: ignored
}

TEST(LanguageTables, LanguagesGrowAndShrinkKeepingRowsAligned) {
  EXPECT_EQ(FormCharSetEntry("MS Sans Serif", 1), "MS Sans Serif,1");
  EXPECT_EQ(SplitCharSetEntry("MS Sans Serif,1")->CharSet, 1);
  EXPECT_EQ(SplitCharSetEntry("Arial,x")->Name, "Arial");
  EXPECT_FALSE(SplitCharSetEntry("Arial") || SplitCharSetEntry(",0"));
  // An incomplete last row is filled up before it widens, and cut short.
  std::vector<std::string> words = {"a", "x", "b"};
  InsertLanguageColumns(words, 1, 2);
  EXPECT_EQ(words, (std::vector<std::string>{"a", "x", "?", "b", "", "?"}));
  DeleteLanguageColumns(words = {"a", "1", "2", "b", "1"}, 2, 1);
  EXPECT_EQ(words, (std::vector<std::string>{"a", "1", "b", "1"}));

  TRecordingMessageBox boxes;
  TFakeWindow w;
  w.SetTable(ParseLangTable("!Languages=2\n!DefaultEnabled=1\n!DefaultLanguage=1\n"
                            "%Form%\tMixer\tMixeur\n@Bar\tBar \n"));
  std::vector<int> switches;
  w.AfterLanguageChanged = [&](int n) { switches.push_back(n); };
  ASSERT_TRUE(w.SetLanguages(4));
  EXPECT_EQ(w.Words, (std::vector<std::string>{"%Form%", "Mixer", "Mixeur", "?", "?", "@Bar", "Bar ", "", "?", "?"}));
  ASSERT_TRUE(w.SetActiveLanguage(LangGerman));
  EXPECT_EQ(w.Caption, "?");

  EXPECT_FALSE(w.SetLanguages(0));
  EXPECT_FALSE(w.SetLanguages(3));  // the question's default answer is No
  boxes.Answer(IdYes);
  ASSERT_TRUE(w.SetLanguages(3));  // Yes: English is shown first, then German goes
  EXPECT_EQ(switches, (std::vector<int>{LangGerman, LangEnglish}));
  EXPECT_EQ(w.Caption, "Mixer");
  boxes.Answer(IdYes);
  ASSERT_TRUE(w.SetLanguages(1));  // languages not shown: the shorter question
  const std::string lost =
      "You are decreasing the number of languages.\rEntries for the removed language will be lost.";
  std::vector<TRecordingMessageBox::Box> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].Message, "You have to provide at least 1 language.");
  EXPECT_EQ(shown[0].Flags, MbOK | MbIconInformation);
  EXPECT_EQ(shown[1].Message, lost + "\rThe currently displayed language will be deleted, too.\r\rDo you really "
                                     "want to continue?");
  EXPECT_EQ(shown[1].Flags & MbButtonMask, MbYesNo);
  EXPECT_EQ(shown[3].Message, lost + "\r\rContinue?");
  EXPECT_EQ(w.Words, (std::vector<std::string>{"%Form%", "Mixer", "@Bar", "Bar "}));
  EXPECT_EQ(w.DefaultLanguage(), LangEnglish);  // the fallback language went too

  // A switch vetoed on the way keeps every language.
  ASSERT_TRUE(w.SetLanguages(2) && w.SetActiveLanguage(LangFrench));
  w.BeforeLanguageChange = [](int, bool& allowIt) { allowIt = false; };
  boxes.Answer(IdYes);
  EXPECT_FALSE(w.SetLanguages(1));
  EXPECT_EQ(w.Words.size(), 6u);
}
