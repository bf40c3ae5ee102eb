#pragma once
// The song information viewer: a caption-less pop-up with the song's
// title, its description and its web address, shown when a song that asks
// for it is opened. It fits its height to the description (at least 80
// pixels of text, at most the screen's height less 100, with a scroll bar
// then), sits in the middle of the screen's height, and closes on any key,
// on a click on the text or the move bar, or with its close button; the
// bar drags it. A click on the address opens it in the browser.

#include <QWidget>
#include <functional>
#include <string>

class QLabel;

namespace vs {

struct SongInfo;
class TGroove;
class TMoveBevel;
class TMyTransButton;
class TRichEditEx;

class TInfoForm : public QWidget {
  Q_OBJECT

public:
  // The viewer's client width, and the description's.
  static constexpr int FormWidth = 383;
  static constexpr int TextWidth = 369;

  explicit TInfoForm(QWidget* parent = nullptr);

  // Takes the song's title, description and address, fits itself and
  // shows (the address and its groove only when there is an address).
  void ShowSongInfo(const SongInfo& info);
  // The same without showing (a shown viewer follows what it shows).
  void FillSongInfo(const SongInfo& info);
  // The window's caption in the language shown: by default the song
  // information editor's; ShowCaption sets it again (at each show and
  // language switch).
  std::function<QString()> Caption;
  void ShowCaption();
  // Heights from the description's.
  void FitToText();
  // The address the link opens.
  std::string Url() const { return FUrl; }

  TMoveBevel* MoveBevel1 = nullptr;
  QLabel* TitleLabel = nullptr;
  TMyTransButton* CloseBtn = nullptr;
  TGroove* TopLine = nullptr;
  TRichEditEx* InfoEdit = nullptr;
  TGroove* BottomLine = nullptr;
  QLabel* URLEdit = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::string FUrl;
  QPoint PressAt;
};

}  // namespace vs
