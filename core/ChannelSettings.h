#pragma once
// What the channel settings window does to a channel, without the window:
// the table of its value controls (the channel field each one writes, its
// range and default, whether the change rebuilds the playable sample), the synthesizer page's slots, the rebuild of a
// channel's sample, the recent-samples list, note names and the info bar's
// texts, the MIDI messages of a channel's patch and controllers, and the
// files the window writes (a modified sample's name, the ".404" presets).
//
// Every setter here marks the song modified when it changes song data and
// tells the song's listeners (ChannelChanged) so that other views follow.

#include <cstdint>
#include <string>
#include <vector>

#include "model/Song.h"
#include "toolbox/SafeFile.h"

namespace vs {

// Set while the window fills its controls from a channel: the change
// handlers then rebuild nothing.
extern bool ChannelFormUpdating;

// ------------------------------------------------------------- value table

// What the info bar shows while a control turns.
enum class TSettingInfo {
  None,
  Percent,         // value x 100 div max, "%"
  CentredPercent,  // (value - max/2) as a percentage of max/2
  PercentOf128,    // value x 100 div 128
  Pan,             // left / right / centred
  Semitones,       // (value - 120) / 10
};

struct TChannelValueSpec {
  const char* Name;  // the control's object name
  const char* Hint;  // its hint (English)
  int32_t Min, Max, Default;
  int32_t TChannel::*Field;
  bool Rebuild;  // the playable sample is rebuilt after the change
  TSettingInfo Info;
};

// The wheels of the SAMPLE and DELAY pages, in page order.
const std::vector<TChannelValueSpec>& ChannelValueSpecs();
const TChannelValueSpec* FindChannelValueSpec(const std::string& name);

struct TChannelFlagSpec {
  const char* Name;
  bool TChannel::*Field;
  bool Rebuild;  // else the song is only marked modified
};
// The tick boxes that write a channel flag (ReverseSampleBox, ReverseBox,
// FadeBox, PitchableBox, ShuffleBox).
const std::vector<TChannelFlagSpec>& ChannelFlagSpecs();

// Writes a value control's field (clamped to its range; single writes the
// mixer may read at any time), then rebuilds the sample or marks the song
// modified.
void SetChannelValue(TSong& song, int index, const TChannelValueSpec& spec, int value);
void SetChannelFlag(TSong& song, int index, const TChannelFlagSpec& spec, bool value);

// --------------------------------------------------------- info bar texts

std::string PercentInfo(int value, int max);
std::string CentredPercentInfo(int value, int max);
// p := (2 x value - max) x 100 div max: 0 gives centred, else |p| + "% " +
// right (p > 0) or left.
std::string PanInfo(int value, int max, const std::string& left, const std::string& right,
                    const std::string& centred);
// value / divisor in fixed notation with the given decimals ("0.19").
std::string FixedInfo(int value, int divisor, int decimals);
// value / divisor as the shortest decimal ("1.5", "-2", "0.3").
std::string DecimalInfo(int value, int divisor);
// The info text of a value control's kind (none for TSettingInfo::None).
std::string ValueInfo(TSettingInfo kind, int value, int max, const std::string& left,
                      const std::string& right, const std::string& centred);

// A note's name: "C" "C#" ... "B" for note mod 12, then the octave note div
// 12 ("C5" for 60).
std::string NoteName(int note);

// ------------------------------------------------------- sample rebuilding

// The channel's file read again into its sample with the channel's sample
// options; the song is modified. Nothing while ChannelFormUpdating is set.
void RebuildChannelSample(TSong& song, int index);
// "Reload sample": the file is read from disk again (the preview's copy is
// not used) and loaded into the channel.
void ReloadChannelSample(TSong& song, int index);

// ------------------------------------------------------ the other controls

// Under MixerLock: the mixer bus of the channel's voices (0..3).
void SetChannelEffectTrack(TSong& song, int index, int track);
// Under MixerLock: the steps the sample is stretched to (0..512).
void SetChannelStretch(TSong& song, int index, int steps);
// The stretch menu's items: none, 4 dots, 8 dots, 1, 2, 4, 8 patterns.
constexpr int StretchMenuItems = 7;
int StretchMenuSteps(int item, int patternLength);
// Under MixerLock: the sample's cut group (which = 0) or cut-by group (1),
// 0..99.
void SetChannelCutGroup(TSong& song, int index, int which, int group);
// Under MixerLock: the voices of the sample stop and its loop flag follows;
// ticked, the channel also gets a cut group of its own (both groups := the
// first free one), which is returned (0 otherwise).
int SetChannelLooped(TSong& song, int index, bool looped);
// The sample's ping-pong mark; the sample is rebuilt.
void SetChannelPingPong(TSong& song, int index, bool pingPong);
// Under MixerLock: the channel whose voices take a step's Mix share.
void SetChannelMixTarget(TSong& song, int index, int target);
// Under MixerLock: the random-choice list := the channel itself, then every
// chosen channel but itself (in the order given).
void SetChannelRandomChoice(TSong& song, int index, const std::vector<int>& chosen);
// Echo count clamped to 1..9, under MixerLock.
void SetChannelEchoCount(TSong& song, int index, int count);

// The MIDI fields (-1 = none, stored as 255). A note outside -1..127 is not
// stored, yet the song counts as modified (what was typed changed it).
void SetChannelMidiChannel(TSong& song, int index, int midiChannel);
void SetChannelMidiNote(TSong& song, int index, int note);
// Program (which = 0) or bank (1); the patch is sent.
void SetChannelPatch(TSong& song, int index, int which, int value, int bankSelectMethod);
// A controller's start value (-1 = unset), sent when set.
void SetChannelControllerStart(TSong& song, int index, int controller, int value);
// The stored value of a controller as the window shows it (-1 unset).
int ChannelControllerStart(const TChannel& channel, int controller);

// The channel's sample played at a key: at the mix position, with the
// channel's pan, pitched by (key - root key) x 100 cents, gain velocity (a
// preview voice: it ends earlier previews). Nothing for an empty sample.
void PreviewChannelKey(const TChannel& channel, int key, int velocity);

// The key of the pitch page's tab: the root key (renderTab false) or the
// synthesizer preset's render key. True when it changed (the song is then
// modified).
bool SetChannelKey(TSong& song, int index, bool renderTab, int key);

// On the main MIDI output, on the channel's MIDI channel: a set bank (with
// bank-select method 0: controller 0 := bank; 1: controller 0 := 0, then
// controller 32 := bank), a set program, and controller 10 := pan when the
// pan is off centre.
void SendChannelPatch(const TChannel& channel, int bankSelectMethod);
// Every controller start value that is set, as control changes.
void SendChannelControllers(const TChannel& channel);
void SendChannelController(const TChannel& channel, int controller, int value);

// ------------------------------------------------------------ recent files

// The recent-samples list: full file names, newest first, ending with one
// empty entry that stands for "(none)"; at most RecentSampleEntries entries.
constexpr int RecentSampleEntries = 6;
class TRecentSamples {
public:
  const std::vector<std::string>& Files() const { return List; }
  // A name not in the list goes to the top (the oldest file drops out when
  // the list would pass its size); a listed one stays where it is. Returns
  // the entry's index.
  int Add(const std::string& file);

private:
  std::vector<std::string> List{std::string()};
};

// ------------------------------------------------------------------ files

// The name offered for a modified sample: the file without its extension +
// "_" + n + ".wav", n the first number from 2 on whose file does not exist.
std::string ModifiedSampleName(const std::string& resolvedFile);

// The synthesizer presets' folder (samples folder + "MB404 Presets/"),
// created when missing; empty when it can't be made.
std::string MB404PresetFolder();
// Writes slots 3..37 of the record: exactly 140 bytes, each a signed 32-bit
// little-endian value, through the safe writer.
TWriteResult WriteMB404Preset(const MB404Params& params, const std::string& fileName);

// ---------------------------------------------------- the synthesizer page

enum class TSynthControl { Wheel, Selector, Toggle };
struct TSynthSlotSpec {
  int Slot;          // 3..37 (the control's tag)
  const char* Name;  // object name
  const char* Hint;
  TSynthControl Kind;
  int32_t Min, Max, Default;  // selectors: 0 .. cells - 1
};
// The page's controls in slot order (slots 10 and 25..28 have none).
const std::vector<TSynthSlotSpec>& SynthSlotSpecs();
// The info bar's text for a synthesizer wheel at value, named by caption
// (its hint): a pitch wheel (coarse, fine) as its value, "-5 Osc 1 coarse";
// any other as a percentage of its maximum, "50% Osc mix".
std::string SynthWheelInfo(const TSynthSlotSpec& spec, int value, const std::string& caption);
// What a control shows for its slot (the resonance wheel shows 128 - slot).
int SynthControlValue(const MB404Params& params, const TSynthSlotSpec& spec);
// Under MixerLock the slot := the control's value (resonance: 128 - value;
// the sync toggle: 1 down, 0 up); the song is modified.
void SetSynthControl(TSong& song, int index, const TSynthSlotSpec& spec, int value);

}  // namespace vs
