#pragma once
// The open-file dialog with a row of favourite folders under the standard
// controls: a label, a list of the favourites and a button that makes the
// folder shown a favourite. Choosing a favourite takes the dialog there and
// moves it to the top. Dialogs can share one list (Associated); the list is
// kept in a settings section ("Count" as a DWORD and one value per folder).
//
// The dialog is the toolkit's own (never the desktop's, so that the row can
// be added). Favourites whose folder has gone stay in the list, shown with
// the missing-folder picture.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QFileDialog;
class QLabel;
class QToolButton;
class QWidget;

namespace vs {

class TSettingsStore;

class TFavOpenDialog : public QObject {
  Q_OBJECT

public:
  // owner: the window the dialog opens over (or any object).
  explicit TFavOpenDialog(QObject* owner = nullptr);
  ~TFavOpenDialog() override;

  int MaxCount = 10;
  bool ShowFullPath = false;
  bool SetInitDirFrom1st = false;

  const std::vector<std::string>& Favorites() const { return FFavorites; }
  // The list := the given entries in order (through the add rule), at most
  // MaxCount of them; the associated dialog gets the same list.
  void SetFavorites(const std::vector<std::string>& list);

  TFavOpenDialog* Associated() const { return FAssociated; }
  // Never the dialog itself; cleared when the other dialog goes.
  void SetAssociated(TFavOpenDialog* other);

  QString ComboHint;
  QString ButtonHint;
  QString LabelCaption = "Favoriten:";

  // The standard dialog's settings.
  QString Title;
  QString Filter;
  QString InitialDir;
  QString LastFolder;         // the folder the dialog showed when it closed
  QString FileName;           // the file offered, then the first chosen
  QStringList Files;          // the files chosen
  bool AllowMultiSelect = false;
  bool FileMustExist = true;

  // Runs the dialog; true when files were chosen. At the close the list is
  // taken from the favourites row (with what was added or moved there), and
  // the associated dialog gets it.
  bool Execute();

  // The settings store's section: writes "Count" and the folders; reads
  // them only when "Count" exists (the associated dialog then gets the
  // list, read or not).
  void SaveFavorites(TSettingsStore& store, std::string_view section) const;
  void LoadFavorites(const TSettingsStore& store, std::string_view section);

  // While the dialog shows: the folder it shows changed (after the row was
  // brought up to date), and the file under the cursor changed.
  std::function<void(TFavOpenDialog& sender)> OnFolderChange;
  std::function<void(TFavOpenDialog& sender, const QString& file)> OnSelectionChange;
  // Runs once the dialog is built, before it shows (tests drive it from
  // here; the program has no use for it).
  std::function<void(TFavOpenDialog& sender)> OnShow;

  // While Execute runs: the dialog and the parts of the row.
  QFileDialog* Dialog() const { return FDialog; }
  QComboBox* FavCombo() const { return FCombo; }
  QToolButton* AddFavButton() const { return FButton; }
  QLabel* FavLabel() const { return FLabel; }
  // The folder the dialog shows.
  QString CurrentFolder() const;

  // The add button: the folder shown goes to the top of the row.
  void AddFavoriteClick();
  // Choosing a favourite of the row (nothing for a folder that has gone).
  void ChooseFavorite(int index);

private:
  void BuildRow();
  void FillCombo();
  void FolderChange();
  void TypedNameAgain();
  std::vector<std::string> ComboList() const;
  void TakeList(const std::vector<std::string>& list, bool passOn);

  std::vector<std::string> FFavorites;
  TFavOpenDialog* FAssociated = nullptr;
  QFileDialog* FDialog = nullptr;
  QComboBox* FCombo = nullptr;
  QToolButton* FButton = nullptr;
  QLabel* FLabel = nullptr;
};

}  // namespace vs
