#include "files/ZipMstr.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"
#include "toolbox/TextCodec.h"

namespace vs {

const char* const ZipMissingTextNotice =
    "ZipMsgXX.res is probably not bound to executable\nMissing String ID is: ";

namespace {

bool IsFile(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& name) {
  struct stat st {};
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  return text;
}

}  // namespace

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint64_t U64(const uint8_t* p) { return U32(p) | uint64_t(U32(p + 4)) << 32; }

constexpr uint32_t EndSignature = 0x06054b50;
constexpr uint32_t End64Signature = 0x06064b50;
constexpr uint32_t End64LocatorSignature = 0x07064b50;
constexpr uint32_t HeaderSignature = 0x02014b50;
// Far more than any archive of ours; a directory claiming more is damaged.
constexpr uint64_t MaxListedEntries = uint64_t(1) << 20;
// A directory up to this size is read whole.
constexpr uint64_t MaxDirectoryImage = uint64_t(64) << 20;

// The upper half of the OEM (code page 437) character set.
constexpr uint16_t Oem437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

bool ValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();)
    if (!NextUtf8(text, i)) return false;
  return true;
}

int64_t DosTime(uint16_t time, uint16_t date) {
  if (date == 0) return 0;
  tm t {};
  t.tm_year = ((date >> 9) & 0x7F) + 80;
  t.tm_mon = ((date >> 5) & 0x0F) - 1;
  t.tm_mday = date & 0x1F;
  t.tm_hour = (time >> 11) & 0x1F;
  t.tm_min = (time >> 5) & 0x3F;
  t.tm_sec = (time & 0x1F) * 2;
  t.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&t));
}

}  // namespace

std::string ZipEntryNameText(std::string_view raw, uint16_t versionMadeBy, uint16_t flags, TZipCodePage codePage) {
  if (flags & 0x0800) return std::string(raw);  // marked as UTF-8
  const int host = versionMadeBy >> 8, version = versionMadeBy & 0xFF;
  const bool oem = codePage == cpOEM ||
                   (codePage == cpAuto && (host == 6 || (host == 11 && version == 50) || host == 0)) ||
                   (codePage == cpNone && (host == 6 || (host == 11 && version == 50)));
  if (oem) {
    std::string out;
    for (unsigned char c : raw) AppendUtf8(out, c < 128 ? c : Oem437[c - 128]);
    return out;
  }
  // Left as it is: a Unix name is UTF-8 as a rule; any other is Windows text.
  return ValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
}

