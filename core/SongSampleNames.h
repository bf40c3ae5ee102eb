#pragma once
// The sample names a written song stores. A song file holds its texts in
// Windows-1252, and the program's temporary folder (where packages are
// unpacked) goes at exit: a song saved elsewhere never names a file in it,
// and never a name its text can't hold. Such samples are copied beside the
// saved song under a name the file can hold, and the song names the copies.
// A package stores each sample file under a bare name of its own, free
// within the package, and the song in it names them so.

#include <functional>
#include <string>
#include <vector>

#include "files/ZipSong.h"

namespace vs {

class TSong;

// The name with every character that Windows-1252 lacks turned into "_".
std::string HoldableFileName(const std::string& name);
// wanted, else wanted with "-2", "-3"... before its extension: the first that
// taken refuses.
std::string FreeFileName(const std::string& wanted, const std::function<bool(const std::string&)>& taken);

struct TSampleCopy {
  std::string Source;  // the sample file the channels name now
  std::string Copy;    // its copy beside the song
  bool Made = false;   // written by this save (an identical file was there otherwise)
};

struct TSongSampleNames {
  // Per channel, the sample name the song file stores.
  std::vector<std::string> Stored;
  std::vector<TSampleCopy> Copies;
  // The first sample that could not be copied, and where it was to go.
  std::string FailedSource;
  std::string FailedCopy;
  bool Failed() const { return !FailedSource.empty(); }
};

// The names a song saved as songFile stores, after copying beside it each
// sample that lies in tempFolder (unless the song goes there too) or whose
// name the file can't hold. A copy never replaces a file; a file of the
// same bytes already there is taken as the copy. After a failure the copies
// made so far are removed again.
TSongSampleNames CopySamplesBesideSong(const TSong& song, const std::string& songFile,
                                       const std::string& tempFolder);
// Removes the copies this save made (the song could not be written).
void RemoveMadeCopies(const TSongSampleNames& names);
// The info bar's text about the copies; empty when there are none.
std::string CopiedSamplesInfo(const TSongSampleNames& names);

// What a package of the song holds: the song under a name taken from the
// package's, each sample file once under a free bare name, and per channel
// the name the packed song stores.
struct TPackagePlan {
  std::string SongName;
  std::vector<TPackedFile> Files;
  std::vector<std::string> Stored;
};
TPackagePlan PlanSongPackage(const TSong& song, const std::string& package);

}  // namespace vs
