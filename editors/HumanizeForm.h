#pragma once
// "Humanize": which step values the humanize command moves at random and
// by how much. A view of the program's choices (ProgramHumanizeOptions):
// the boxes and the slider write them as they change, so the dialog opens
// the next time as it was left. The slider's group reads "Humanize 25%".
// OK (or Enter) ends the dialog with the OK result; the command itself is
// the caller's.

#include <QDialog>

class QCheckBox;
class QGroupBox;

namespace vs {

struct HumanizeOptions;
class TMyTransButton;
class TTrackSlider;

class THumanizeForm : public QDialog {
  Q_OBJECT

public:
  explicit THumanizeForm(HumanizeOptions& options, QWidget* parent = nullptr);

  // The controls show the options again (and the caption).
  void ShowOptions();
  // The slider's group caption: the format "Humanize %d" filled with the
  // slider's position, then "%".
  void UpdateCaption();

  QGroupBox* AffectGroup = nullptr;
  QCheckBox* VolBox = nullptr;
  QCheckBox* PanBox = nullptr;
  QCheckBox* PitchBox = nullptr;
  QCheckBox* MixBox = nullptr;
  QGroupBox* PercentageBox = nullptr;
  TTrackSlider* HumanizeSlider = nullptr;
  TMyTransButton* OkBtn = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  HumanizeOptions& Options;
};

}  // namespace vs
