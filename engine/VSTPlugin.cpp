#include "engine/VSTPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

// The loaded plug-in objects, so that the host callback finds the object of
// an effect record. The lock also guards the structure of each object's
// control list, which the callback reads from any thread.
std::mutex RegistryLock;
std::vector<TVSTPlugin*> Registry;

TPluginEditorFactory* EditorFactory = nullptr;
// Plug-ins whose editor is open (main thread).
std::vector<TVSTPlugin*> OpenEditors;

void Register(TVSTPlugin* plugin) {
  std::lock_guard<std::mutex> lock(RegistryLock);
  if (std::find(Registry.begin(), Registry.end(), plugin) == Registry.end()) Registry.push_back(plugin);
}

void Unregister(TVSTPlugin* plugin) {
  std::lock_guard<std::mutex> lock(RegistryLock);
  Registry.erase(std::remove(Registry.begin(), Registry.end(), plugin), Registry.end());
}

// A record the host can call safely: the magic, a dispatcher, up to
// MaxPluginChannels channels on either side (none on a side is a side the
// host feeds silence or leaves unread), sane counts, and the routines the
// host will call.
bool UsableEffect(const TVSTEffect& e) {
  if (e.Magic != VSTEffectMagic || !e.Dispatcher) return false;
  if (e.NumInputs < 0 || e.NumInputs > MaxPluginChannels) return false;
  if (e.NumOutputs < 0 || e.NumOutputs > MaxPluginChannels) return false;
  if (e.NumParams < 0 || e.NumParams > MaxPluginParams) return false;
  if (e.NumPrograms < 0 || e.NumPrograms > MaxPluginPrograms) return false;
  if ((e.Flags & VSTFlagCanReplace) ? !e.ProcessReplacing : !e.Process) return false;
  if (e.NumParams > 0 && (!e.SetParameter || !e.GetParameter)) return false;
  return true;
}

}  // namespace

int32_t ParamToWheel(float value) {
  if (std::isnan(value)) return 0;
  const double w = std::nearbyint(double(value) * ParamWheelMax);
  return static_cast<int32_t>(std::clamp(w, 0.0, double(ParamWheelMax)));
}

intptr_t HostCallback(TVSTEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  (void)value;
  (void)ptr;
  switch (opcode) {
    case audioMasterAutomate: {
      if (!effect) return 0;
      int slot = -1;
      {
        std::lock_guard<std::mutex> lock(RegistryLock);
        for (TVSTPlugin* plugin : Registry) {
          if (plugin->Effect != effect) continue;
          if (index >= 0 && size_t(index) < plugin->ParamControls.size()) {
            plugin->ParamControls[size_t(index)]->Wheel.store(ParamToWheel(opt));
            slot = plugin->SlotNumber;
            CallEngineListener([&](TEngineListener& l) { l.ParameterAutomated(slot, index, opt); });
          }
          break;
        }
      }
      return 0;
    }
    case audioMasterVersion: return 2;
    case audioMasterCurrentId: return VSTHostID;
    case audioMasterPinConnected: return 1;
    default: return 0;
  }
}

void SetPluginEditorFactory(TPluginEditorFactory* factory) { EditorFactory = factory; }

void IdleEditors() {
  for (TVSTPlugin* plugin : OpenEditors) plugin->Dispatch(effEditIdle);
}

bool EditorsOpen() { return !OpenEditors.empty(); }

// ------------------------------------------------------------------ plug-in

TVSTPlugin::TVSTPlugin() = default;

TVSTPlugin::~TVSTPlugin() { Unload(); }

intptr_t TVSTPlugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) const {
  if (!Effect) return 0;
  return Effect->Dispatcher(Effect, opcode, index, value, ptr, opt);
}

std::string TVSTPlugin::DispatchText(int32_t opcode, int32_t index) const {
  // Plug-ins are asked for 24 characters but some write more: the buffer
  // leaves them room, and only the first 24 bytes count.
  char buffer[512] = {};
  Dispatch(opcode, index, 0, buffer, 0.0f);
  buffer[sizeof buffer - 1] = '\0';
  return std::string(buffer, std::min(std::strlen(buffer), PluginTextLength));
}

TPluginLoadResult TVSTPlugin::Load(const std::string& path, int32_t blockFrames) {
  Unload();
  if (!Library.OpenFile(path)) return TPluginLoadResult::NoLibrary;
  void* entry = Library.OwnSymbol("main");
  if (!entry) entry = Library.OwnSymbol("VSTPluginMain");
  if (!entry) {
    Unload();
    return TPluginLoadResult::NoEntry;
  }
  TVSTEffect* effect = reinterpret_cast<TVSTEntry>(entry)(&HostCallback);
  if (!effect || !UsableEffect(*effect)) {
    // Never call into a record that is missing or unusable: free the
    // library only.
    Unload();
    return effect ? TPluginLoadResult::BadEffect : TPluginLoadResult::NoEffect;
  }
  Effect = effect;
  std::string file = ExtractFileName(path);
  const size_t dot = file.rfind('.');
  if (dot != std::string::npos && dot > 0) file.erase(dot);
  Name = file.empty() ? "(none)" : file;
  Register(this);
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(PluginSampleRate));
  Dispatch(effSetBlockSize, 0, blockFrames);
  Dispatch(effMainsChanged, 0, 1);
  Active.store(true);
  return TPluginLoadResult::Loaded;
}

