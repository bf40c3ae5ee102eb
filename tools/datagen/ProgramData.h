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

// The kit's channels in order (as MakeKitSong makes them).
enum TKitChannel { Kick, Snare, Clap, ClosedHat, OpenHat, Tom, Rim, Crash, KitSize };
// A song of the kit's channels, named, coloured and naming their samples,
// the hats in their cut group, and no step on: 16 steps, pattern 1.
std::unique_ptr<TSong> MakeKitSong();
// Switches a step of a kit channel on at a volume (and a pitch, 120 the
// sample's own).
void KitHit(TSong& song, int channel, int pattern, int step, int volume, int pitch = 120);

// The texts and tutorial pages (ProgramTexts.cpp): under "Texts/" the tips
// "Tips.txt", the products text "InfoTxt.rtf" and the help "HelpTxt.rtf",
// each also in French and Dutch ("Tips_1.txt", "Tips_2.txt", ...), and the
// credits "AboutTxt.rtf"; under "Loops/Tutorial/" the pages' songs
// "Tut_<p>.zmp" and their texts "Texts_<language>/Tut_<p>.rtf" in English,
// French and Dutch.
bool WriteProgramTexts(const std::string& root, std::string& error);

// Writes everything under appPath (created when missing; existing files
// are replaced). False with a message in error on the first failure.
bool WriteProgramData(const std::string& appPath, std::string& error);

}  // namespace vs::datagen
