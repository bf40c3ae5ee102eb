#pragma once
// One VST 2 effect plug-in: the effect record and the calls the host makes,
// declared here with native pointer sizes; the plug-in object that loads a
// plug-in library (a ".so" file), talks to it through its dispatcher and
// keeps its program names and its parameter controls; and the host callback
// every plug-in gets.
//
// Threads: loading and unloading happen with the output suspended; parameter,
// program, bypass and block-size changes take MixerLock; editors open, close
// and idle on the main thread. The host callback may come from any thread:
// it only moves a parameter wheel and tells the windows through the engine
// listener.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedLibrary.h"

namespace vs {

// --- The plug-in interface ---

// a shl 24 or b shl 16 or c shl 8 or d (first character in the high byte).
constexpr int32_t PackFourChars(char a, char b, char c, char d) {
  return static_cast<int32_t>((uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
                              (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d)));
}

constexpr int32_t VSTEffectMagic = PackFourChars('V', 's', 't', 'P');
constexpr int32_t VSTHostID = PackFourChars('N', 'v', 'E', 'f');

struct TVSTEffect;

using TVSTHostCallback = intptr_t (*)(TVSTEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                      void* ptr, float opt);
using TVSTDispatcher = intptr_t (*)(TVSTEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt);
using TVSTProcess = void (*)(TVSTEffect* effect, float** inputs, float** outputs, int32_t frames);
using TVSTSetParameter = void (*)(TVSTEffect* effect, int32_t index, float value);
using TVSTGetParameter = float (*)(TVSTEffect* effect, int32_t index);
// The plug-in library's entry point ("main", else "VSTPluginMain").
using TVSTEntry = TVSTEffect* (*)(TVSTHostCallback host);

// The effect record a plug-in hands back from its entry point. It belongs to
// the plug-in: the host only reads it.
struct TVSTEffect {
  int32_t Magic;  // VSTEffectMagic
  TVSTDispatcher Dispatcher;
  TVSTProcess Process;  // adds into the outputs
  TVSTSetParameter SetParameter;
  TVSTGetParameter GetParameter;
  int32_t NumPrograms;
  int32_t NumParams;
  int32_t NumInputs;
  int32_t NumOutputs;
  int32_t Flags;  // VSTFlagHasEditor, VSTFlagCanReplace
  intptr_t Reserved1;
  intptr_t Reserved2;
  int32_t InitialDelay;
  int32_t RealQualities;
  int32_t OffQualities;
  float IORatio;
  void* Object;
  void* User;
  int32_t UniqueID;
  int32_t Version;
  TVSTProcess ProcessReplacing;  // replaces the outputs
  // The plug-in's own fields follow.
};
static_assert(sizeof(void*) != 4 || offsetof(TVSTEffect, ProcessReplacing) == 80,
              "the record's 32-bit layout puts ProcessReplacing at byte 80");

constexpr int32_t VSTFlagHasEditor = 1 << 0;
constexpr int32_t VSTFlagCanReplace = 1 << 4;

// Dispatcher operations.
enum TVSTOpcode : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
};

// Host callback operations.
enum TVSTHostOpcode : int32_t {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterPinConnected = 4,
};

// The rectangle effEditGetRect points to.
struct TVSTRect {
  int16_t Top, Left, Bottom, Right;
};

// Channels a plug-in may have on either side. Channels beyond the first two
// get silence in and their output is dropped.
constexpr int32_t MaxPluginChannels = 8;
// More parameters or programs than this make a record unusable.
constexpr int32_t MaxPluginParams = 10000;
constexpr int32_t MaxPluginPrograms = 10000;
// Names, units and displays keep at most this many bytes.
constexpr size_t PluginTextLength = 24;
constexpr double PluginSampleRate = 44100.0;
constexpr int32_t ParamWheelMax = 65536;

