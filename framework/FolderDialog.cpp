#include "framework/FolderDialog.h"

#include "framework/DialogLook.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace vs {

TFolderDialogOptions ConsistentFolderOptions(TFolderDialogOptions old, TFolderDialogOptions wanted) {
  TFolderDialogOptions o = wanted;
  if ((o & bfScreenCenter) && (o & bfParentCenter)) o &= ~(old & (bfScreenCenter | bfParentCenter));
  const TFolderDialogOptions added = o & ~old;
  if (added & bfBrowseForComputer)
    o &= ~(bfFileSysDirsOnly | bfFileSysAncestors | bfBrowseForPrinter);
  else if (added & bfBrowseForPrinter)
    o &= ~(bfFileSysDirsOnly | bfDontGoBelowDomain | bfFileSysAncestors | bfBrowseForComputer);
  if ((added & bfShowPathInStatusArea) && !(o & bfStatusText)) o |= bfStatusText;
  if ((old & bfStatusText) && !(o & bfStatusText)) o &= ~bfShowPathInStatusArea;
  return o;
}

QString FolderDialogStart(const QString& directory) {
  QString d = directory;
  if (d.endsWith(QLatin1String("/.")) || d.endsWith(QLatin1String("\\."))) d.chop(1);
  return d;
}

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), Owner(owner) {}

TFolderDialog::~TFolderDialog() {
  if (FDialog) FDialog->reject();
}

void TFolderDialog::SetDirectory(const QString& directory) {
  FDirectory = directory;
  if (!FBrowser) return;
  const QString folder = QDir(FolderDialogStart(directory)).absolutePath();
  if (!QFileInfo(folder).isDir()) return;
  FBrowser->selectFile(folder);
  Selected(folder);
}

void TFolderDialog::Selected(const QString& path) {
  const bool fileSystem = !path.isEmpty() && QFileInfo(path).isDir();
  if (FStatus) FStatus->setText(fileSystem && (FOptions & bfShowPathInStatusArea) ? QDir::toNativeSeparators(path)
                                                                                   : QString());
  if (fileSystem && OnChange) OnChange();
}

void TFolderDialog::Place() {
  QDialog& d = *FDialog;
  QScreen* screen = Owner ? Owner->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QRect room = screen ? screen->availableGeometry() : area;
  d.resize(d.size().expandedTo(d.minimumSizeHint()).boundedTo(room.size() - QSize(16, 48)));
  const QSize size = d.size();
  QPoint at;
  if ((FOptions & bfParentCenter) && Owner) {
    const QRect o = Owner->window()->frameGeometry();
    at = o.center() - QPoint(size.width() / 2, size.height() / 2);
  } else if (FOptions & (bfScreenCenter | bfParentCenter)) {
    at = area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 3);
  } else {
    at = Owner ? Owner->mapToGlobal(QPoint(Left, Top)) : QPoint(Left, Top);
  }
  d.move(at);
}

bool TFolderDialog::Execute() {
  QDialog dialog(Owner ? Owner->window() : nullptr);
  dialog.setObjectName("FolderDialog");
  dialog.setWindowTitle(Title);
  ApplyDialogLook(&dialog);
  auto* layout = new QVBoxLayout(&dialog);
  if (!Text.isEmpty()) {
    auto* text = new QLabel(Text, &dialog);
    text->setObjectName("FolderDialogText");
    text->setWordWrap(true);
    layout->addWidget(text);
  }
  auto* browser = new QFileDialog(&dialog);
  browser->setObjectName("FolderBrowser");
  browser->setWindowFlags(Qt::Widget);
  PrepareFileDialog(browser);
  browser->setFileMode(QFileDialog::Directory);
  browser->setOption(QFileDialog::ShowDirsOnly, !(FOptions & bfBrowseIncludeFiles));
  layout->addWidget(browser);
  if (FOptions & bfStatusText) {
    FStatus = new QLabel(&dialog);
    FStatus->setObjectName("FolderDialogStatus");
    layout->addWidget(FStatus);
  }
  const QString start = FolderDialogStart(FDirectory);
  // Without a folder to start in: the user's home (never the folder the
  // program happened to be started from).
  browser->setDirectory(!start.isEmpty() && QFileInfo(start).isDir() ? start : QDir::homePath());
  FDialog = &dialog;
  FBrowser = browser;
  connect(browser, &QFileDialog::currentChanged, this, &TFolderDialog::Selected);
  connect(browser, &QFileDialog::directoryEntered, this, &TFolderDialog::Selected);
  connect(browser, &QDialog::accepted, &dialog, &QDialog::accept);
  connect(browser, &QDialog::rejected, &dialog, &QDialog::reject);
  Selected(browser->directory().absolutePath());
  // Room for the folders' names and dates.
  dialog.resize(680, 480);
  Place();
  QTimer::singleShot(0, this, [this] {
    if (FDialog && OnShow) OnShow();
  });
  const bool chosen = dialog.exec() == QDialog::Accepted;
  QString folder;
  if (chosen) {
    const QStringList files = browser->selectedFiles();
    folder = files.isEmpty() ? browser->directory().absolutePath() : files.first();
  }
  FDialog = nullptr;
  FBrowser = nullptr;
  FStatus = nullptr;
  FDirectory = chosen && QFileInfo(folder).isDir() ? folder : QString();
  if (Owner) Owner->window()->activateWindow();
  if (OnClose) OnClose();
  return chosen && !FDirectory.isEmpty();
}

}  // namespace vs
