#pragma once
// "Tools": the five outside programs the program starts (sound editors,
// synthesizers), each with its menu name, its program file and what it is
// started with. The window edits the program's tool list in place: the
// name and file fields and the boxes write the current tool at once, and
// dragging a row moves that tool. Closing it rebuilds the tools menus.
//
// It also starts the tools (LaunchTool): the program with its arguments as
// a list, never through a shell. The wave editor ("Tindle") is started as
// a child of the program; starting it while it runs closes it instead.

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProcess;

namespace vs {

struct TPreferences;
class TMyTransButton;

class TAddToolForm : public QDialog {
  Q_OBJECT

public:
  TAddToolForm(TPreferences& prefs, QWidget* parent = nullptr);
  ~TAddToolForm() override;

  // The file rendered last (passed to tools that take the channel's sample
  // when the current channel is not selected).
  std::function<std::string()> RenderFileNameOf;
  // Tells the info bar (a tool that could not be started).
  std::function<void(const std::string&)> OnInfo;

  // Starts tool index; false when it has no program or could not start.
  bool LaunchTool(int index);
  // Starts the tools flagged to start with the program.
  void LaunchStartupTools();
  // True while the wave editor started from here runs.
  bool WaveEditorRunning() const;

  // A menu that lists the tools after separator (shown only when a tool
  // follows): every named tool, or those that take the channel's sample.
  // The wave editor's item gets Ctrl+F on shortcutWindow. Filled now and
  // whenever the list changes.
  void AddToolsMenu(QMenu* menu, QAction* separator, bool channelSampleOnly, QWidget* shortcutWindow = nullptr);
  void UpdateToolsMenu();
  // The current tool's fields, boxes and icon.
  void UpdateEditBoxes();
  int CurrentTool() const;

  QListWidget* ToolsBox = nullptr;
  QLabel* TitleLabel = nullptr;
  QLineEdit* TitleEdit = nullptr;
  QLabel* FileLabel = nullptr;
  QLineEdit* FileEdit = nullptr;
  TMyTransButton* OpenBtn = nullptr;
  QLabel* ProgIcon = nullptr;
  QCheckBox* PathBox = nullptr;
  QCheckBox* WAVBox = nullptr;
  QCheckBox* StartupBox = nullptr;
  QCheckBox* LinkBox = nullptr;
  TMyTransButton* OkBtn = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  struct TToolsMenu {
    QPointer<QMenu> Menu;
    QAction* Separator;
    bool ChannelSampleOnly;
    QPointer<QWidget> ShortcutWindow;
    std::vector<QAction*> Items;
  };
  void FillToolsMenu(TToolsMenu& target);
  void ListTools();
  void OpenBtnClick();
  void FlagBoxClick(QCheckBox* box);
  void ToolMoved(int from, int to);

  TPreferences& Prefs;
  std::vector<TToolsMenu> Menus;
  QProcess* WaveEditor = nullptr;
  bool Filling = false;
};

}  // namespace vs
