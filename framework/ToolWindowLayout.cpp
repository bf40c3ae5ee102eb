#include "framework/ToolWindowLayout.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "framework/MeroTB97.h"
#include "platform/SettingsStore.h"

namespace vs {

namespace {

constexpr int LayoutRev = 2;
constexpr int MaxStoredRow = 1000;
constexpr int MaxStoredClientSize = 32767;
constexpr const char* FloatingDock = "+";

std::string SectionOf(const std::string& key, const TMeroCustomToolWindow97& window) {
  const std::string name = window.objectName().toStdString();
  if (name.empty()) throw std::runtime_error("Cannot save tool window's position because Name property is not set");
  return key.empty() ? name : key + "\\" + name;
}

// Holds every dock's arrange lock; each dock arranges as its lock goes,
// the last one first.
class TDocksLocked {
public:
  explicit TDocksLocked(const std::vector<TMeroDock97*>& docks) : Docks(docks) {
    for (TMeroDock97* d : Docks) d->BeginUpdate();
  }
  ~TDocksLocked() {
    for (auto it = Docks.rbegin(); it != Docks.rend(); ++it) (*it)->EndUpdate();
  }

private:
  std::vector<TMeroDock97*> Docks;
};

}  // namespace

void LoadToolWindowLayout(QWidget* form, const TToolWindowLayoutIO& io, const std::string& key) {
  TToolWindowSite& site = TToolWindowSite::Of(form->window());
  TDocksLocked locked(site.Docks());
  const std::vector<TMeroCustomToolWindow97*> windows = site.ToolWindows();
  for (TMeroCustomToolWindow97* w : windows) {
    const std::string section = SectionOf(key, *w);
    if (io.ReadInteger(section, "Rev", 0) != LayoutRev) continue;
    w->setVisible(io.ReadInteger(section, "Visible", w->isHidden() ? 0 : 1) != 0);
    const std::string dockName = io.ReadString(section, "DockedTo", "");
    if (dockName.empty()) continue;
    TMeroDock97* dock = nullptr;
    if (dockName != FloatingDock) {
      for (TMeroDock97* d : site.Docks())
        if (d->objectName().toStdString() == dockName) dock = d;
      if (!dock || !dock->AllowDrag()) continue;
    }
    // Numbers from the file are kept in range: a row count or a place
    // beyond any screen never costs time or overflows.
    w->SetDockRow(std::clamp(io.ReadInteger(section, "DockRow", w->DockRow()), 0, MaxStoredRow));
    w->SetDockPos(std::clamp(io.ReadInteger(section, "DockPos", w->DockPos()), -MaxDockPos, MaxDockPos));
    w->FloatLeft = std::clamp(io.ReadInteger(section, "FloatLeft", 0), -MaxDockPos, MaxDockPos);
    w->FloatTop = std::clamp(io.ReadInteger(section, "FloatTop", 0), -MaxDockPos, MaxDockPos);
    if (w->Resizable())
      w->ReadExtra([&](const char* name, int def) {
        return std::clamp(io.ReadInteger(section, name, def), 1, MaxStoredClientSize);
      });
    // Floating: placed there, and brought onto the nearest screen when that
    // lies off every one.
    w->SetDockedTo(dock);
  }
}

void SaveToolWindowLayout(QWidget* form, const TToolWindowLayoutIO& io, const std::string& key) {
  const TToolWindowSite& site = TToolWindowSite::Of(form->window());
  for (const TMeroCustomToolWindow97* w : site.ToolWindows()) {
    const std::string section = SectionOf(key, *w);
    std::string dockName = FloatingDock;
    if (const TMeroDock97* d = w->DockedTo()) {
      dockName = d->AllowDrag() ? d->objectName().toStdString() : std::string();
      if (d->AllowDrag() && dockName.empty())
        throw std::runtime_error("Cannot save tool window's position because DockedTo's Name property not set");
    }
    io.WriteInteger(section, "Rev", LayoutRev);
    io.WriteInteger(section, "Visible", w->isHidden() ? 0 : 1);
    io.WriteString(section, "DockedTo", dockName);
    io.WriteInteger(section, "DockRow", w->DockRow());
    io.WriteInteger(section, "DockPos", w->DockPos());
    io.WriteInteger(section, "FloatLeft", w->FloatLeft);
    io.WriteInteger(section, "FloatTop", w->FloatTop);
    w->WriteExtra([&](const char* name, int value) { io.WriteInteger(section, name, value); });
  }
}

TToolWindowLayoutIO SettingsLayoutIO(TSettingsStore& store) {
  TToolWindowLayoutIO io;
  io.ReadInteger = [&store](const std::string& s, const char* n, int def) { return store.ReadInteger(s, n, def); };
  io.ReadString = [&store](const std::string& s, const char* n, const std::string& def) {
    return store.ReadString(s, n, def);
  };
  io.WriteInteger = [&store](const std::string& s, const char* n, int v) { store.WriteInteger(s, n, v); };
  io.WriteString = [&store](const std::string& s, const char* n, const std::string& v) { store.WriteString(s, n, v); };
  return io;
}

void LoadToolWindowLayout(QWidget* form, TSettingsStore& store, const std::string& key) {
  LoadToolWindowLayout(form, SettingsLayoutIO(store), key);
}

void SaveToolWindowLayout(QWidget* form, TSettingsStore& store, const std::string& key) {
  SaveToolWindowLayout(form, SettingsLayoutIO(store), key);
}

}  // namespace vs
