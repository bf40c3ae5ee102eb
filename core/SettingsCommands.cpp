#include "core/SettingsCommands.h"

#include <algorithm>
#include <cstdio>

#include "core/MasterClock.h"
#include "core/PatternCommands.h"
#include "core/SoundDevices.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "model/MixerLock.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

// Rounded to the nearest millisecond: the frames a slider's milliseconds
// were turned into (truncating) give those milliseconds back.
int SliderMs(int64_t frames) { return int(std::clamp<int64_t>((frames * 10 + 220) / 441, 0, MaxBufferSliderMs)); }

}  // namespace

TBufferSliders BufferSlidersNow() {
  TBufferSliders s;
  s.BufferMs = SliderMs(BlockFrames());
  s.AheadMs = SliderMs(AudioOutput().LatencyOffset.load() / 4);
  s.LeastMs = int(std::min<int64_t>((int64_t(LeastAheadFrames()) * 10 + 440) / 441, MaxBufferSliderMs));
  return s;
}

TBufferSliders BufferLengthMoved(TBufferSliders sliders, int bufferMs) {
  sliders.BufferMs = std::clamp(bufferMs, sliders.LeastMs, MaxBufferSliderMs);
  sliders.AheadMs = std::clamp(sliders.AheadMs, sliders.LeastMs, sliders.BufferMs);
  return sliders;
}

TBufferSliders AheadMoved(TBufferSliders sliders, int aheadMs) {
  sliders.AheadMs = std::clamp(aheadMs, sliders.LeastMs, MaxBufferSliderMs);
  if (sliders.AheadMs > sliders.BufferMs) sliders.BufferMs = sliders.AheadMs;
  return sliders;
}

void ApplyBufferSliders(const TBufferSliders& sliders, TPreferences& prefs) {
  const int32_t block = int32_t(std::clamp<int64_t>(MsToFrames(sliders.BufferMs), MinBufferFrames, MaxBufferFrames));
  // The master clock counts from the play position the new buffers move:
  // playback stops first.
  if (MasterClockRunning()) StopPlaying();
  SetMixLatency(block);
  SetLatencyOffset(MsToFrames(sliders.AheadMs) * 4);
  prefs.BufferLength = BlockFrames();
  prefs.AheadLength = std::clamp<int32_t>(AudioOutput().LatencyOffset.load() / 4, MinBufferFrames, prefs.BufferLength);
}

void ChangePatternLength(TSong& song, int length, int stepsPerBlock) {
  length = std::clamp(length, 8, MaxSteps);
  stepsPerBlock = std::clamp(stepsPerBlock, 1, MaxSteps);
  const bool changed = length != song.PatternLength() || stepsPerBlock != song.StepsPerBlock;
  {
    MixerGuard lock;
    song.SetStepsPerBlock(stepsPerBlock);
    SetPatternLength(song, length);
  }
  if (changed) song.SetModified();
}

void ChangeSongEcho(TSong& song, TEchoSetting setting, int value) {
  TEchoLine& echo = EchoLine();
  switch (setting) {
    case EchoFeedback:
      song.Echo.Feedback = std::clamp(value, 0, 127);
      echo.Feedback.store(song.Echo.Feedback);
      break;
    case EchoPan:
      song.Echo.Pan = std::clamp(value, 0, 128);
      echo.Pan.store(song.Echo.Pan);
      break;
    case EchoVolume:
      song.Echo.Volume = std::clamp(value, 0, 128);
      echo.Volume.store(song.Echo.Volume);
      break;
    case EchoTime:
      song.Echo.Time = std::clamp(value, 0, 256);
      echo.Time.store(song.Echo.Time);
      UpdateEchoDelay();
      break;
  }
  song.NotifyValue(TSongValue::Echo);
  song.SetModified();
}

void ApplySongEcho(const TSong& song) {
  EchoLine().Apply(song.Echo);
  UpdateEchoDelay();
}

std::string EchoDelayNotes(int position) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", position / 16.0);
  return text;
}

TCommandResult ChooseMidiDevice(TProgram& program, TMidiList list, int selection) {
  TMidiDeviceLists& lists = program.MidiLists;
  std::vector<std::string>& items =
      list == TMidiList::Input ? lists.Input : list == TMidiList::Output ? lists.Output : lists.SyncOutput;
  int& index = list == TMidiList::Input ? lists.InputIndex
               : list == TMidiList::Output ? lists.OutputIndex
                                           : lists.SyncOutputIndex;
  if (selection < 0 || selection >= int(items.size())) return TCommandResult::Done();
  index = selection;
  StoreMidiSelections(lists, program.Prefs);
  SetTransportDeviceLists(lists);
  TTransportHost& host = TransportHost();
  switch (list) {
    case TMidiList::Input:
      if (Sync().Mode.load() != SyncSlave) return TCommandResult::Done();
      host.CloseMidiInput();
      return host.OpenMidiInput();
    case TMidiList::Output:
      if (!MixSettings().UseMIDI.load()) return TCommandResult::Done();
      host.CloseMidiOutput();
      return host.OpenMidiOutput();
    case TMidiList::SyncOutput:
      if (Sync().Mode.load() != SyncMaster) return TCommandResult::Done();
      if (Mixer().Playing.load()) StartButtonClick(false);
      host.CloseSyncOutput();
      return host.OpenSyncOutput();
  }
  return TCommandResult::Done();
}

TCommandResult RelistMidiDevices(TProgram& program) {
  // A program that opens no devices lists none.
  if (program.MidiLists.Input.empty()) return TCommandResult::Done();
  const TMidiDeviceLists before = program.MidiLists;
  program.MidiLists = ListMidiDevices(program.Prefs);
  SetTransportDeviceLists(program.MidiLists);
  const auto chosen = [](const std::vector<std::string>& list, int index) {
    return index >= 0 && index < int(list.size()) ? list[size_t(index)] : std::string();
  };
  const TMidiDeviceLists& now = program.MidiLists;
  const struct {
    TMidiList Which;
    const std::string& Stored;
    std::string Was, Is;
    int Index;
  } lists[] = {
      {TMidiList::Input, program.Prefs.InputDeviceName, chosen(before.Input, before.InputIndex),
       chosen(now.Input, now.InputIndex), now.InputIndex},
      {TMidiList::Output, program.Prefs.OutputDeviceName, chosen(before.Output, before.OutputIndex),
       chosen(now.Output, now.OutputIndex), now.OutputIndex},
      {TMidiList::SyncOutput, program.Prefs.SyncOutputDeviceName,
       chosen(before.SyncOutput, before.SyncOutputIndex), chosen(now.SyncOutput, now.SyncOutputIndex),
       now.SyncOutputIndex}};
  TCommandResult result;
  for (const auto& l : lists)
    if (!l.Stored.empty() && l.Is == l.Stored && l.Was != l.Stored) result.Add(ChooseMidiDevice(program, l.Which, l.Index));
  return result;
}

bool NoOutputChosen(const TPreferences& prefs) {
  auto none = [](const std::string& name) { return name.empty() || name == SoundDeviceNoneEntry; };
  return none(prefs.DSDriverName) && none(prefs.OutputDeviceName);
}

std::string CPUUsageText(int usage, bool fast, int voices) {
  std::string text = usage < 0 ? std::string("--%") : IntToStrZeroPad(usage, 2) + "%";
  if (fast) text += " (" + std::to_string(voices) + " samples)";
  return text;
}

}  // namespace vs
