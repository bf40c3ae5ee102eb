#pragma once
// "Loop info": the song's title, its description in rich text (pictures
// pasted in are kept), its web address and whether the description pops
// up when the song is opened. The window is a view of the current song's
// information: every edit is written to the song at once and marks it
// modified; a changed title renames the main window. While
// the window is shown, editing the description or the address also ticks
// "Show it on open"; filling it from a song (ShowSongInfo) changes nothing.

#include <QDialog>
#include <functional>

#include "model/SongListener.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace vs {

struct SongInfo;
class TMyTransButton;
class TRichEditEx;

class TSetInfoForm : public QDialog, public SongListener {
  Q_OBJECT

public:
  explicit TSetInfoForm(QWidget* parent = nullptr);
  ~TSetInfoForm() override;

  // Shows a song's information (read, reset): the song stays unmodified.
  // Only the fields that differ are filled again.
  void ShowSongInfo(const SongInfo& info);
  // The current song's information, whatever route changed it.
  void SongReplaced(TSong& song) override;
  void SongValueChanged(TSongValue value) override;


  QLabel* TitleLabel = nullptr;
  QLineEdit* TitleEdit = nullptr;
  QLabel* InfoLabel = nullptr;
  TRichEditEx* InfoEdit = nullptr;
  QLabel* URLLabel = nullptr;
  QLineEdit* URLEdit = nullptr;
  QCheckBox* ShowInfoBox = nullptr;
  TMyTransButton* OkBtn = nullptr;

private:
  void TitleEditChange();
  void InfoEditChange();
  void URLEditChange();
  void ShowInfoBoxClick();
  // An edit of the description or the address while shown.
  void TickShowOnOpen();

  bool Filling = false;
};

}  // namespace vs