TZipDirectory ReadZipDirectoryAt(uint64_t fileSize, const TZipReadAt& readAt, TZipCodePage codePage) {
  TZipDirectory dir;
  const auto fail = [&dir](int id, std::string detail) {
    dir.Entries.clear();
    dir.Error = id;
    dir.Detail = std::move(detail);
    return dir;
  };
  if (fileSize < 22) return fail(ZipMsgDamaged, "no end of the directory");
  // The end record, with its comment, is the last thing in the file.
  const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(fileSize, 22 + 65535));
  std::vector<uint8_t> tail(tailSize);
  const uint64_t tailStart = fileSize - tailSize;
  if (readAt(tailStart, tail.data(), tailSize) != tailSize) return fail(ZipMsgDamaged, "the file can't be read");
  size_t end = tailSize;
  for (size_t i = tailSize - 22 + 1; i-- > 0;)
    if (U32(&tail[i]) == EndSignature && i + 22 + U16(&tail[i + 20]) <= tailSize) {
      end = i;
      break;
    }
  if (end == tailSize) return fail(ZipMsgDamaged, "no end of the directory");
  const uint8_t* e = &tail[end];
  const uint16_t disk = U16(e + 4), dirDisk = U16(e + 6);
  uint64_t count = U16(e + 10), dirSize = U32(e + 12), dirOffset = U32(e + 16);
  uint64_t endPos = tailStart + end;  // where the record after the directory starts
  if (count == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF) {
    // A ZIP64 end record, found through its locator just before.
    uint8_t locator[20];
    if (endPos >= 20 && readAt(endPos - 20, locator, 20) == 20 && U32(locator) == End64LocatorSignature) {
      const uint64_t at = U64(locator + 8);
      uint8_t rec[56];
      // Its stored place, or right before the locator when data lies in front.
      const uint64_t places[2] = {at, endPos >= 76 ? endPos - 76 : at};
      for (uint64_t place : places)
        if (readAt(place, rec, 56) == 56 && U32(rec) == End64Signature) {
          count = U64(rec + 32);
          dirSize = U64(rec + 40);
          dirOffset = U64(rec + 48);
          endPos = place;
          break;
        }
    }
  }
  if (disk != 0 || dirDisk != 0)
    return fail(ZipMsgHeaderShort, "a spanned archive: its other volumes are not at hand");
  if (dirSize > endPos) return fail(ZipMsgDamaged, "the directory is larger than the file");
  if (count > MaxListedEntries || count * 46 > dirSize + 46) return fail(ZipMsgDamaged, "too many entries");
  const uint64_t realPos = endPos - dirSize;
  dir.Shift = static_cast<int64_t>(realPos) - static_cast<int64_t>(dirOffset);
  // The directory is read in one piece and its entries taken from memory
  // (a read for each field of thousands of entries is what made large
  // archives slow); what lies outside it is read where it is.
  std::vector<uint8_t> image;
  if (dirSize <= MaxDirectoryImage) {
    image.resize(static_cast<size_t>(dirSize));
    if (readAt(realPos, image.data(), image.size()) != image.size()) image.clear();
  }
  const auto readDir = [&](uint64_t offset, void* buffer, size_t size) -> size_t {
    if (offset >= realPos && offset - realPos <= image.size() && size <= image.size() - (offset - realPos)) {
      if (size > 0) std::memcpy(buffer, image.data() + (offset - realPos), size);
      return size;
    }
    return readAt(offset, buffer, size);
  };
  uint64_t pos = realPos;
  dir.FirstLocalHeader = UINT64_MAX;
  for (uint64_t n = 0; n < count; ++n) {
    uint8_t h[46];
    if (readDir(pos, h, 46) != 46) return fail(ZipMsgHeaderShort, "entry " + std::to_string(n + 1));
    if (U32(h) != HeaderSignature) return fail(ZipMsgHeaderSignature, "entry " + std::to_string(n + 1));
    const uint16_t nameLength = U16(h + 28), extraLength = U16(h + 30), commentLength = U16(h + 32);
    std::string name(nameLength, '\0');
    if (readDir(pos + 46, name.data(), nameLength) != nameLength)
      return fail(ZipMsgNameShort, "entry " + std::to_string(n + 1));
    std::string extra(extraLength, '\0');
    const bool haveExtra = readDir(pos + 46 + nameLength, extra.data(), extraLength) == extraLength;
    std::string comment(commentLength, '\0');
    if (readDir(pos + 46 + nameLength + extraLength, comment.data(), commentLength) != commentLength)
      return fail(ZipMsgCommentShort, "entry " + std::to_string(n + 1));
    TZipDirEntry entry;
    entry.Header.assign(reinterpret_cast<const char*>(h + 4), 42);
    entry.VersionMadeBy = U16(h + 4);
    entry.HostSystem = static_cast<uint8_t>(entry.VersionMadeBy >> 8);
    entry.Flags = U16(h + 8);
    entry.Method = U16(h + 10);
    entry.ModTime = DosTime(U16(h + 12), U16(h + 14));
    entry.CRC32 = U32(h + 16);
    entry.CompressedSize = U32(h + 20);
    entry.UncompressedSize = U32(h + 24);
    entry.ExternalAttributes = U32(h + 38);
    uint64_t offset = U32(h + 42);
    entry.Encrypted = (entry.Flags & 1) != 0;
    // Sizes and the offset too large for their fields stand in the ZIP64
    // extra field, in that order.
    if (haveExtra)
      for (size_t x = 0; x + 4 <= extra.size();) {
        const auto* b = reinterpret_cast<const uint8_t*>(extra.data()) + x;
        const uint16_t id = U16(b), size = U16(b + 2);
        if (x + 4 + size > extra.size()) break;
        if (id == 0x0001) {
          size_t at = 4;
          const auto next = [&](uint64_t& field) {
            if (field == 0xFFFFFFFF && at + 8 <= size_t(4) + size) {
              field = U64(b + at);
              at += 8;
            }
          };
          next(entry.UncompressedSize);
          next(entry.CompressedSize);
          next(offset);
        }
        x += 4 + size;
      }
    entry.LocalHeaderOffset = static_cast<uint64_t>(static_cast<int64_t>(offset) + dir.Shift);
    dir.FirstLocalHeader = std::min(dir.FirstLocalHeader, entry.LocalHeaderOffset);
    entry.Name = ZipEntryNameText(name, entry.VersionMadeBy, entry.Flags, codePage);
    entry.Comment = ZipEntryNameText(comment, entry.VersionMadeBy, entry.Flags, codePage);
    dir.Entries.push_back(std::move(entry));
    pos += 46 + uint64_t(nameLength) + extraLength + commentLength;
  }
  if (dir.Entries.empty()) dir.FirstLocalHeader = 0;
  return dir;
}

