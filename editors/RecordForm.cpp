#include "editors/RecordForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "controls/Canvas.h"
#include "controls/MyTransBtn.h"
#include "controls/QuickPaintBox.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "core/ProgramPaths.h"
#include "framework/DialogLook.h"
#include "framework/Skin.h"
#include "core/Tools.h"
#include "framework/MLang.h"
#include "framework/PanelLook.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

constexpr int FormWidth = 416;
constexpr int FormHeight = 246;
constexpr int Margin = 12;
// Room a title bar takes beside its caption: the icon and the buttons.
constexpr int CaptionRoom = 128;
constexpr TColor BoundColour = 0x0000FF;   // red
constexpr TColor OutsideColour = 0x000060;  // dark red

TMyTransButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* b = new TMyTransButton(parent);
  b->setObjectName(name);
  b->SetStyle(TBtnFrameStyle::FS_VekGradient);
  b->SetOptions(tbShowPressed);
  b->StayDown = false;
  b->SetCaption(QString::fromLatin1(caption));
  return b;
}

}  // namespace

TRecordForm::TRecordForm(TPreferences& prefs, int channel, QWidget* parent)
    : QDialog(parent), Tag(channel), Prefs(prefs) {
  setObjectName("RecordForm");
  setWindowTitle(QStringLiteral("Quick recording box"));
  setFixedSize(FormWidth, FormHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The controls that take their parent's colour take the panel's.
  QPalette panel = palette();
  panel.setColor(QPalette::Window, look::Panel);
  panel.setColor(QPalette::WindowText, look::Text);
  setPalette(panel);

  const TStyle& style = Skin().Style;
  RecScope = new TWAVScope(this);
  RecScope->setObjectName("RecScope");
  RecScope->Overview = true;
  RecScope->BackColor = style.SampleScopeCol[0];
  RecScope->CenterColor = style.SampleScopeCol[1];
  RecScope->SetLineColor(style.SampleScopeCol[2]);
  RecScope->SetSample(&Rec.Recorded);
  BoundsPaintBox = new TQuickPaintBox(this);
  BoundsPaintBox->setObjectName("BoundsPaintBox");
  BoundsPaintBox->setCursor(Qt::SizeHorCursor);
  BoundsPaintBox->OnPaint = [this](QWidget*, TCanvas& c) { PaintBounds(c); };
  BoundsPaintBox->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
    if (m.Button != Qt::LeftButton) return;
    const int w = BoundsPaintBox->width();
    Bound = Rec.ChooseBound(m.X, w);
    Rec.MoveBound(Bound, m.X, w);
    BoundsPaintBox->QuickPaint();
  };
  BoundsPaintBox->OnMouseMove = [this](QWidget*, const TMouseInfo& m) {
    if (Bound < 0 || !(m.Buttons & Qt::LeftButton) || Rec.View.Empty()) return;
    Rec.MoveBound(Bound, m.X, BoundsPaintBox->width());
    BoundsPaintBox->QuickPaint();
  };
  BoundsPaintBox->OnMouseUp = [this](QWidget*, const TMouseInfo&) { Bound = -1; };

  RecGauge = new TRedGauge(this);
  RecGauge->setObjectName("RecGauge");
  RecGauge->SetShowPercentage(false);

  LengthLabel = new QLabel(QStringLiteral("Length (in seconds)"), this);
  LengthLabel->setObjectName("LengthLabel");
  QPalette pal = LengthLabel->palette();
  pal.setColor(QPalette::WindowText, look::Text);
  LengthLabel->setPalette(pal);
  LengthSelect = new TTrackSlider(this);
  LengthSelect->setObjectName("LengthSelect");
  LengthSelect->setAccessibleName(QStringLiteral("Length (in seconds)"));
  LengthSelect->SetOrientation(Qt::Horizontal);
  LengthSelect->SetMin(1);
  LengthSelect->SetMax(10);
  LengthSelect->SetFrequency(1);
  LengthSelect->LineSize = 1;
  LengthSelect->PageSize = 1;
  LengthSelect->SetPosition(3);
  auto* seconds = new QLabel(this);
  seconds->setObjectName("LengthValue");
  LengthValue = seconds;
  seconds->setAlignment(Qt::AlignCenter);
  pal.setColor(QPalette::WindowText, look::Accent);
  seconds->setPalette(pal);
  QFont bold = seconds->font();
  bold.setBold(true);
  seconds->setFont(bold);
  auto showSeconds = [this, seconds] { seconds->setText(QString::number(LengthSelect->Position())); };
  LengthSelect->OnChange = [showSeconds](QWidget*) { showSeconds(); };
  showSeconds();

  RecBtn = MakeButton(this, "RecBtn", "record");
  ListenBtn = MakeButton(this, "ListenBtn", "listen to");
  SaveBtn = MakeButton(this, "SaveBtn", "save to disk");
  EditBtn = MakeButton(this, "EditBtn", "wave editor");
  CancelButton = MakeButton(this, "CancelButton", "cancel");
  OkBtn = MakeButton(this, "OkBtn", "ok");
  LayOut(FormWidth);
  RecBtn->OnClick = [this](QWidget*) { RecBtnClick(); };
  ListenBtn->OnClick = [this](QWidget*) { ListenBtnClick(); };
  SaveBtn->OnClick = [this](QWidget*) { SaveBtnClick(); };
  EditBtn->OnClick = [this](QWidget*) { EditBtnClick(); };
  CancelButton->OnClick = [this](QWidget*) { CancelButtonClick(); };
  OkBtn->OnClick = [this](QWidget*) { CancelButtonClick(); };

  ProgressTimer.setInterval(50);
  connect(&ProgressTimer, &QTimer::timeout, this, [this] { ProgressTick(); });

  ChooseSaveFile = [this](const QString& title, const std::string& file) -> std::optional<std::string> {
    QFileDialog dialog(this, title);
    PrepareFileDialog(&dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("WAV file (*.wav)"));
    ApplyDialogWords(dialog, MultiLang1, "@SaveSample");
    dialog.setWindowTitle(title);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setDirectory(QString::fromStdString(ExtractFilePath(file)));
    dialog.selectFile(QString::fromStdString(ExtractFileName(file)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
  };

  MultiLang1 = AttachWindowWords(this);
}

TRecordForm::~TRecordForm() {
  ProgressTimer.stop();
  if (!Closed) Rec.Close(CurrentSong(), Tag);
}

QString TRecordForm::Word(const char* key, const char* english) const {
  if (MultiLang1 && MultiLang1->HasWord(key)) return MultiLang1->Word(key);
  return QString::fromLatin1(english);
}

QRect TRecordForm::ScopeRect() const { return QRect(Margin, Margin, width() - 2 * Margin, 100); }

void TRecordForm::LayOut(int w) {
  setFixedSize(w, FormHeight);
  const QRect scope = ScopeRect();
  RecScope->setGeometry(scope);
  BoundsPaintBox->setGeometry(scope);
  RecGauge->setGeometry(Margin, 118, scope.width(), 12);
  LengthLabel->setGeometry(Margin, 140, 140, 24);
  LengthSelect->setGeometry(152, 136, w - 152 - 44, 32);
  LengthValue->setGeometry(w - Margin - 28, 140, 28, 24);
  // Four buttons a row across the width, cancel and OK under the last two.
  const int bw = (scope.width() - 3 * 8) / 4;
  const int right = w - Margin;
  TMyTransButton* row[] = {RecBtn, ListenBtn, SaveBtn, EditBtn};
  for (int i = 0; i < 4; ++i) row[i]->setGeometry(right - (4 - i) * bw - (3 - i) * 8, 176, bw, 26);
  CancelButton->setGeometry(SaveBtn->x(), 210, bw, 26);
  OkBtn->setGeometry(EditBtn->x(), 210, bw, 26);
  for (QWidget* control : std::initializer_list<QWidget*>{LengthLabel, RecBtn, ListenBtn, SaveBtn, EditBtn,
                                                          CancelButton, OkBtn})
    KeepTextCondensed(control);
}

static int CaptionWidth(const QString& caption) {
  QFont font = QApplication::font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(caption) + CaptionRoom;
}

void TRecordForm::ShowCaption(const std::string& note) {
  const QString caption = Word("%Form%", "Quick recording box");
  setWindowTitle(note.empty() ? caption : caption + QStringLiteral(" (") + QString::fromStdString(note) + ")");
  // The box widens for its caption, as far as the screen lets it, about
  // its middle.
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  const int most = shown ? shown->availableGeometry().width() - 2 * Margin : 1024;
  const int wanted = std::clamp(CaptionWidth(windowTitle()), FormWidth, std::max(FormWidth, most));
  if (wanted <= width()) return;
  const int grown = wanted - width();
  LayOut(wanted);
  if (isVisible()) move(x() - grown / 2, y());
  update();
}

void TRecordForm::showEvent(QShowEvent* event) {
  SaveBtn->setEnabled(false);
  EditBtn->setEnabled(false);
  Rec.CaptureBytes = 0;
  QDialog::showEvent(event);
}

void TRecordForm::RecBtnClick() {
  if (Rec.Capturing()) return;
  if (!Rec.Start(LengthSelect->Position())) {
    HintMessageBox(CaptureSetupErrorMessage, MbOK | MbIconError);
    return;
  }
  RecBtn->setEnabled(false);
  SaveBtn->setEnabled(false);
  CancelButton->setEnabled(false);
  RecGauge->SetMax(int32_t(Rec.CaptureBytes));
  RecGauge->SetShowPercentage(true);
  RecGauge->SetPosition(0);
  RecScope->QuickPaint();
  BoundsPaintBox->QuickPaint();
  ProgressTimer.start();
}

void TRecordForm::ProgressTick() {
  RecGauge->SetPosition(int32_t(Rec.Position()));
  if (!Rec.Poll()) StopRecording();
}

void TRecordForm::StopRecording() {
  ProgressTimer.stop();
  Rec.Stop();
  RecGauge->SetPosition(0);
  RecGauge->SetShowPercentage(false);
  RecScope->QuickPaint();
  BoundsPaintBox->QuickPaint();
  RecBtn->setEnabled(true);
  SaveBtn->setEnabled(Rec.HasRecording());
  CancelButton->setEnabled(true);
  ShowCaption(Word("@DontForget", "don't forget to save your sample to disk").toStdString());
}

void TRecordForm::ListenBtnClick() { Rec.Listen(); }

void TRecordForm::SaveBtnClick() {
  if (!Rec.HasRecording()) return;
  const std::string offered = NextRecordedFileName(ProgramPaths().AppPath);
  const std::optional<std::string> file = ChooseSaveFile(Word("@SaveSample", "Save modified sample"), offered);
  if (!file) return;
  if (!Rec.Save(*file)) {
    HintMessageBox("Error|The sample could not be saved as " + *file + ".", MbOK | MbIconError);
    return;
  }
  if (OnSaved) OnSaved();
  ShowCaption(*file);
  EditBtn->setEnabled(!ToolMenuEntries(Prefs.ToolList, true).empty());
}

void TRecordForm::EditBtnClick() {
  const std::vector<int> tools = ToolMenuEntries(Prefs.ToolList, true);
  if (!tools.empty() && OnLaunchTool) OnLaunchTool(tools.front());
}

void TRecordForm::CancelButtonClick() {
  if (Rec.Capturing())
    StopRecording();
  else
    accept();
}

void TRecordForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) {
    ListenBtnClick();
    event->accept();
    return;
  }
  // Escape works as the cancel button: it never drops a running capture.
  if (event->key() == Qt::Key_Escape) {
    CancelButtonClick();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TRecordForm::done(int result) {
  if (!Closed) {
    Closed = true;
    ProgressTimer.stop();
    Rec.Close(CurrentSong(), Tag);
  }
  QDialog::done(result);
}

void TRecordForm::closeEvent(QCloseEvent* event) {
  if (Rec.Capturing()) StopRecording();
  QDialog::closeEvent(event);
}

void TRecordForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(0x33, 0x37, 0x3d));
  g.setColorAt(1, QColor(0x1f, 0x22, 0x26));
  p.fillRect(rect(), g);
  // The scope's well.
  const QRect well = ScopeRect().adjusted(-2, -2, 2, 22);
  p.setPen(look::PanelShadow);
  p.drawLine(well.topLeft(), well.topRight());
  p.drawLine(well.topLeft(), well.bottomLeft());
  p.setPen(look::PanelLight);
  p.drawLine(well.bottomLeft(), well.bottomRight());
  p.drawLine(well.topRight(), well.bottomRight());
  p.setPen(look::PanelShadow);
  p.drawLine(Margin, 168, width() - Margin, 168);
  p.setPen(look::PanelLight);
  p.drawLine(Margin, 169, width() - Margin, 169);
}

void TRecordForm::PaintBounds(TCanvas& c) {
  if (!Rec.HasRecording()) return;
  const int w = BoundsPaintBox->width(), h = BoundsPaintBox->height();
  const auto [start, end] = Rec.BoundXs(w);
  QPainter& p = c.Painter();
  // The parts left out: inverted through a dark red pattern.
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_Difference);
  const QBrush pattern(ToQColor(OutsideColour), Qt::Dense4Pattern);
  if (start > 0) p.fillRect(QRect(0, 0, start, h), pattern);
  if (end + 1 < w) p.fillRect(QRect(end + 1, 0, w - end - 1, h), pattern);
  p.restore();
  for (int x : {start, end}) {
    c.PenColor = BoundColour;
    c.MoveTo(x, 0);
    c.LineTo(x, h);
  }
}

void ShowRecordForm(TPreferences& prefs, int channel, QWidget* parent,
                    const std::function<void(TRecordForm&)>& prepare) {
  TRecordForm form(prefs, channel, parent);
  if (prepare) prepare(form);
  form.exec();
}

}  // namespace vs
