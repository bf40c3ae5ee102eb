#pragma once
// The window a plug-in's own editor lives in: a tool window of ours whose
// native window (an X11 window) the plug-in is handed with effEditOpen and
// draws its editor into. Only on the X11 platform: elsewhere (the offscreen
// platform of tests and batch runs, Wayland) there is no window a plug-in
// could use, and editors do not open.

#include <QWidget>
#include <memory>

#include "engine/VSTPlugin.h"

namespace vs {

class TPluginEditorForm : public QWidget, public TPluginEditorWindow {
  Q_OBJECT

public:
  TPluginEditorForm();
  void* NativeHandle() override;
  void SetCaption(const std::string& caption) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  bool Visible() const override;
  // The client's place (where SetBounds puts it).
  void Position(int& left, int& top) const override;

protected:
  // The close box hides the window and keeps it: the plug-in's own window
  // lives inside it and is not made again when it shows next.
  void closeEvent(QCloseEvent* event) override;
};

class TQtPluginEditorFactory : public TPluginEditorFactory {
public:
  std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() override;
};

// True when plug-in editors can open here (the X11 platform).
bool PluginEditorsPossible();

}  // namespace vs