std::string ZipMessageText(int id) {
  switch (id) {
    case ZipMsgNoArchive: return "The zip file was not found or has no name";
    case ZipMsgDamaged: return "The zip file is damaged or is not a zip file";
    case ZipMsgFrontData: return "The zip file has data in front of it; its offsets are taken as moved";
    case ZipMsgNothingToAdd: return "Nothing to add to the zip file";
    case ZipMsgNoPassword: return "Encrypting needs a password";
    case ZipMsgHeaderShort: return "The zip file's directory ends inside an entry's header";
    case ZipMsgHeaderSignature: return "The zip file's directory has an entry without its header signature";
    case ZipMsgNameShort: return "The zip file's directory ends inside an entry's name";
    case ZipMsgCommentShort: return "The zip file's directory ends inside an entry's comment";
    default: return ZipMissingTextNotice + std::to_string(id);
  }
}

void TZipMaster::ShowZipMessage(int id, const std::string& detail) {
  ErrorCode = id;
  LastMessage = ZipMessageText(id) + detail;
  if (!Unattended) HintMessageBox(LastMessage, MbOK | MbIconError);
  if (OnMessage) OnMessage(0, LastMessage);
}

void TZipMaster::SetZipFilename(const std::string& name) {
  FileName = name;
  List();
}

void TZipMaster::List() {
  DirEntries.clear();
  FrontShift = 0;
  if (IsFile(FileName)) {
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    TZipDirectory dir;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      dir.Error = ZipMsgDamaged;
      dir.Detail = std::strerror(errno);
    } else {
      dir = ReadZipDirectoryAt(static_cast<uint64_t>(st.st_size),
                               [fd](uint64_t offset, void* buffer, size_t size) -> size_t {
                                 size_t done = 0;
                                 while (done < size) {
                                   const ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, size - done,
                                                             static_cast<off_t>(offset + done));
                                   if (n < 0 && errno == EINTR) continue;
                                   if (n <= 0) break;
                                   done += static_cast<size_t>(n);
                                 }
                                 return done;
                               },
                               CodePage);
    }
    if (fd >= 0) ::close(fd);
    if (dir.Error != 0) {
      ErrorCode = dir.Error;
      LastMessage = ZipMessageText(dir.Error) + ":\r" + FileName + "\r" + dir.Detail;
      throw EZipMaster(dir.Error, LastMessage);
    }
    DirEntries = std::move(dir.Entries);
    FrontShift = dir.Shift;
    if (dir.Shift != 0) ShowZipMessage(ZipMsgFrontData, ":\r" + FileName);
  }
  if (OnDirUpdate) OnDirUpdate();
}

void TZipMaster::BeginCall() {
  Success = 0;
  ErrorCode = 0;
  LastMessage.clear();
  Cancelled = false;
  ArchiverErrors = 0;
  FirstArchiverError.clear();
  TotalSize = 0;
}

int TZipMaster::Callback(const TZipCallbackInfo& info) {
  switch (info.Action) {
    case ZipActionNewFile:
      if (OnProgress) OnProgress(ProgressNewFile, info.Text, info.Size);
      break;
    case ZipActionProgress:
      if (OnProgress) OnProgress(ProgressUpdate, {}, info.Size);
      break;
    case ZipActionEndOfBatch:
      if (OnProgress) OnProgress(ProgressEndOfBatch, {}, 0);
      break;
    case ZipActionMessage: {
      const std::string text = TrimRight(info.Text);
      LastMessage = text;
      if (info.ErrorCode != 0) {
        ErrorCode = info.ErrorCode;
        if (ArchiverErrors++ == 0) FirstArchiverError = text;
      }
      if (OnMessage) OnMessage(info.ErrorCode, text);
      break;
    }
    case ZipActionTotalFiles:
      if (OnProgress) OnProgress(ProgressTotalFiles, {}, info.Size);
      break;
    case ZipActionTotalSize:
      TotalSize = info.Size;
      if (OnProgress) OnProgress(ProgressTotalSize, {}, info.Size);
      break;
    default:
      break;
  }
  // The windows go on painting, at the pace of their frames: an archive of
  // thousands of small entries would spend its time there.
  if (ProcessMessages) {
    const auto now = std::chrono::steady_clock::now();
    if (now - LastWindowWork >= std::chrono::milliseconds(20) || info.Action == ZipActionEndOfBatch) {
      LastWindowWork = now;
      ProcessMessages();
    }
  }
  return Cancelled ? -1 : 0;
}

