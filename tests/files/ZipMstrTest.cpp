#include "files/ZipMstr.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/ZipFixtures.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class ZipMasterTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TRecordingMessageBox Boxes;
  TZipMaster Zip;
  std::vector<std::pair<TZipProgressType, int64_t>> Progress;
  std::vector<std::pair<int, std::string>> Messages;
  int DirUpdates = 0;
  void SetUp() override {
    fs::create_directories(Tmp / "py");
    Zip.OnProgress = [this](TZipProgressType t, const std::string&, int64_t size) { Progress.emplace_back(t, size); };
    Zip.OnMessage = [this](int code, const std::string& text) { Messages.emplace_back(code, text); };
    Zip.OnDirUpdate = [this] { ++DirUpdates; };
  }
};

TEST(ZipMessageText, MissingTextsNameTheirId) {
  EXPECT_EQ(ZipMessageText(10601), "ZipMsgXX.res is probably not bound to executable\nMissing String ID is: 10601");
  EXPECT_EQ(ZipMessageText(ZipMsgNothingToAdd), "Nothing to add to the zip file");
  TZipMaster zip;
  EXPECT_EQ(zip.AddCompLevel, 9);
  EXPECT_EQ(zip.AddOptions, 0u);
  EXPECT_EQ(zip.ExtrOptions, 0u);
  EXPECT_FALSE(zip.Unattended);
  EXPECT_STREQ(zip.VersionInfo(), "1.52 K");
}

TEST_F(ZipMasterTest, AddWithoutFilesAndExtractOfAMissingArchiveAreMessages) {
  Zip.SetZipFilename(Tmp / "pack.zip");
  Zip.Add();
  EXPECT_EQ(Zip.ErrCode(), ZipMsgNothingToAdd);
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Message, "Nothing to add to the zip file");
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0].first, 0);
  EXPECT_FALSE(fs::exists(Tmp / "pack.zip"));

  Zip.Extract();
  EXPECT_EQ(Zip.ErrCode(), ZipMsgNoArchive);
  EXPECT_EQ(Zip.SuccessCnt(), 0);
  EXPECT_EQ(Boxes.Count(), 2u);

  // Unattended: no boxes, the same codes; encryption needs a password.
  Zip.Unattended = true;
  Zip.FSpecArgs = {Tmp.Write("a.wav", "A")};
  Zip.AddOptions = AddEncrypt;
  Zip.Add();
  EXPECT_EQ(Zip.ErrCode(), ZipMsgNoPassword);
  EXPECT_EQ(Boxes.Count(), 2u);
  Zip.SetZipFilename("");
  Zip.AddOptions = 0;
  Zip.Add();
  EXPECT_EQ(Zip.ErrCode(), ZipMsgNoArchive);
}

TEST_F(ZipMasterTest, AddReportsProgressListsAndClearsTheNamesToAdd) {
  const std::string a = Tmp.Write("src/a.wav", std::string(300000, 'a'));
  const std::string b = Tmp.Write("src/b.wav", "B");
  Zip.SetZipFilename(Tmp / "pack.zip");
  EXPECT_EQ(DirUpdates, 1);
  EXPECT_EQ(Zip.Count(), 0);
  Zip.FSpecArgs = {a, b};
  Zip.Add();
  EXPECT_EQ(Zip.SuccessCnt(), 2);
  EXPECT_EQ(Zip.ErrCode(), 0);
  EXPECT_TRUE(Zip.FSpecArgs.empty());
  EXPECT_EQ(DirUpdates, 2);  // read again after the add
  ASSERT_EQ(Zip.Count(), 2);
  EXPECT_EQ(Zip.Entries()[1].Name, "b.wav");
  ASSERT_GE(Progress.size(), 5u);
  EXPECT_EQ(Progress[0], std::make_pair(ProgressTotalFiles, int64_t(2)));
  EXPECT_EQ(Progress[1], std::make_pair(ProgressTotalSize, int64_t(300001)));
  EXPECT_EQ(Progress[2].first, ProgressNewFile);
  EXPECT_EQ(Progress.back(), std::make_pair(ProgressEndOfBatch, int64_t(0)));
  EXPECT_EQ(Boxes.Count(), 0u);

  // Extract: overwrite off leaves an existing file, on replaces it.
  const std::string out = Tmp / "out";
  fs::create_directories(out);
  Tmp.Write("out/b.wav", "MINE");
  Zip.ExtrBaseDir = out;
  Zip.Extract();
  EXPECT_EQ(Zip.SuccessCnt(), 1);
  EXPECT_EQ(ReadFileBytes(out + "/b.wav"), std::string("MINE"));
  Zip.ExtrOptions = ExtrOverWrite;
  Zip.FSpecArgs = {"B.WAV"};
  Zip.Extract();
  EXPECT_EQ(Zip.SuccessCnt(), 1);
  EXPECT_EQ(ReadFileBytes(out + "/b.wav"), std::string("B"));
  EXPECT_TRUE(Zip.FSpecArgs.empty());
}

TEST_F(ZipMasterTest, ArchiverErrorsAreOneBoxAndTheLastErrorCode) {
  const std::string zip = Tmp / "evil.zip";
  ASSERT_TRUE(test::MakeZip(Tmp / "py", zip,
                            "z.writestr('../a.wav', 'X')\nz.writestr('/b.wav', 'X')\nz.writestr('c.wav', 'C')"));
  const std::string out = Tmp / "out";
  fs::create_directories(out);
  Zip.SetZipFilename(zip);
  EXPECT_EQ(Zip.Count(), 3);
  Zip.ExtrBaseDir = out;
  Zip.Extract();
  EXPECT_EQ(Zip.SuccessCnt(), 1);
  EXPECT_EQ(Zip.ErrCode(), ZipErrUnsafeName);
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Caption, "Error");
  EXPECT_EQ(Boxes.Boxes()[0].Message, "../a.wav: unsafe name, not extracted\r(and 1 more)");
  EXPECT_EQ(Messages.size(), 2u);
}

TEST_F(ZipMasterTest, DamagedDirectoryAndCancel) {
  const std::string bad = Tmp.Write("bad.zip", "PK\x05\x06 broken");
  EXPECT_FALSE(Zip.SetZipFilename(bad));
  EXPECT_EQ(Zip.ErrCode(), ZipMsgDamaged);
  EXPECT_EQ(Zip.Count(), 0);
  EXPECT_EQ(Zip.Message().rfind("The zip file is damaged or is not a zip file:\r" + bad + "\r", 0), 0u);
  EXPECT_EQ(Boxes.Count(), 0u);  // the caller reports it

  // Cancel from the progress event: the add stops and writes nothing.
  const std::string a = Tmp.Write("src/a.wav", "A");
  Zip.OnProgress = [this](TZipProgressType t, const std::string&, int64_t) {
    if (t == ProgressNewFile) Zip.Cancel();
  };
  Zip.Unattended = true;
  Zip.SetZipFilename(Tmp / "pack.zip");
  Zip.FSpecArgs = {a};
  Zip.Add();
  EXPECT_EQ(Zip.SuccessCnt(), 0);
  EXPECT_EQ(Zip.ErrCode(), ZipErrCancelled);
  EXPECT_FALSE(fs::exists(Tmp / "pack.zip"));
}

}  // namespace
}  // namespace vs
