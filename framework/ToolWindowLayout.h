#pragma once
// Storing and restoring where a form's tool windows are: docked in which
// dock, row and position, or floating where, and whether they are shown.
// One section per tool window, named by its objectName under the given key
// (the key is a section prefix; the program's own key, the store's root,
// is ""). Values: "Rev" (2), "Visible", "DockedTo" (the dock's objectName,
// "+" floating, "" docked where dragging is not allowed), "DockRow",
// "DockPos", "FloatLeft", "FloatTop", and for a TMeroToolWindow97
// "ClientWidth" and "ClientHeight" (read back only when it is Resizable).
//
// A window without an objectName (or docked in a dock without one) stops
// the operation with a std::runtime_error; the windows before it are done.

#include <functional>
#include <string>

class QWidget;

namespace vs {

class TSettingsStore;

// The store the layout goes through: four callbacks on (section, name).
struct TToolWindowLayoutIO {
  std::function<int(const std::string& section, const char* name, int def)> ReadInteger;
  std::function<std::string(const std::string& section, const char* name, const std::string& def)> ReadString;
  std::function<void(const std::string& section, const char* name, int value)> WriteInteger;
  std::function<void(const std::string& section, const char* name, const std::string& value)> WriteString;
};

void LoadToolWindowLayout(QWidget* form, const TToolWindowLayoutIO& io, const std::string& key);
void SaveToolWindowLayout(QWidget* form, const TToolWindowLayoutIO& io, const std::string& key);

// The same on the settings store.
TToolWindowLayoutIO SettingsLayoutIO(TSettingsStore& store);
void LoadToolWindowLayout(QWidget* form, TSettingsStore& store, const std::string& key);
void SaveToolWindowLayout(QWidget* form, TSettingsStore& store, const std::string& key);

}  // namespace vs
