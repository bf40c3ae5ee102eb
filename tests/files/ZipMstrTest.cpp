#include "files/ZipMstr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <sys/stat.h>
#include <utime.h>

#include <cstdlib>
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
  EXPECT_THROW(Zip.SetZipFilename(bad), EZipMaster);
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

// A directory image: one central header per (name, host, comment length)
// and the end record, as the component reads them.
std::string Le16(uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(uint16_t(v & 0xFFFF)) + Le16(uint16_t(v >> 16)); }
std::string CentralHeader(const std::string& name, uint8_t host, uint16_t nameLength, uint16_t commentLength,
                          uint32_t offset = 0) {
  std::string h = Le32(0x02014b50) + Le16(uint16_t(host << 8 | 20)) + Le16(20) + Le16(0) + Le16(0) + Le32(0) +
                  Le32(0) + Le32(3) + Le32(3) + Le16(nameLength) + Le16(0) + Le16(commentLength) + Le16(0) +
                  Le16(0) + Le32(0) + Le32(offset);
  return h + name;
}
std::string EndRecord(uint16_t count, uint32_t dirSize, uint32_t dirOffset) {
  return Le32(0x06054b50) + Le16(0) + Le16(0) + Le16(count) + Le16(count) + Le32(dirSize) + Le32(dirOffset) +
         Le16(0);
}
TZipDirectory ReadImage(const std::string& image, TZipCodePage cp = cpAuto) {
  return ReadZipDirectoryAt(image.size(),
                            [&image](uint64_t at, void* buffer, size_t size) -> size_t {
                              if (at >= image.size()) return 0;
                              const size_t n = std::min<size_t>(size, image.size() - at);
                              std::memcpy(buffer, image.data() + at, n);
                              return n;
                            },
                            cp);
}

TEST(ZipDirectory, EachCutOrBrokenPartOfTheDirectoryHasItsOwnMessage) {
  const std::string good = CentralHeader("a.wav", 0, 5, 0);
  TZipDirectory dir = ReadImage(good + EndRecord(1, uint32_t(good.size()), 0));
  ASSERT_EQ(dir.Error, 0);
  ASSERT_EQ(dir.Entries.size(), 1u);
  EXPECT_EQ(dir.Entries[0].Name, "a.wav");
  EXPECT_EQ(dir.Entries[0].Header.size(), 42u);
  EXPECT_EQ(dir.Entries[0].VersionMadeBy, 20);

  std::string wrong = good;
  wrong[3] = 0x03;  // a local header's signature where the directory's should be
  EXPECT_EQ(ReadImage(wrong + EndRecord(1, uint32_t(wrong.size()), 0)).Error, ZipMsgHeaderSignature);
  // A name, or a comment, running past the end of the file.
  const std::string longName = CentralHeader("", 0, 60000, 0);
  EXPECT_EQ(ReadImage(longName + EndRecord(1, 46, 0)).Error, ZipMsgNameShort);
  const std::string longComment = CentralHeader("", 0, 0, 60000);
  EXPECT_EQ(ReadImage(longComment + EndRecord(1, 46, 0)).Error, ZipMsgCommentShort);
  // Two entries said, the second header cut off by the file's end.
  const std::string first = CentralHeader("", 0, 0, 12);
  const TZipDirectory cut = ReadImage(first + EndRecord(2, 46, 0));
  EXPECT_EQ(cut.Error, ZipMsgHeaderShort);
  EXPECT_TRUE(cut.Entries.empty());
  EXPECT_EQ(ReadImage("not a zip at all, longer than twenty-two").Error, ZipMsgDamaged);
  EXPECT_EQ(ZipMessageText(ZipMsgNameShort), "The zip file's directory ends inside an entry's name");

  // Data in front, offsets as stored: everything is moved by its size.
  const std::string moved = std::string(100, 'S') + good + EndRecord(1, uint32_t(good.size()), 0);
  dir = ReadImage(moved);
  EXPECT_EQ(dir.Error, 0);
  EXPECT_EQ(dir.Shift, 100);
  EXPECT_EQ(dir.Entries[0].LocalHeaderOffset, 100u);
  EXPECT_EQ(dir.FirstLocalHeader, 100u);
}

TEST(ZipDirectory, NamesAreOemTextByTheirHostAndTheCodePage) {
  const std::string bytes = "K\xC3\xBC";  // "Kü" in UTF-8; box drawings in the OEM set
  EXPECT_EQ(ZipEntryNameText(bytes, 0 << 8 | 20, 0, cpAuto), "K\u251C\u255D");
  EXPECT_EQ(ZipEntryNameText(bytes, 0 << 8 | 20, 0, cpNone), "K\u00FC");
  EXPECT_EQ(ZipEntryNameText(bytes, 3 << 8 | 30, 0, cpAuto), "K\u00FC");  // a Unix name is left as it is
  EXPECT_EQ(ZipEntryNameText(bytes, 3 << 8 | 30, 0, cpOEM), "K\u251C\u255D");
  EXPECT_EQ(ZipEntryNameText(bytes, 11 << 8 | 50, 0, cpNone), "K\u251C\u255D");
  EXPECT_EQ(ZipEntryNameText(bytes, 11 << 8 | 63, 0, cpAuto), "K\u00FC");
  EXPECT_EQ(ZipEntryNameText(bytes, 0, 0x0800, cpOEM), "K\u00FC");  // marked UTF-8
  EXPECT_EQ(ZipEntryNameText("\x81", 0, 0, cpAuto), "\u00FC");
}

