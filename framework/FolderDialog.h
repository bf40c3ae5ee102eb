#pragma once
// The folder dialog: the user picks a folder, starting in Directory, with
// the dialog's title and an instruction text above the folder tree, the
// selected path shown in a status line, placed where the program wants it.
// It is Qt's own (non-native) file dialog in folder mode, inside a dialog
// of ours that carries the text and the status line.
//
// Not here, as this system has no such things: the shell's special root
// folders (the tree starts at the file system), network and printer
// browsing (their options are kept consistent but choose nothing), and a
// button copied from the owning window (no dialog of the program has one).

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

class QDialog;
class QFileDialog;
class QLabel;
class QWidget;

namespace vs {

enum TFolderDialogOption : uint32_t {
  bfFileSysDirsOnly = 1u << 0,
  bfDontGoBelowDomain = 1u << 1,
  bfStatusText = 1u << 2,
  bfFileSysAncestors = 1u << 3,
  bfBrowseForComputer = 1u << 4,
  bfBrowseForPrinter = 1u << 5,
  bfBrowseIncludeFiles = 1u << 6,
  bfShowPathInStatusArea = 1u << 7,
  bfSyncCustomButton = 1u << 8,
  bfAlignCustomButton = 1u << 9,
  bfScreenCenter = 1u << 10,
  bfParentCenter = 1u << 11,
  bfResizeCustomButton = 1u << 12,
};
using TFolderDialogOptions = uint32_t;

constexpr TFolderDialogOptions DefaultFolderDialogOptions = bfFileSysDirsOnly | bfStatusText |
                                                            bfShowPathInStatusArea | bfSyncCustomButton |
                                                            bfAlignCustomButton | bfParentCenter;

// The option set a write leaves, compared with the old set: of both
// centrings the one that was on before goes; newly adding computer browsing
// drops the file-system, ancestor and printer options; newly adding printer
// browsing drops the file-system, domain, ancestor and computer options;
// showing the path in the status area brings the status text, and dropping
// the status text drops showing the path.
TFolderDialogOptions ConsistentFolderOptions(TFolderDialogOptions old, TFolderDialogOptions wanted);

// The folder a start directory names: a final "." after a separator goes
// ("/music/." and "C:\music\." start in the folder).
QString FolderDialogStart(const QString& directory);

class TFolderDialog : public QObject {
  Q_OBJECT

public:
  explicit TFolderDialog(QWidget* owner = nullptr);
  ~TFolderDialog() override;

  // Where the dialog opens when no centring option is set: the owner's
  // client coordinates (screen coordinates without an owner).
  int Top = 0, Left = 0;
  QString Title = QStringLiteral("Browse for Folder");
  QString Text;
  TFolderDialogOptions Options() const { return FOptions; }
  void SetOptions(TFolderDialogOptions options) { FOptions = ConsistentFolderOptions(FOptions, options); }

  // The folder selected at the start; after Execute, the folder chosen
  // (empty after a cancel). Writing it while the dialog is open selects it.
  QString Directory() const { return FDirectory; }
  void SetDirectory(const QString& directory);

  // Runs the dialog; true when a folder was chosen.
  bool Execute();

  std::function<void()> OnShow;
  std::function<void()> OnClose;
  std::function<void()> OnChange;

  // While Execute runs: the dialog, its folder browser and its status line.
  QDialog* Dialog() const { return FDialog; }
  QFileDialog* Browser() const { return FBrowser; }
  QLabel* StatusLine() const { return FStatus; }

private:
  void Selected(const QString& path);
  void Place();

  QPointer<QWidget> Owner;
  TFolderDialogOptions FOptions = DefaultFolderDialogOptions;
  QString FDirectory;
  QDialog* FDialog = nullptr;
  QFileDialog* FBrowser = nullptr;
  QLabel* FStatus = nullptr;
};

}  // namespace vs