void TZipMaster::ReportArchiverErrors() {
  if (Unattended || ArchiverErrors == 0) return;
  std::string text = "Error|" + FirstArchiverError;
  if (ArchiverErrors > 1) text += "\r(and " + std::to_string(ArchiverErrors - 1) + " more)";
  HintMessageBox(text, MbOK | MbIconError);
}

void TZipMaster::Add() {
  if (Adding || Extracting) return;
  BeginCall();
  if (FSpecArgs.empty()) {
    ShowZipMessage(ZipMsgNothingToAdd);
    return;
  }
  if (FileName.empty()) {
    ShowZipMessage(ZipMsgNoArchive);
    return;
  }
  if (Unattended && (AddOptions & AddEncrypt) && Password.empty()) {
    ShowZipMessage(ZipMsgNoPassword);
    return;
  }
  Adding = true;
  TZipAddRecord rec;
  rec.Callback = [this](const TZipCallbackInfo& info) { return Callback(info); };
  rec.Verbose = Verbose || Trace;
  rec.Password = Password;
  rec.Encrypt = (AddOptions & AddEncrypt) != 0;
  rec.HiddenFiles = (AddOptions & AddHiddenFiles) != 0;
  rec.CompLevel = AddCompLevel;
  rec.DirNames = (AddOptions & AddDirNames) != 0;
  rec.RecurseDirs = (AddOptions & AddRecurseDirs) != 0;
  rec.Move = (AddOptions & AddMove) != 0;
  rec.Update = (AddOptions & AddUpdate) != 0;
  rec.Freshen = (AddOptions & AddFreshen) != 0 && !rec.Update;
  rec.ZipTime = (AddOptions & AddZipTime) != 0;
  rec.ForceDOS = (AddOptions & AddForceDOS) != 0;
  rec.DirEntries = (AddOptions & AddSeparateDirs) == 0;
  rec.MoveToTrash = HowToDelete == htdAllowUndo;
  rec.TempDir = TempDir;
  rec.FileSpecs = FSpecArgs;
  rec.ArchiveName = FileName;
  Success = ZipAddExec(rec);
  FSpecArgs.clear();
  Adding = false;
  ReportArchiverErrors();
  // A directory that can't be read again reaches the caller as EZipMaster.
  if (Success > 0) List();
}

void TZipMaster::Extract() {
  if (Adding || Extracting) return;
  BeginCall();
  if (!IsFile(FileName)) {
    ShowZipMessage(ZipMsgNoArchive, FileName.empty() ? std::string() : ":\r" + FileName);
    return;
  }
  Extracting = true;
  TZipExtractRecord rec;
  rec.Callback = [this](const TZipCallbackInfo& info) { return Callback(info); };
  rec.Verbose = Verbose || Trace;
  rec.Password = Password;
  rec.Test = (ExtrOptions & ExtrTest) != 0;
  rec.Update = (ExtrOptions & ExtrUpdate) != 0;
  rec.Freshen = (ExtrOptions & ExtrFreshen) != 0 && !rec.Update;
  rec.DirNames = (ExtrOptions & ExtrDirNames) != 0;
  rec.OverWrite = (ExtrOptions & ExtrOverWrite) != 0;
  rec.FileSpecs = FSpecArgs;
  rec.ArchiveName = FileName;
  // The archiver reads the archive from where the directory says it begins.
  rec.ArchiveStart = FrontShift > 0 ? static_cast<uint64_t>(FrontShift) : 0;
  rec.BaseDir = IsFolder(ExtrBaseDir) ? ExtrBaseDir : std::string(".");
  rec.MaxEntrySize = MaxExtractEntrySize;
  rec.MaxTotalSize = MaxExtractTotalSize;
  rec.SyncFiles = ExtrSyncFiles;
  Success = ZipExtractExec(rec);
  FSpecArgs.clear();
  Extracting = false;
  ReportArchiverErrors();
}

}  // namespace vs
