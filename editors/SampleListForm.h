#pragma once
// The sample browser: a narrow strip glued to the left edge of the main
// window that lists the samples folder, the folders of the settings'
// folder list and the song files in a tree. It slides out of the window's
// edge when shown and back in on a right click on its strip; dragging the
// strip sideways resizes it.
//
// A press on a sample previews it; a right press loads it into the selected
// channel (a song: opens it after the save-changes question); Enter loads
// the selected sample, Space plays or stops. Dragging a file node out drops
// the file wherever files are taken: on a channel row of the rack, in a
// file manager (always as a copy). Folders are read when first opened;
// Escape stops a long read ("Search canceled"). Small ".nfo" files beside
// folders and files give names, tips (shown in the info bar while the
// pointer is over the node) and colours.
//
// The window knows its host (the main window) only as a widget whose
// frame it follows, and reaches the rest of the program through the
// channel loading's host (core/ChannelFiles.h), the engine's posts and the
// hooks below.

#include <array>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbox/AllTools.h"
#include "core/SampleFolders.h"

class QLabel;

namespace vs {

class TMultiLang;
class TNumBar;
class TTreeNT;
class TTreeNTNode;
class TCanvas;
struct TRect;
struct TPreferences;

// The file of a node when it is a sample file (else empty).
std::string BrowserNodeSampleFile(const TTreeNTNode* node);

class TSampleListForm : public QWidget {
  Q_OBJECT

public:
  // host: the window the strip is glued to (it owns the browser).
  TSampleListForm(TPreferences& prefs, QWidget* host);
  ~TSampleListForm() override;

  TTreeNT* FileView = nullptr;
  QWidget* InfoPanel = nullptr;
  QLabel* PathLabel = nullptr;
  QWidget* InfoLeftBitmap = nullptr;
  QWidget* SpacingPanel = nullptr;
  TNumBar* FileViewScroller = nullptr;
  QTimer AnimTimer;

  // The info bar: text, and whether it must show at once (during a scan).
  std::function<void(const std::string& text, bool now)> OnInfo;
  // Space: the main window's play key.
  std::function<void()> OnPlayKey;
  // A right click on the path label: choose the first folder of the list.
  std::function<void()> OnChooseFolder;
  // The browser became the active window.
  std::function<void()> OnActivated;
  // The window's close: the main window's browser command.
  std::function<void()> OnCloseRequest;

  // Rebuilds the whole tree from the folders.
  void RefreshTree();
  // A root node for a folder (path with or without its trailing "/").
  TTreeNTNode* AddRoot(const std::string& path, const std::string& name);
  // Reads a folder into node (null: the top level).
  void FillFolder(const std::string& folder, TTreeNTNode* node);
  // The scroller follows the tree's range and position.
  void SyncScroller();
  // The file of the selected node when it is a sample (the engine's
  // browser-sample post asks for it).
  std::string SelectedSampleFile() const;
  // The record of a node (null for none).
  static TBrowserRecord* Record(const TTreeNTNode* node);
  // The text a row shows: the node's text, cut to the row's width with an
  // ellipsis when it is wider; and the width the row has for it.
  QString RowText(const TTreeNTNode& node) const;
  int RowTextRoom(const TTreeNTNode& node) const;

  // Shows the strip closed beside the host and slides it open.
  void ShowSliding();
  // Slides open or closed from where it is (a right press on the strip);
  // nothing moves when it is closed.
  void ToggleSlide();
  // Sets the width and follows the host's frame: left = host's left -
  // width + 1, the host's top and height.
  void PlaceBeside(int width);
  // The animation's step: 0 closed .. 12 open (negative while closing).
  int AnimStep() const { return K; }
  void AnimTick();
  // Takes the style's fonts and colours and repaints (the pictures are
  // the program's skin); runs again when the style changes.
  void LoadSkin();

  // The scan running now is asked to stop (the Escape key).
  void CancelScan() { ScanCanceled = true; }
  bool Scanning() const { return ScanRunning; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  std::string Word(std::string_view key, std::string_view english) const;
  TMultiLang* MultiLang1 = nullptr;
  void Info(const std::string& text, bool now = false);
  // The nodes named in the language shown: the song root by its word,
  // files and folders by their description files (or their own names).
  void RenameNodes();
  TTreeNTNode* LoopFilesRoot = nullptr;
  void ShowPath();
  void PaintItem(TTreeNTNode& node, TCanvas& canvas, const TRect& r, uint32_t states);
  // Where a row's text starts, for the row's left edge x.
  static int TextLeft(const TBrowserRecord& record, int x);
  static std::string LoopFilesRootName();
  QString ShownText(const TTreeNTNode& node, int left, int right) const;
  void NodeMouseDown(int x, int y, Qt::MouseButton button);
  void NodeMouseMove(int x, int y, Qt::MouseButtons buttons);
  void LoadIntoChannel(const TTreeNTNode* node);
  void StripMouse(QEvent* event);

  TPreferences& Prefs;
  QWidget* Host;
  std::vector<std::unique_ptr<TBrowserRecord>> Records;
  // What AddRoot gives new roots.
  int RootColour = 0;
  TBrowserRootKind RootKind = SampleRoot;
  int K = 0;
  int PressX = NoDrag;  // global x of a strip drag (NoDrag: none)
  int PressWidth = 0;
  static constexpr int NoDrag = 2147483647;
  QPoint DragStart;
  bool DragArmed = false;
  const TTreeNTNode* HintNode = nullptr;
  bool ScanRunning = false;
  bool ScanCanceled = false;

  // The style's colours (its pictures are the skin's).
  std::array<TColor, 8> Colours{};
  TColor ScrollerColour = 0x404040;
  TColor TextColour = 0xB6B6BA;
};

}  // namespace vs
