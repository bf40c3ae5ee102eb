#include "framework/FavOpenDialog.h"

#include "framework/DialogLook.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "controls/ImageList.h"
#include "core/Settings.h"
#include "core/FavoriteFolders.h"
#include "platform/SettingsStore.h"

namespace vs {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int IconSize = 16;

QPixmap ResourceFrame(const char* name, int frames, int index) {
  const TImageList& list = ResourceImageList(name, frames);
  return QPixmap::fromImage(list.Image(index));
}

// A favourite's picture: the folder's own icon with the favourite mark, or
// the missing-folder picture.
QIcon FavoriteIcon(const std::string& folder) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return QIcon(ResourceFrame("FavNoFold", 1, 0));
  QIcon own = QFileIconProvider().icon(QFileInfo(QString::fromStdString(folder)));
  if (own.isNull()) own = QFileIconProvider().icon(QFileIconProvider::Folder);
  QPixmap picture(IconSize, IconSize);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  own.paint(&p, QRect(0, 0, IconSize, IconSize));
  p.drawPixmap(0, 0, ResourceFrame("FavOvl", 1, 0));
  return QIcon(picture);
}

}  // namespace

TFavOpenDialog::TFavOpenDialog(QObject* owner) : QObject(owner) {}

TFavOpenDialog::~TFavOpenDialog() {
  if (FAssociated && FAssociated->FAssociated == this) FAssociated->FAssociated = nullptr;
}

void TFavOpenDialog::SetAssociated(TFavOpenDialog* other) {
  if (other == this) return;
  if (FAssociated && FAssociated->FAssociated == this) FAssociated->FAssociated = nullptr;
  FAssociated = other;
  if (other) {
    // Cleared when the other one is freed.
    connect(other, &QObject::destroyed, this, [this, other] {
      if (FAssociated == other) FAssociated = nullptr;
    });
  }
}

void TFavOpenDialog::TakeList(const std::vector<std::string>& list, bool passOn) {
  FFavorites.clear();
  for (size_t i = 0; i < list.size() && int(i) < MaxCount; ++i) AddFavoriteFolder(FFavorites, list[i], MaxCount, false);
  if (passOn && FAssociated) FAssociated->TakeList(FFavorites, false);
}

void TFavOpenDialog::SetFavorites(const std::vector<std::string>& list) { TakeList(list, true); }

void TFavOpenDialog::SaveFavorites(TSettingsStore& store, std::string_view section) const {
  WriteFavoriteFolders(store, section, FFavorites);
}

void TFavOpenDialog::LoadFavorites(const TSettingsStore& store, std::string_view section) {
  std::vector<std::string> list;
  if (ReadFavoriteFolders(store, section, list, 1 << 20)) FFavorites = list;
  if (FAssociated) FAssociated->TakeList(FFavorites, false);
}

QString TFavOpenDialog::CurrentFolder() const {
  if (!FDialog) return {};
  QString folder = FDialog->directory().absolutePath();
  while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
  return folder;
}

std::vector<std::string> TFavOpenDialog::ComboList() const {
  std::vector<std::string> list;
  if (!FCombo) return FFavorites;
  for (int i = 0; i < FCombo->count(); ++i) list.push_back(FCombo->itemData(i, PathRole).toString().toStdString());
  return list;
}

void TFavOpenDialog::FillCombo() {
  if (!FCombo) return;
  const QSignalBlocker quiet(FCombo);
  FCombo->clear();
  for (const std::string& folder : FFavorites) {
    FCombo->addItem(FavoriteIcon(folder), QString::fromStdString(FavoriteDisplayName(folder, ShowFullPath)),
                    QString::fromStdString(folder));
    FCombo->setItemData(FCombo->count() - 1, QString::fromStdString(folder), Qt::ToolTipRole);
  }
  if (FCombo->count() > 0) FCombo->setCurrentIndex(0);
}

