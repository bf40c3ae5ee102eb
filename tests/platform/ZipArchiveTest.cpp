#include "platform/ZipArchive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"
#include "support/ZipFixtures.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;
using test::LinkEntry;
using test::MakeZip;
using test::ReadZip;

struct Recorder {
  std::vector<TZipCallbackInfo> Calls;
  int StopAt = -1;  // answer -1 from this call on
  TZipCallback Callback() {
    return [this](const TZipCallbackInfo& i) {
      Calls.push_back(i);
      return StopAt >= 0 && static_cast<int>(Calls.size()) > StopAt ? -1 : 0;
    };
  }
  std::vector<int> Errors() const {
    std::vector<int> e;
    for (const auto& c : Calls)
      if (c.Action == ZipActionMessage && c.ErrorCode != 0) e.push_back(c.ErrorCode);
    return e;
  }
  int Count(int action) const {
    int n = 0;
    for (const auto& c : Calls) n += c.Action == action;
    return n;
  }
};

// Every path below folder (files, folders and links), relative.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
    names.push_back(fs::relative(it->path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

class ZipArchiveTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::string Py, Out, Outside;
  void SetUp() override {
    Py = Tmp / "py";
    Out = Tmp / "out";
    Outside = Tmp / "outside";
    fs::create_directories(Py);
    fs::create_directories(Out);
    fs::create_directories(Outside);
  }
  int Extract(const std::string& zip, Recorder& r, bool overwrite = true, uint64_t maxEntry = ZipDefaultMaxEntrySize,
              uint64_t maxTotal = ZipDefaultMaxTotalSize) {
    TZipExtractRecord rec;
    rec.Callback = r.Callback();
    rec.ArchiveName = zip;
    rec.BaseDir = Out;
    rec.OverWrite = overwrite;
    rec.MaxEntrySize = maxEntry;
    rec.MaxTotalSize = maxTotal;
    rec.SyncFiles = false;  // a scratch folder
    return ZipExtractExec(rec);
  }
};

TEST(SafeEntryPath, KeepsPlainNamesAndRefusesEscapes) {
  EXPECT_EQ(SafeEntryPath("kick.wav", false), "kick.wav");
  EXPECT_EQ(SafeEntryPath("kits/a/kick.wav", false), "kick.wav");
  EXPECT_EQ(SafeEntryPath("kits/a/kick.wav", true), "kits/a/kick.wav");
  EXPECT_EQ(SafeEntryPath("kits\\a\\kick.wav", true), "kits/a/kick.wav");
  EXPECT_EQ(SafeEntryPath("./kits//kick.wav", true), "kits/kick.wav");
  for (const char* bad : {"../kick.wav", "kits/../../kick.wav", "..\\kick.wav", "/etc/passwd", "\\x.wav",
                          "C:\\x.wav", "c:x.wav", "a/..", "", "./", "a\x01" "b", "a\nb"}) {
    EXPECT_EQ(SafeEntryPath(bad, false), "") << bad;
    EXPECT_EQ(SafeEntryPath(bad, true), "") << bad;
  }
  EXPECT_EQ(SafeEntryPath(std::string(255, 'a'), false), std::string(255, 'a'));
  EXPECT_EQ(SafeEntryPath(std::string(256, 'a'), false), "");
}

TEST_F(ZipArchiveTest, AddsBareNamesAndExtractsThemAgain) {
  const std::string a = Tmp.Write("src/one/kick.wav", std::string(5000, 'k'));
  const std::string b = Tmp.Write("src/two/snare.wav", "SNARE");
  const std::string zip = Tmp / "pack.zip";
  Recorder r;
  TZipAddRecord add;
  add.Callback = r.Callback();
  add.ArchiveName = zip;
  add.FileSpecs = {a, b, a};  // a file named twice goes in once, without complaint
  EXPECT_EQ(ZipAddExec(add), 2);
  EXPECT_TRUE(r.Errors().empty());
  ASSERT_GE(r.Calls.size(), 4u);
  EXPECT_EQ(r.Calls[0].Action, ZipActionTotalFiles);
  EXPECT_EQ(r.Calls[0].Size, 2);
  EXPECT_EQ(r.Calls[1].Action, ZipActionTotalSize);
  EXPECT_EQ(r.Calls[1].Size, 5005);
  EXPECT_EQ(r.Count(ZipActionNewFile), 2);
  EXPECT_EQ(r.Calls.back().Action, ZipActionEndOfBatch);
  const auto held = ReadZip(Py, zip);
  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(held.at("kick.wav"), std::string(5000, 'k'));
  EXPECT_EQ(held.at("snare.wav"), "SNARE");
  // Best compression really compresses; the temporary archive is gone.
  EXPECT_LT(fs::file_size(zip), 1000u);
  for (const auto& e : fs::directory_iterator(Tmp.Dir())) EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos);

  Recorder x;
  EXPECT_EQ(Extract(zip, x), 2);
  EXPECT_EQ(ReadFileBytes(Out + "/kick.wav"), std::string(5000, 'k'));
  EXPECT_EQ(ReadFileBytes(Out + "/snare.wav"), std::string("SNARE"));
  EXPECT_EQ(Listing(Out), (std::vector<std::string>{"kick.wav", "snare.wav"}));

  std::vector<TZipDirEntry> entries;
  std::string why;
  ASSERT_EQ(ZipReadDirectory(zip, entries, why), ZipErrNone);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Name, "kick.wav");
  EXPECT_EQ(entries[0].UncompressedSize, 5000u);
  EXPECT_EQ(entries[0].Method, 8);
}

