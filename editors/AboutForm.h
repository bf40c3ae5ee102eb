#pragma once
// The about box: the style's picture across the top, the program's logo and
// version, links to the libraries the program is built on, and the credits
// scrolling in a window of their own. Showing it slides it in from the
// screen's right edge to about the middle (AnimTimer, 16 ms a step, 18
// steps) and starts the credits from the top (ScrollTimer: a pixel every
// 150 ms; a click on the credits switches between 150 and 50 ms). The OK
// button and the picture close it; hiding stops both timers and closing
// lets the style's picture go.

#include <QDialog>
#include <QTimer>
#include <string>
#include <vector>

#include "controls/GoToWeb.h"

class QLabel;

namespace vs {

class TMyTransButton;
class TRichEditEx;
class TSSImage;

class TAboutForm : public QDialog {
  Q_OBJECT

public:
  explicit TAboutForm(QWidget* parent = nullptr);

  // The links below the version: caption and address of each, in order.
  struct TLink {
    const char* Caption;
    const char* Address;
  };
  static const std::vector<TLink>& Links();
  // The link component every link of the box opens through (other windows
  // borrow it).
  TGoToWeb& WebLink() { return FWebLink; }

  TSSImage* TitleImage() const { return FTitleImage; }
  TSSImage* AboutPic() const { return FAboutPic; }
  QLabel* VersionLabel() const { return FVersionLabel; }
  TRichEditEx* CreditsEdit() const { return FCreditsEdit; }
  QWidget* CreditsPanel() const { return FCreditsPanel; }
  TMyTransButton* OkBtn() const { return FOkBtn; }
  QTimer& AnimTimer() { return FAnimTimer; }
  QTimer& ScrollTimer() { return FScrollTimer; }
  int AnimStep() const { return FAnimStep; }

  // One step of each timer (the timers call these).
  void AnimTimerTimer();
  void ScrollTimerTimer();
  // The window's left edge at step k of the slide on a screen of a width.
  static int SlideLeft(int screenWidth, int windowWidth, int k);

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void OpenLink(const std::string& address);

  TSSImage* FAboutPic = nullptr;
  TSSImage* FTitleImage = nullptr;
  QLabel* FVersionLabel = nullptr;
  QWidget* FCreditsPanel = nullptr;
  TRichEditEx* FCreditsEdit = nullptr;
  std::string FCreditsFile;  // the file the credits were read from
  TMyTransButton* FOkBtn = nullptr;
  TGoToWeb FWebLink;
  QTimer FAnimTimer;
  QTimer FScrollTimer;
  int FAnimStep = 0;
};

}  // namespace vs