void TFavOpenDialog::BuildRow() {
  auto* grid = qobject_cast<QGridLayout*>(FDialog->layout());
  auto* panel = new QWidget(FDialog);
  panel->setObjectName("clientPanel");
  panel->setFixedHeight(30);
  FLabel = new QLabel(LabelCaption, panel);
  FLabel->setObjectName("favorites");
  FCombo = new QComboBox(panel);
  FCombo->setObjectName("favcombo");
  FCombo->setToolTip(ComboHint);
  FCombo->setIconSize(QSize(IconSize, IconSize));
  FLabel->setBuddy(FCombo);
  FButton = new QToolButton(panel);
  FButton->setObjectName("addfavButton");
  FButton->setToolTip(ButtonHint.section('|', 0, 0));
  FButton->setAccessibleName(ButtonHint.section('|', 0, 0));
  QIcon glyph;
  glyph.addPixmap(ResourceFrame("FavFold", 2, 0), QIcon::Normal);
  glyph.addPixmap(ResourceFrame("FavFold", 2, 1), QIcon::Disabled);
  FButton->setIcon(glyph);
  FButton->setIconSize(QSize(IconSize, IconSize));
  // Placed as the row lays out: centred on the panel's height, the combo at
  // 81 and the button at 333, both moved right when the label in the
  // language shown needs more room, and the panel as tall as the combo.
  const int comboHeight = FCombo->sizeHint().height();
  panel->setFixedHeight(std::max(30, comboHeight + 6));
  FLabel->adjustSize();
  FLabel->move(8, (panel->height() - FLabel->height()) / 2 + 1);
  const int comboLeft = std::max(81, FLabel->x() + FLabel->width() + 8);
  FCombo->setGeometry(comboLeft, (panel->height() - comboHeight) / 2 + 2, 233, comboHeight);
  FButton->setGeometry(comboLeft + 233 + 19, FCombo->y(), 75, comboHeight);
  panel->setMinimumWidth(FButton->x() + FButton->width() + 8);
  if (grid)
    grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
  else if (FDialog->layout())
    FDialog->layout()->addWidget(panel);

  connect(FButton, &QToolButton::clicked, this, [this] { AddFavoriteClick(); });
  connect(FCombo, qOverload<int>(&QComboBox::activated), this, [this](int index) { ChooseFavorite(index); });
}

void TFavOpenDialog::FolderChange() {
  if (!FDialog || !FCombo) return;
  const std::string folder = CurrentFolder().toStdString();
  const int found = FindFavoriteFolder(ComboList(), folder);
  FButton->setEnabled(found < 0);
  if (found >= 0) {
    const QSignalBlocker quiet(FCombo);
    FCombo->setCurrentIndex(found);
  }
  if (OnFolderChange) OnFolderChange(*this);
}

void TFavOpenDialog::TypedNameAgain() {
  // The name typed stays and is weighed in the folder shown, so that Open
  // takes that folder's file (a list of quoted names is left as it is).
  auto* name = FDialog ? FDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
  if (!name || name->text().isEmpty() || name->text().contains(QLatin1Char('"'))) return;
  const QString typed = name->text();
  name->clear();
  FDialog->selectFile(typed);
}

void TFavOpenDialog::AddFavoriteClick() {
  if (!FDialog) return;
  std::vector<std::string> list = ComboList();
  AddFavoriteFolder(list, CurrentFolder().toStdString(), MaxCount, true);
  FFavorites = list;
  FillCombo();
  FButton->setEnabled(false);
}

void TFavOpenDialog::ChooseFavorite(int index) {
  if (!FDialog || !FCombo || index < 0 || index >= FCombo->count()) return;
  const std::string folder = FCombo->itemData(index, PathRole).toString().toStdString();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return;
  FDialog->setDirectory(QString::fromStdString(folder));
  if (auto* name = FDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setFocus();
  TypedNameAgain();
  std::vector<std::string> list = ComboList();
  AddFavoriteFolder(list, folder, MaxCount, true);
  FFavorites = list;
  FillCombo();
  FolderChange();
}

bool TFavOpenDialog::Execute() {
  QFileDialog dialog(qobject_cast<QWidget*>(parent()), Title, InitialDir, Filter);
  PrepareFileDialog(&dialog);
  dialog.setFileMode(!FileMustExist      ? QFileDialog::AnyFile
                     : AllowMultiSelect ? QFileDialog::ExistingFiles
                                        : QFileDialog::ExistingFile);
  if (SetInitDirFrom1st && !FFavorites.empty()) dialog.setDirectory(QString::fromStdString(FFavorites.front()));
  if (!FileName.isEmpty()) dialog.selectFile(FileName);
  FDialog = &dialog;
  BuildRow();
  if (FAssociated) FFavorites = FAssociated->FFavorites;
  FillCombo();
  connect(&dialog, &QFileDialog::directoryEntered, this, [this] { FolderChange(); });
  // A folder read only now: the name typed is weighed again in it.
  if (auto* model = dialog.findChild<QFileSystemModel*>())
    connect(model, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
      if (FDialog && QDir(path) == QDir(CurrentFolder())) TypedNameAgain();
    });
  connect(&dialog, &QFileDialog::currentChanged, this, [this](const QString& file) {
    if (OnSelectionChange) OnSelectionChange(*this, file);
  });
  FolderChange();
  if (OnShow) OnShow(*this);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  // What the row holds now (additions and moves made in the dialog).
  FFavorites = ComboList();
  LastFolder = CurrentFolder();
  if (FAssociated) FAssociated->TakeList(FFavorites, false);
  if (chosen) {
    Files = dialog.selectedFiles();
    FileName = Files.isEmpty() ? QString() : Files.front();
  }
  FDialog = nullptr;
  FCombo = nullptr;
  FButton = nullptr;
  FLabel = nullptr;
  return chosen && !Files.isEmpty();
}

}  // namespace vs
