#pragma once
// "WAV rendering": the render of the pattern or the song into a WAV file.
// Before the render it shows what will be rendered (bars, length, tempo,
// disk space) and the choices, a view of RenderOptions(): what happens to
// the sound ringing past the end (cut, left to ring out, wrapped into the
// start), a ".nfo" description beside the file, mono. OK starts the render
// thread; the gauge follows its progress, which the window side hands in
// (RenderProgress, RenderDone). Cancel, Escape or the window's close button
// during the render stop it after the block in hand: the file then holds
// what was rendered. The dialog closes when the render has ended.

#include <QDialog>
#include <string>

#include "engine/RenderWAV.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace vs {

struct TPreferences;
class TMyTransButton;
class TRedGauge;

class TWAVRenderForm : public QDialog {
  Q_OBJECT

public:
  explicit TWAVRenderForm(QWidget* parent = nullptr);

  // The preferences the mono box also writes (the program's).
  TPreferences* Prefs = nullptr;

  // Shows the dialog for a render into fileName; true when the file was
  // written (also when cancelled: it holds what was rendered).
  bool Execute(const std::string& fileName);
  // The render thread's reports (main thread).
  void RenderProgress(int percent);
  void RenderDone(bool ok);
  bool Rendering() const { return FRendering; }
  const std::string& RenderFileName() const { return FRenderFileName; }
  // The target the next showing renders into (Execute sets it).
  void SetRenderFileName(const std::string& fileName) { FRenderFileName = fileName; }

  QGroupBox* MethodGroup = nullptr;
  QRadioButton* CutRemain = nullptr;
  QRadioButton* LeaveRemain = nullptr;
  QRadioButton* WrapRemain = nullptr;
  QGroupBox* OptionsGroup = nullptr;
  QCheckBox* SaveNFOBox = nullptr;
  QCheckBox* MonoBox = nullptr;
  QLabel* PatLabel = nullptr;
  QLabel* LengthLabel = nullptr;
  QLabel* TempoLabel = nullptr;
  QLabel* SpaceLabel = nullptr;
  TRedGauge* RenderGauge = nullptr;
  TMyTransButton* OkButton = nullptr;
  TMyTransButton* CancelButton = nullptr;

public slots:
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void PrepareRenderForm();
  void ShowRenderBar(int bar);
  void ShowSpace();
  void OkButtonClick();
  void CancelButtonClick();
  void MethodClick();
  QString Word(const char* key, const char* english) const;

  std::string FRenderFileName;
  TRenderFigures Figures;
  bool FRendering = false;
  bool Written = false;
};

}  // namespace vs