// The host function handed to every plug-in's entry point.
intptr_t HostCallback(TVSTEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

// --- Editor windows ---

// The tool window that hosts a plug-in's own editor; made by the window
// side. Destroying it closes the window.
class TPluginEditorWindow {
public:
  virtual ~TPluginEditorWindow() = default;
  // What effEditOpen gets (the native window).
  virtual void* NativeHandle() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  // The window's present screen position.
  virtual void Position(int& left, int& top) const = 0;
};

class TPluginEditorFactory {
public:
  virtual ~TPluginEditorFactory() = default;
  // Null when no window can be made.
  virtual std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() = 0;
};

// The window side installs its factory; without one editors do not open.
void SetPluginEditorFactory(TPluginEditorFactory* factory);

// --- The plug-in object ---

// One parameter's control: a wheel 0..65536 and the labels for its name, its
// value display and its unit, placed on the strip's parameter panel.
class TPlugParamControl {
public:
  int Index = 0;
  int Left = 0, Top = 0;  // the name label; the wheel sits 15 pixels lower
  std::string Name;       // effGetParamName
  std::string Unit;       // effGetParamLabel
  std::string Display;    // effGetParamDisplay (main thread)
  std::atomic<int32_t> Wheel{0};  // 0..65536; moved by automation from any thread
};

enum class TPluginLoadResult {
  Loaded,
  NoLibrary,  // the file is missing or does not load
  NoEntry,    // neither "main" nor "VSTPluginMain"
  NoEffect,   // the entry point returned no record
  BadEffect,  // wrong magic, impossible channel or parameter counts, missing routines
};

class TVSTPlugin {
public:
  TVSTPlugin();
  ~TVSTPlugin();
  TVSTPlugin(const TVSTPlugin&) = delete;
  TVSTPlugin& operator=(const TVSTPlugin&) = delete;

  TVSTEffect* Effect = nullptr;  // null = none
  std::unique_ptr<TPluginEditorWindow> EditorForm;  // null = closed
  int EditorX = 4, EditorY = 4;
  std::string Name = "(none)";
  std::vector<std::string> ProgramNames;
  std::vector<std::unique_ptr<TPlugParamControl>> ParamControls;
  std::atomic<bool> Active{false};
  // The slot (track x 4 + slot) named in automation posts; -1 none.
  int SlotNumber = -1;

  bool Loaded() const { return Effect != nullptr; }
  // Loads the library at path, calls its entry point, checks the record and
  // opens it: effOpen, effSetSampleRate 44100, effSetBlockSize blockFrames,
  // effMainsChanged 1; active. A refused record is never called.
  TPluginLoadResult Load(const std::string& path, int32_t blockFrames);
  // Switched off, editor closed, effClose, library freed, controls freed,
  // name "(none)".
  void Unload();
  void SetActive(bool on);
  // When active: off, then on again.
  void Reset();
  void SetBlockSize(int32_t frames);
  // When the plug-in has an editor and none is open (and the window side
  // can make one): effEditOpen on a new window, sized by effEditGetRect,
  // placed at EditorX, EditorY and shown.
  void OpenEditor(const std::string& caption);
  void CloseEditor();
  // effSetProgram and effGetProgramName for every program, then program 0.
  void ReadProgramNames(std::vector<std::string>& list);
  // One control per parameter laid out on a panel of that client width;
  // then RefreshParams.
  void BuildParamControls(int panelWidth);
  // A wheel moved by the user: under MixerLock the parameter := wheel /
  // 65536; then its display.
  void ParamWheelChange(int control, int32_t wheel);
  // Every wheel from the plug-in's values, and its display.
  void RefreshParams();
  void UpdateParamDisplay(TPlugParamControl& control);

  int32_t NumParams() const { return Effect ? Effect->NumParams : 0; }
  float GetParameter(int32_t index) const;
  // Values outside 0..1 are clamped; NaN is ignored.
  void SetParameter(int32_t index, float value);
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) const;
  // A text call (names, units, displays) into a zeroed buffer larger than
  // any plug-in should need; at most PluginTextLength bytes are kept.
  std::string DispatchText(int32_t opcode, int32_t index) const;

private:
  TSharedLibrary Library;
};

// Wheel position for a parameter value: nearest integer to value x 65536,
// within 0..65536 (NaN: 0).
int32_t ParamToWheel(float value);

// Lets every open editor idle (effEditIdle); the main window's idle handler.
void IdleEditors();
// True while a plug-in's editor is open.
bool EditorsOpen();

}  // namespace vs
