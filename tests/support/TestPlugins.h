#pragma once
// The test plug-ins built from tests/plugins/TestPlugin.c, and their call
// logs. A TPluginLog opens the plug-in file itself: while it lives, the host
// shares the same loaded library, so the log shows the host's calls and
// outlives the host's unload.

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/VSTPlugin.h"

namespace vs::test {

inline std::string PluginsDir() { return VS_PLUGINS_DIR; }
inline std::string PluginPath(const std::string& name) { return PluginsDir() + name + ".so"; }

// True when the file is loaded in this process now.
inline bool PluginLibraryLoaded(const std::string& name) {
  void* h = dlopen(PluginPath(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h) dlclose(h);
  return h != nullptr;
}

class TPluginLog {
public:
  // A test plug-in's name, or the path of a copy of one.
  explicit TPluginLog(const std::string& name) {
    const std::string path = name.find('/') == std::string::npos ? PluginPath(name) : name;
    Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) return;
    Count = static_cast<int*>(dlsym(Handle, "test_log_count"));
    Ops = static_cast<int32_t*>(dlsym(Handle, "test_log_ops"));
    Values = static_cast<intptr_t*>(dlsym(Handle, "test_log_values"));
    Opts = static_cast<float*>(dlsym(Handle, "test_log_opts"));
    Ptrs = static_cast<void**>(dlsym(Handle, "test_log_ptrs"));
    Host = static_cast<TVSTHostCallback*>(dlsym(Handle, "test_host"));
    LastEffect = static_cast<TVSTEffect**>(dlsym(Handle, "test_last_effect"));
    Instances = static_cast<int*>(dlsym(Handle, "test_instances"));
    LongestBlock = static_cast<int*>(dlsym(Handle, "test_longest_block"));
    Clear();
  }
  ~TPluginLog() {
    if (Handle) dlclose(Handle);
  }
  TPluginLog(const TPluginLog&) = delete;
  TPluginLog& operator=(const TPluginLog&) = delete;

  bool Ok() const { return Handle && Count && Ops && Values && Opts && Ptrs && Host && Instances; }
  void Clear() {
    if (Count) *Count = 0;
  }
  std::vector<int32_t> Opcodes() const { return {Ops, Ops + *Count}; }
  // (opcode, value) pairs.
  std::vector<std::pair<int32_t, intptr_t>> Calls() const {
    std::vector<std::pair<int32_t, intptr_t>> calls;
    for (int i = 0; i < *Count; ++i) calls.emplace_back(Ops[i], Values[i]);
    return calls;
  }

  void* Handle = nullptr;
  int* Count = nullptr;
  int32_t* Ops = nullptr;
  intptr_t* Values = nullptr;
  float* Opts = nullptr;
  void** Ptrs = nullptr;
  TVSTHostCallback* Host = nullptr;
  TVSTEffect** LastEffect = nullptr;
  int* Instances = nullptr;
  int* LongestBlock = nullptr;
};

}  // namespace vs::test