TEST_F(ZipArchiveTest, AddRefusesClashingNamesMissingFilesAndForeignArchives) {
  const std::string a = Tmp.Write("src/one/kick.wav", "ONE");
  const std::string b = Tmp.Write("src/two/KICK.wav", "TWO");
  const std::string zip = Tmp / "pack.zip";
  Recorder r;
  TZipAddRecord add;
  add.Callback = r.Callback();
  add.ArchiveName = zip;
  add.FileSpecs = {a, b, Tmp / "src/missing.wav", Tmp / "src"};
  EXPECT_EQ(ZipAddExec(add), 1);
  EXPECT_EQ(r.Errors(), (std::vector<int>{ZipErrDuplicateName, ZipErrSourceFile, ZipErrSourceFile}));
  EXPECT_EQ(ReadZip(Py, zip).at("kick.wav"), "ONE");

  // A file that is no archive is never overwritten by an add.
  const std::string notZip = Tmp.Write("notes.zip", "my notes, not an archive");
  Recorder f;
  add.Callback = f.Callback();
  add.ArchiveName = notZip;
  add.FileSpecs = {a};
  EXPECT_EQ(ZipAddExec(add), 0);
  EXPECT_EQ(f.Errors(), std::vector<int>{ZipErrOpenArchive});
  EXPECT_EQ(ReadFileBytes(notZip), std::string("my notes, not an archive"));

  // Nothing to add that exists: no archive is made.
  add.ArchiveName = Tmp / "none.zip";
  add.FileSpecs = {Tmp / "src/missing.wav"};
  EXPECT_EQ(ZipAddExec(add), 0);
  EXPECT_FALSE(fs::exists(Tmp / "none.zip"));
}

