#pragma once
// The data the program ships, all made here: the folders under AppPath, the
// default style's "config.txt", the sounds of the default drum kit and the
// kit's song "Samples/DrumKits/Basic/Basic.zmp".

#include <memory>
#include <string>

namespace vs {
class TSong;
}

namespace vs::datagen {

// Folder of the kit below the samples folder, and its song's file name.
inline constexpr const char* BasicKitFolder = "DrumKits/Basic/";
inline constexpr const char* BasicKitSongName = "Basic.zmp";
inline constexpr int BasicKitTempo = 124;

// The default song: one channel per sound of the kit, named after it, each
// naming its sample as "\DrumKits\Basic\<file>"; patterns 1 (the beat),
// 2 (a fill) and 3 (the beat with a crash), played 3, 1, 1, 2 by the
// playlist; pattern mode, pattern 1 current, 16 steps. The samples are not
// loaded into the channels.
std::unique_ptr<TSong> MakeBasicKitSong();

// Writes everything under appPath (created when missing; existing files
// are replaced). False with a message in error on the first failure.
bool WriteProgramData(const std::string& appPath, std::string& error);

}  // namespace vs::datagen
