// The language tables the program ships: complete, aligned, and speaking
// the same words as the program's own English fallbacks.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "core/ChannelCommands.h"
#include "core/SongCommands.h"
#include "core/Transport.h"
#include "toolbox/MLBase.h"

using namespace vs;
namespace fs = std::filesystem;

namespace {

// The placeholders of a format text, in order ("%%" is no placeholder).
std::string Placeholders(const std::string& text) {
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == 'd' || text[i + 1] == 's') out += text[i + 1];
    ++i;
  }
  return out;
}

}  // namespace

TEST(ShippedLanguageTables, EveryRowIsTranslatedWithTheSamePlaceholders) {
  const std::string folder = std::string(VS_DATA_DIR) + "lang/";
  int tables = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().stem().string();
    std::optional<TLangTable> table = LoadLangTable(entry.path().string());
    ASSERT_TRUE(table) << name;
    ++tables;
    EXPECT_EQ(table->Languages, TableLanguages) << name;
    ASSERT_EQ(table->Words.size() % (TableLanguages + 1), 0u) << name;
    bool hasCaption = false;
    for (size_t r = 0; r < table->Words.size(); r += TableLanguages + 1) {
      const std::string& key = table->Words[r];
      const std::string& english = table->Words[r + 1];
      hasCaption |= key == "%Form%";
      EXPECT_TRUE(table->Words[r + 4].empty()) << name << " " << key << ": German is not offered";
      if (english.empty()) continue;  // a component with a hint row only
      for (int lang : {LangFrench, LangDutch}) {
        const std::string& text = table->Words[r + 1 + lang];
        EXPECT_FALSE(text.empty()) << name << " " << key << " lacks language " << lang;
        EXPECT_EQ(Placeholders(text), Placeholders(english)) << name << " " << key;
        // Message texts keep their caption word before the bar.
        EXPECT_EQ(text.find('|') == std::string::npos, english.find('|') == std::string::npos) << name << " " << key;
      }
    }
    EXPECT_TRUE(hasCaption) << name;
    // One font per language: the background picture dialog's own, the
    // others' the same for every window.
    const std::string font = name == "BackgroundForm" ? "MS Sans Serif,1" : "Arial,0";
    EXPECT_EQ(table->CharSets, std::vector<std::string>(TableLanguages, font)) << name;
  }
  EXPECT_EQ(tables, 14);
}

TEST(ShippedLanguageTables, EnglishColumnsMatchTheProgramsOwnTexts) {
  SetLangFolder(std::string(VS_DATA_DIR) + "lang/");
  ForgetHeadlessTables();
  ASSERT_EQ(GlobalLanguage(), LangEnglish);
  const std::string main(MainWindowTable);
  EXPECT_EQ(GetWord(main, "@SaveChanges"), SaveChangesQuestion);
  EXPECT_EQ(GetWord(main, "@ConfirmDeleteChan"), ConfirmDeleteChannelsText);
  EXPECT_EQ(GetWord(main, "@CopySamples"), CopySamplesText);
  EXPECT_EQ(GetWord(main, "@CollectSamples"), CollectSamplesTitle);
  EXPECT_EQ(GetWord(main, "@MasterSyncOption"), MasterSyncCaption);
  EXPECT_EQ(GetWord(main, "SyncOption"), SlaveSyncCaption);
  // The doubled quote of the original text is a quoting leftover.
  EXPECT_EQ(GetWord("MIDIForm", "@NoOutputError"),
            "Warning|You didn't select any output (MIDI or DirectSound) device.\r\n"
            "Dont be surprised if you don't hear anything...");
  SetGlobalLanguage(LangFrench);
  EXPECT_EQ(FormatText(GetWord(main, "@SaveChanges"), {"Beat.zmp"}),
            "Confirmation|Enregistrer les modifications de Beat.zmp ?");
  EXPECT_EQ(FormatText(GetWord("PlayListForm", "@Loop"), {3, 7}), "Boucle de la mesure 3 à la mesure 7");
  SetGlobalLanguage(LangEnglish);
  ForgetHeadlessTables();
}
