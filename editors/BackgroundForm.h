#pragma once
// The backdrop: a borderless window behind the program that shows a
// picture, tiled (the tiles centred) or at its own size in the middle. Its
// menu opens another picture and switches the tiling. The picture's file and
// the tiling are the program's settings (BackPicFileName, BackPicTiled); an
// empty file name means the program's own backdrop (AppPath +
// "Artwork/Back.bmp"). A click never makes the window the active one.

#include <QWidget>
#include <string>

#include "framework/ActionTable.h"

class QAction;
class QMenu;

namespace vs {

class TMultiLang;
class TWPControl;
struct TPreferences;

class TBackgroundForm : public QWidget {
  Q_OBJECT

public:
  explicit TBackgroundForm(TPreferences& prefs, QWidget* parent = nullptr);

  TWPControl* BackImage = nullptr;
  QMenu* PopupMenu = nullptr;
  QAction* ChoosePic = nullptr;
  QAction* StretchMenu = nullptr;

  // The file shown: the chosen one, else the program's own backdrop.
  std::string PictureFile() const;
  // Loads the file when it exists (and is a picture), then places it.
  void LoadPicture();
  // Tiled: the picture control covers the window, its tiles centred; not
  // tiled: the control takes the picture's size, centred in the window;
  // without a picture the control is hidden.
  void PlacePicture();
  bool HasPicture() const;

  // The menu's commands.
  void ChoosePicClick();
  void StretchMenuClick();

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  TPreferences& Prefs;
  TActionTable MenuActions;
  TMultiLang* MultiLang1 = nullptr;
};

}  // namespace vs