TEST_F(ZipArchiveTest, AddsToAnExistingArchiveAndHonoursWildcards) {
  Tmp.Write("src/a.wav", "A");
  Tmp.Write("src/b.WAV", "B");
  Tmp.Write("src/.hidden.wav", "H");
  Tmp.Write("src/c.txt", "C");
  Tmp.Write("src/sub/d.wav", "D");
  const std::string zip = Tmp / "pack.zip";
  ASSERT_TRUE(MakeZip(Py, zip, "z.writestr('old.txt', 'OLD')"));
  TZipAddRecord add;
  add.ArchiveName = zip;
  add.FileSpecs = {Tmp / "src/*.wav"};
  EXPECT_EQ(ZipAddExec(add), 2);
  auto held = ReadZip(Py, zip);
  EXPECT_EQ(held.size(), 3u);
  EXPECT_EQ(held.count("old.txt"), 1u);
  add.RecurseDirs = true;
  add.HiddenFiles = true;
  add.DirNames = false;
  EXPECT_EQ(ZipAddExec(add), 4);  // a, b again (replaced), .hidden, sub/d
  held = ReadZip(Py, zip);
  EXPECT_EQ(held.size(), 5u);
  EXPECT_EQ(held.at("d.wav"), "D");
  EXPECT_EQ(held.at(".hidden.wav"), "H");
}

TEST_F(ZipArchiveTest, HostileEntriesNeverLeaveTheBaseFolder) {
  const std::string zip = Tmp / "evil.zip";
  ASSERT_TRUE(MakeZip(Py, zip,
                      "z.writestr('../escape.txt', 'X')\n"
                      "z.writestr('/" + Outside.substr(1) + "/abs.txt', 'X')\n"
                      "z.writestr('..\\\\win.txt', 'X')\n"
                      "z.writestr('sub/../../up.txt', 'X')\n"
                      "z.writestr('C:\\\\drive.txt', 'X')\n" +
                          LinkEntry("link.wav", Outside + "/target.txt") +
                          LinkEntry("dirlink", Outside) +
                          "z.writestr('dirlink/through.txt', 'X')\n"
                          "z.writestr('good/ok.wav', 'FIRST')\n"
                          "z.writestr('ok.wav', 'SECOND')\n"
                          "z.writestr('OK.WAV', 'THIRD')\n"));
  Recorder r;
  EXPECT_EQ(Extract(zip, r), 2);  // ok.wav (first of its name) and through.txt as a bare name
  EXPECT_EQ(Listing(Out), (std::vector<std::string>{"ok.wav", "through.txt"}));
  EXPECT_EQ(ReadFileBytes(Out + "/ok.wav"), std::string("FIRST"));
  EXPECT_TRUE(fs::is_empty(Outside));
  EXPECT_FALSE(fs::exists(Tmp / "escape.txt"));
  EXPECT_FALSE(fs::exists(Tmp / "up.txt"));
  const std::vector<int> errors = r.Errors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), ZipErrUnsafeName), 5);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), ZipErrLinkEntry), 2);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), ZipErrDuplicateName), 2);

  // With folders kept, a link made beforehand is never entered.
  fs::remove_all(Out);
  fs::create_directories(Out);
  fs::create_directory_symlink(Outside, Out + "/dirlink");
  TZipExtractRecord rec;
  Recorder d;
  rec.Callback = d.Callback();
  rec.ArchiveName = zip;
  rec.BaseDir = Out;
  rec.DirNames = true;
  rec.OverWrite = true;
  EXPECT_EQ(ZipExtractExec(rec), 2);  // good/ok.wav and ok.wav
  EXPECT_TRUE(fs::is_empty(Outside));
  EXPECT_EQ(ReadFileBytes(Out + "/good/ok.wav"), std::string("FIRST"));
  EXPECT_EQ(ReadFileBytes(Out + "/ok.wav"), std::string("SECOND"));
}

TEST_F(ZipArchiveTest, OverwritingReplacesALinkNotItsTarget) {
  const std::string target = Tmp.Write("outside/precious.txt", "PRECIOUS");
  fs::create_symlink(target, Out + "/kick.wav");
  const std::string zip = Tmp / "pack.zip";
  ASSERT_TRUE(MakeZip(Py, zip, "z.writestr('kick.wav', 'NEW')"));
  Recorder keep;
  EXPECT_EQ(Extract(zip, keep, false), 0);  // overwrite off: left alone
  EXPECT_TRUE(fs::is_symlink(Out + "/kick.wav"));
  Recorder r;
  EXPECT_EQ(Extract(zip, r, true), 1);
  EXPECT_FALSE(fs::is_symlink(Out + "/kick.wav"));
  EXPECT_EQ(ReadFileBytes(Out + "/kick.wav"), std::string("NEW"));
  EXPECT_EQ(ReadFileBytes(target), std::string("PRECIOUS"));
}