TEST_F(ZipMasterTest, ListRaisesForADamagedDirectoryAndShowsDataInFront) {
  const std::string good = CentralHeader("a.wav", 0, 5, 0);
  std::string wrong = good;
  wrong[3] = 0x03;
  const std::string bad = Tmp.Write("bad.zip", wrong + EndRecord(1, uint32_t(wrong.size()), 0));
  try {
    Zip.SetZipFilename(bad);
    ADD_FAILURE();
  } catch (const EZipMaster& e) {
    EXPECT_EQ(e.Id, ZipMsgHeaderSignature);
    EXPECT_EQ(std::string(e.what()).rfind(ZipMessageText(ZipMsgHeaderSignature), 0), 0u);
  }
  EXPECT_EQ(Zip.Count(), 0);
  EXPECT_EQ(Zip.ErrCode(), ZipMsgHeaderSignature);
  // A real archive behind a stub: listed, with the message shown once.
  const std::string zip = Tmp / "plain.zip";
  ASSERT_TRUE(test::MakeZip(Tmp / "py", zip, "z.writestr('kick.wav', 'K')"));
  const std::string stubbed = Tmp.Write("stub.zip", std::string(64, 'X') + ReadFileBytes(zip).value_or(""));
  Zip.SetZipFilename(stubbed);
  ASSERT_EQ(Zip.Count(), 1);
  EXPECT_EQ(Zip.Entries()[0].Name, "kick.wav");
  EXPECT_EQ(Zip.Entries()[0].LocalHeaderOffset, 64u);
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Zip.ErrCode(), ZipMsgFrontData);
}

TEST_F(ZipMasterTest, AddOptionsNamesFoldersTimesTheTrashAndTheTemporaryFolder) {
  fs::create_directories(Tmp / "src/kit");
  const std::string a = Tmp.Write("src/kit/longsamplename.wave", "A");
  const std::string b = Tmp.Write("src/kit/b.wav", "B");
  utimbuf old{978307200, 978307200};  // 2001-01-01
  ::utime(a.c_str(), &old);
  ::utime(b.c_str(), &old);
  Zip.Unattended = true;
  Zip.AddOptions = AddForceDOS | AddZipTime;
  Zip.SetZipFilename(Tmp / "dos.zip");
  Zip.FSpecArgs = {a};
  Zip.Add();
  ASSERT_EQ(Zip.Count(), 1);
  EXPECT_EQ(Zip.Entries()[0].Name, "LONGSAMP.WAV");
  struct stat st {};
  ASSERT_EQ(::stat((Tmp / "dos.zip").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 978307200);

  // Folder names: folders are entries of their own unless AddSeparateDirs.
  const auto names = [this] {
    std::vector<std::string> n;
    for (const TZipDirEntry& e : Zip.Entries()) n.push_back(e.Name);
    std::sort(n.begin(), n.end());
    return n;
  };
  Zip.AddOptions = AddDirNames;
  Zip.SetZipFilename(Tmp / "dirs.zip");
  Zip.FSpecArgs = {b};
  Zip.Add();
  EXPECT_NE(std::find(names().begin(), names().end(), std::string(Tmp / "src/").substr(1)), names().end());
  Zip.AddOptions = AddDirNames | AddSeparateDirs;
  Zip.SetZipFilename(Tmp / "plain.zip");
  Zip.FSpecArgs = {b};
  Zip.Add();
  EXPECT_EQ(Zip.Count(), 1);

  // Built in TempDir, nothing left there; moved files go to the trash (or
  // for good).
  fs::create_directories(Tmp / "work");
  fs::create_directories(Tmp / "data");
  ::setenv("XDG_DATA_HOME", (Tmp / "data").c_str(), 1);
  Zip.TempDir = Tmp / "work";
  Zip.AddOptions = AddMove;
  Zip.SetZipFilename(Tmp / "moved.zip");
  Zip.FSpecArgs = {b};
  Zip.Add();
  EXPECT_EQ(Zip.SuccessCnt(), 1);
  EXPECT_TRUE(fs::is_empty(Tmp / "work"));
  EXPECT_FALSE(fs::exists(b));
  EXPECT_TRUE(fs::exists(Tmp / "data/Trash/files/b.wav"));
  const std::string info = ReadFileBytes(Tmp / "data/Trash/info/b.wav.trashinfo").value_or("");
  EXPECT_NE(info.find("Path=" + b + "\n"), std::string::npos) << info;
  Zip.HowToDelete = htdFinal;
  Zip.FSpecArgs = {a};
  Zip.Add();
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(Tmp / "data/Trash/files/longsamplename.wave"));
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace vs