void TVSTPlugin::Unload() {
  if (!Library.IsOpen()) return;
  if (Effect) {
    SetActive(false);
    CloseEditor();
    Dispatch(effClose);
    Unregister(this);
    Effect = nullptr;
  }
  Library.Close();
  {
    std::lock_guard<std::mutex> lock(RegistryLock);
    ParamControls.clear();
  }
  ProgramNames.clear();
  Active.store(false);
  Name = "(none)";
}

void TVSTPlugin::SetActive(bool on) {
  Active.store(on);
  Dispatch(effMainsChanged, 0, on ? 1 : 0);
}

void TVSTPlugin::Reset() {
  if (!Active.load()) return;
  SetActive(false);
  SetActive(true);
}

void TVSTPlugin::SetBlockSize(int32_t frames) {
  if (Effect) Dispatch(effSetBlockSize, 0, frames);
}

void TVSTPlugin::OpenEditor(const std::string& caption) {
  if (!Effect || !(Effect->Flags & VSTFlagHasEditor) || EditorForm || !EditorFactory) return;
  std::unique_ptr<TPluginEditorWindow> form = EditorFactory->CreateEditorWindow();
  if (!form) return;
  form->SetCaption(caption);
  Dispatch(effEditOpen, 0, 0, form->NativeHandle());
  TVSTRect* rect = nullptr;
  Dispatch(effEditGetRect, 0, 0, &rect);
  int width = 0, height = 0;
  if (rect) {
    width = std::max(0, rect->Right - rect->Left);
    height = std::max(0, rect->Bottom - rect->Top);
  }
  form->SetBounds(EditorX, EditorY, width, height);
  EditorForm = std::move(form);
  OpenEditors.push_back(this);
  EditorForm->SetVisible(true);
}

void TVSTPlugin::CloseEditor() {
  if (!EditorForm) return;
  Dispatch(effEditClose);
  OpenEditors.erase(std::remove(OpenEditors.begin(), OpenEditors.end(), this), OpenEditors.end());
  EditorForm.reset();
  EditorX = 4;
  EditorY = 4;
}

void TVSTPlugin::ReadProgramNames(std::vector<std::string>& list) {
  if (!Effect) return;
  for (int32_t i = 0; i < Effect->NumPrograms; ++i) {
    Dispatch(effSetProgram, 0, i);
    list.push_back(DispatchText(effGetProgramName, 0));
  }
  Dispatch(effSetProgram, 0, 0);
}

void TVSTPlugin::BuildParamControls(int panelWidth) {
  std::vector<std::unique_ptr<TPlugParamControl>> controls;
  int x = 4, y = 25;
  for (int32_t i = 0; i < NumParams(); ++i) {
    // A row takes at least one control, however narrow the panel.
    if (x + 66 > panelWidth && x > 4) {
      x = 4;
      y += 40;
    }
    auto control = std::make_unique<TPlugParamControl>();
    control->Index = i;
    control->Left = x;
    control->Top = y;
    control->Name = DispatchText(effGetParamName, i);
    control->Unit = DispatchText(effGetParamLabel, i);
    controls.push_back(std::move(control));
    x += 93;
  }
  {
    std::lock_guard<std::mutex> lock(RegistryLock);
    ParamControls.swap(controls);
  }
  RefreshParams();
}

void TVSTPlugin::ParamWheelChange(int control, int32_t wheel) {
  if (control < 0 || size_t(control) >= ParamControls.size()) return;
  TPlugParamControl& c = *ParamControls[size_t(control)];
  wheel = std::clamp(wheel, 0, ParamWheelMax);
  c.Wheel.store(wheel);
  {
    MixerGuard lock;
    SetParameter(c.Index, float(wheel) / float(ParamWheelMax));
  }
  UpdateParamDisplay(c);
}

void TVSTPlugin::RefreshParams() {
  for (auto& control : ParamControls) {
    control->Wheel.store(ParamToWheel(GetParameter(control->Index)));
    UpdateParamDisplay(*control);
  }
}

void TVSTPlugin::UpdateParamDisplay(TPlugParamControl& control) {
  control.Display = DispatchText(effGetParamDisplay, control.Index);
}

float TVSTPlugin::GetParameter(int32_t index) const {
  if (!Effect || index < 0 || index >= Effect->NumParams) return 0.0f;
  return Effect->GetParameter(Effect, index);
}

void TVSTPlugin::SetParameter(int32_t index, float value) {
  if (!Effect || index < 0 || index >= Effect->NumParams || std::isnan(value)) return;
  Effect->SetParameter(Effect, index, std::clamp(value, 0.0f, 1.0f));
}

}  // namespace vs