TEST_F(ZipArchiveTest, SizesAreBoundedByWhatReallyInflates) {
  const std::string zip = Tmp / "bomb.zip";
  ASSERT_TRUE(MakeZip(Py, zip,
                      "z.writestr('big.wav', b'\\0' * (8 << 20))\n"
                      "z.writestr('a.wav', b'a' * 600000)\n"
                      "z.writestr('b.wav', b'b' * 600000)\n"));
  EXPECT_LT(fs::file_size(zip), 64u * 1024);
  Recorder r;
  EXPECT_EQ(Extract(zip, r, true, 1 << 20, 1 << 20), 1);  // big: over the entry limit; b: over the total
  EXPECT_EQ(r.Errors(), (std::vector<int>{ZipErrTooLarge, ZipErrTooLarge}));
  EXPECT_EQ(Listing(Out), std::vector<std::string>{"a.wav"});

  // A header that understates the size: the inflated bytes count.
  const std::string liar = Tmp / "liar.zip";
  ASSERT_TRUE(MakeZip(Py, liar, "z.writestr('liar.wav', b'\\0' * (4 << 20))"));
  ASSERT_TRUE(test::RunPython(Py,
                              "d = bytearray(open(r'''" + liar + "''', 'rb').read())\n"
                              "l = d.find(b'PK\\x03\\x04'); struct.pack_into('<I', d, l + 22, 1000)\n"
                              "c = d.find(b'PK\\x01\\x02'); struct.pack_into('<I', d, c + 24, 1000)\n"
                              "open(r'''" + liar + "''', 'wb').write(d)\n"));
  fs::remove_all(Out);
  fs::create_directories(Out);
  Recorder l;
  EXPECT_EQ(Extract(liar, l), 0);
  EXPECT_FALSE(l.Errors().empty());
  EXPECT_TRUE(fs::is_empty(Out));  // no partial file, no temporary file
}

TEST_F(ZipArchiveTest, DamagedArchivesGiveMessagesAndLeaveNothing) {
  const std::string good = Tmp / "good.zip";
  ASSERT_TRUE(MakeZip(Py, good, "z.writestr('a.wav', b'a' * 100000)\nz.writestr('b.wav', 'B')"));
  const std::string bytes = *ReadFileBytes(good);

  for (const std::string& image : {std::string("not a zip at all"), bytes.substr(0, bytes.size() - 10),
                                   bytes.substr(0, 30), std::string()}) {
    const std::string bad = Tmp.Write("bad.zip", image);
    Recorder r;
    EXPECT_EQ(Extract(bad, r), 0);
    EXPECT_EQ(r.Errors(), std::vector<int>{ZipErrOpenArchive});
    std::vector<TZipDirEntry> entries;
    std::string why;
    EXPECT_EQ(ZipReadDirectory(bad, entries, why), ZipErrOpenArchive);
    EXPECT_FALSE(why.empty());
  }
  // Damaged data in the first entry: that entry fails, the next comes out.
  std::string flipped = bytes;
  for (size_t i = 60; i < 80; ++i) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
  const std::string bad = Tmp.Write("bad.zip", flipped);
  Recorder r;
  EXPECT_EQ(Extract(bad, r), 1);
  EXPECT_EQ(r.Errors(), std::vector<int>{ZipErrReadEntry});
  EXPECT_EQ(Listing(Out), std::vector<std::string>{"b.wav"});
  // A missing base folder.
  TZipExtractRecord rec;
  Recorder m;
  rec.Callback = m.Callback();
  rec.ArchiveName = good;
  rec.BaseDir = Tmp / "missing";
  EXPECT_EQ(ZipExtractExec(rec), 0);
  EXPECT_EQ(m.Errors(), std::vector<int>{ZipErrTargetFolder});
  // More entries than allowed: nothing is extracted.
  Recorder c;
  rec.Callback = c.Callback();
  rec.BaseDir = Out;
  rec.MaxEntries = 1;
  EXPECT_EQ(ZipExtractExec(rec), 0);
  EXPECT_EQ(c.Errors(), std::vector<int>{ZipErrTooLarge});
  EXPECT_EQ(Listing(Out), std::vector<std::string>{"b.wav"});
}

