#pragma once
// The quick recording box ("Quick recording box"): records a few seconds
// from the sound input for one channel, shows the recording on a scope
// where the user drags its start and end, plays the trimmed part, saves it
// as the next free "Recorded_N.wav" of the samples folder, hands the saved
// file to the first wave editor of the tools list, and on closing loads the
// saved file into its channel (nothing when nothing was saved).
//
// Made for one use: ShowRecordForm opens it modally and frees it.

#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Recording.h"

class QLabel;

namespace vs {

class TCanvas;
class TMyTransButton;
class TQuickPaintBox;
class TRedGauge;
class TTrackSlider;
class TWAVScope;
class TMultiLang;
struct TPreferences;

class TRecordForm : public QDialog {
  Q_OBJECT

public:
  TRecordForm(TPreferences& prefs, int channel, QWidget* parent = nullptr);
  ~TRecordForm() override;

  // The channel the recording is for.
  int Tag = 0;

  QLabel* LengthLabel = nullptr;
  TTrackSlider* LengthSelect = nullptr;
  TMyTransButton* RecBtn = nullptr;
  TMyTransButton* SaveBtn = nullptr;
  TMyTransButton* EditBtn = nullptr;
  TMyTransButton* ListenBtn = nullptr;
  TMyTransButton* CancelButton = nullptr;
  TMyTransButton* OkBtn = nullptr;
  TRedGauge* RecGauge = nullptr;
  TWAVScope* RecScope = nullptr;
  TQuickPaintBox* BoundsPaintBox = nullptr;
  QTimer ProgressTimer;

  TRecording& Recording() { return Rec; }

  // The save dialog: a title and the offered file; none when cancelled.
  std::function<std::optional<std::string>(const QString& title, const std::string& file)> ChooseSaveFile;
  // Starts a tool of the tools list (the wave editor button: the first tool
  // that takes the channel's sample, which gets the saved file).
  std::function<void(int tool)> OnLaunchTool;
  // A recording was saved (the sample browser shows it).
  std::function<void()> OnSaved;

  void RecBtnClick();
  void StopRecording();
  void SaveBtnClick();
  void EditBtnClick();
  void ListenBtnClick();
  // Cancel and OK: stop a running capture, else close.
  void CancelButtonClick();

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void done(int result) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void ProgressTick();
  void ShowCaption(const std::string& note);
  QRect ScopeRect() const;
  // Places the controls for a box w pixels wide.
  void LayOut(int w);
  void PaintBounds(TCanvas& canvas);
  QString Word(const char* key, const char* english) const;

  TPreferences& Prefs;
  TRecording Rec;
  TMultiLang* MultiLang1 = nullptr;
  QLabel* LengthValue = nullptr;
  int Bound = -1;  // the bound being dragged: -1 none, 0 start, 1 end
  bool Closed = false;
};

// Opens the recording box for a channel, modally, and frees it.
void ShowRecordForm(TPreferences& prefs, int channel, QWidget* parent,
                    const std::function<void(TRecordForm&)>& prepare = {});

}  // namespace vs
