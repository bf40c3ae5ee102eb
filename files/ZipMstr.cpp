#include "files/ZipMstr.h"

#include <sys/stat.h>

#include "toolbox/AllTools.h"
#include "toolbox/MessageBox.h"

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

std::string ZipMessageText(int id) {
  switch (id) {
    case ZipMsgNoArchive: return "The zip file was not found or has no name";
    case ZipMsgDamaged: return "The zip file is damaged or is not a zip file";
    case ZipMsgNothingToAdd: return "Nothing to add to the zip file";
    case ZipMsgNoPassword: return "Encrypting needs a password";
    default: return ZipMissingTextNotice + std::to_string(id);
  }
}

void TZipMaster::ShowZipMessage(int id, const std::string& detail) {
  ErrorCode = id;
  LastMessage = ZipMessageText(id) + detail;
  if (!Unattended) HintMessageBox(LastMessage, MbOK | MbIconError);
  if (OnMessage) OnMessage(0, LastMessage);
}

bool TZipMaster::SetZipFilename(const std::string& name) {
  FileName = name;
  return List();
}

bool TZipMaster::List() {
  DirEntries.clear();
  if (IsFile(FileName)) {
    std::string why;
    if (ZipReadDirectory(FileName, DirEntries, why) != ZipErrNone) {
      ErrorCode = ZipMsgDamaged;
      LastMessage = ZipMessageText(ZipMsgDamaged) + ":\r" + FileName + "\r" + why;
      return false;
    }
  }
  if (OnDirUpdate) OnDirUpdate();
  return true;
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
  rec.FileSpecs = FSpecArgs;
  rec.ArchiveName = FileName;
  Success = ZipAddExec(rec);
  FSpecArgs.clear();
  Adding = false;
  ReportArchiverErrors();
  if (Success > 0 && !List()) ShowZipMessage(ZipMsgDamaged);
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
  rec.BaseDir = IsFolder(ExtrBaseDir) ? ExtrBaseDir : std::string(".");
  rec.MaxEntrySize = MaxExtractEntrySize;
  rec.MaxTotalSize = MaxExtractTotalSize;
  Success = ZipExtractExec(rec);
  FSpecArgs.clear();
  Extracting = false;
  ReportArchiverErrors();
}

}  // namespace vs