// A changed byte anywhere in an entry's deflated data is the damage it is
// (a data or checksum error), even where the damaged data inflates past the
// entry's size: never "larger than it claims".
TEST_F(ZipArchiveTest, AChangedByteInDeflatedDataIsADataError) {
  const std::string zip = Tmp / "take.zip";
  ASSERT_TRUE(MakeZip(Py, zip, "z.writestr('take.wav', ''.join('step %d of %d; ' % (i, i * 7 % 13) for i in range(3000)))"));
  const std::string bytes = *ReadFileBytes(zip);
  const auto le16 = [&](size_t at) { return size_t(uint8_t(bytes[at])) | size_t(uint8_t(bytes[at + 1])) << 8; };
  const size_t data = 30 + le16(26) + le16(28);
  const size_t size = le16(18) | le16(20) << 16;
  int damaged = 0;
  for (size_t at = data; at < data + size; at += 17) {
    std::string changed = bytes;
    changed[at] = static_cast<char>(changed[at] ^ 0x10);
    const std::string bad = Tmp.Write("bad.zip", changed);
    Recorder r;
    if (Extract(bad, r) == 1) continue;  // a change the data can't show (rare)
    ++damaged;
    ASSERT_EQ(r.Errors(), std::vector<int>{ZipErrReadEntry}) << "byte " << at;
    for (const TZipCallbackInfo& c : r.Calls)
      if (c.Action == ZipActionMessage) EXPECT_EQ(c.Text.find("larger than"), std::string::npos) << c.Text;
  }
  EXPECT_GT(damaged, int(size / 17 / 2));
}

TEST_F(ZipArchiveTest, CancelTestPasswordAndSelection) {
  const std::string a = Tmp.Write("src/a.wav", "AAAA");
  const std::string b = Tmp.Write("src/b.txt", "BBBB");
  const std::string zip = Tmp / "pack.zip";
  TZipAddRecord add;
  add.ArchiveName = zip;
  add.FileSpecs = {a, b};
  add.Encrypt = true;
  add.Password = "secret";
  ASSERT_EQ(ZipAddExec(add), 2);

  Recorder none;
  EXPECT_EQ(Extract(zip, none), 0);
  EXPECT_EQ(none.Errors(), (std::vector<int>{ZipErrPassword, ZipErrPassword}));
  TZipExtractRecord rec;
  rec.ArchiveName = zip;
  rec.BaseDir = Out;
  rec.Password = "wrong";
  EXPECT_EQ(ZipExtractExec(rec), 0);
  EXPECT_TRUE(fs::is_empty(Out));
  rec.Password = "secret";
  rec.FileSpecs = {"*.WAV"};
  rec.Test = true;
  EXPECT_EQ(ZipExtractExec(rec), 1);
  EXPECT_TRUE(fs::is_empty(Out));  // a test writes nothing
  rec.Test = false;
  EXPECT_EQ(ZipExtractExec(rec), 1);
  EXPECT_EQ(ReadFileBytes(Out + "/a.wav"), std::string("AAAA"));

  // Stopping at the first file's report extracts nothing.
  fs::remove_all(Out);
  fs::create_directories(Out);
  Recorder stop;
  stop.StopAt = 2;  // after the two totals
  rec.FileSpecs.clear();
  rec.Callback = stop.Callback();
  EXPECT_EQ(ZipExtractExec(rec), 0);
  EXPECT_TRUE(fs::is_empty(Out));
  EXPECT_EQ(stop.Errors().back(), ZipErrCancelled);
}

}  // namespace
}  // namespace vs
