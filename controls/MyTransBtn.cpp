#include "controls/MyTransBtn.h"

#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

namespace vs {

namespace {

constexpr int FadeInterval = 50;

}  // namespace

TMyTransButton::TMyTransButton(QWidget* parent) : TQuickGraphicControl(parent) {
  setFocusPolicy(Qt::NoFocus);
  resize(32, 32);
}

TMyTransButton::~TMyTransButton() = default;

void TMyTransButton::SetCaption(const QString& caption) {
  if (caption == FCaption) return;
  FCaption = caption;
  if (Hint().isEmpty()) setAccessibleName(QString(caption).remove('&'));
  UpdateAccelerator();
  QuickPaint();
}

void TMyTransButton::UpdateAccelerator() {
  delete Accelerator;
  Accelerator = nullptr;
  const QKeySequence key = QKeySequence::mnemonic(FCaption);
  if (key.isEmpty()) return;
  Accelerator = new QShortcut(key, this);
  connect(Accelerator, &QShortcut::activated, this, [this] {
    if (isEnabled()) Click();
  });
}

void TMyTransButton::SetDown(bool down) {
  if (down == FDown) return;
  FDown = down;
  if (FFXType == TFXType::FX_Blend && FXWhen == TFXWhen::FX_OnPress) {
    // The release fade starts from full light even after a short press.
    if (!down && FXBlink == TFXBlink::FX_NoBlink) FFade.Position = TFade::Full + FXRelease;
    StartFade(down);
  } else {
    QuickPaint();
  }
}

void TMyTransButton::SetStyle(TBtnFrameStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  SetBufferedPaint(style != TBtnFrameStyle::FS_Bitmap);
  update();
}

void TMyTransButton::SetSpacing(int spacing) {
  FSpacing = spacing;
  update();
}

void TMyTransButton::SetTextAlign(TTextAlign align) {
  FTextAlign = align;
  update();
}

void TMyTransButton::SetNumGlyphs(int n) {
  n = std::max(n, 1);
  if (n == FNumGlyphs) return;
  FNumGlyphs = n;
  update();
}

void TMyTransButton::SetFXType(TFXType type) {
  if (type == FFXType) return;
  FFXType = type;
  if (!FGlyph.isNull()) {
    SetUpGlyph();
    QuickPaint();
  }
  if (type == TFXType::FX_None) {
    delete FadeTimer;
    FadeTimer = nullptr;
    FFade.Running = false;
  } else if (!FadeTimer) {
    FadeTimer = new QTimer(this);
    FadeTimer->setInterval(FadeInterval);
    connect(FadeTimer, &QTimer::timeout, this, &TMyTransButton::FadeTick);
  }
}

void TMyTransButton::SetGlyph(const QImage& glyph) {
  FGlyph = glyph;
  if (!FGlyph.isNull()) {
    SetUpGlyph();
    if (FOptions & tbTrashGlyph) FGlyph = QImage();
  }
  update();
}

void TMyTransButton::SetImList(TImageList* list) {
  FImList = list;
  ApplyListOptions(FOptions, FOffsets);
  if (list && !list->Empty()) {
    FListInUse = list;
    if (FStyle == TBtnFrameStyle::FS_Bitmap) resize(list->Width(), list->Height());
  }
  update();
}

void TMyTransButton::AssignGlyphsFrom(const TMyTransButton& other) {
  FListInUse = other.FListInUse;
  FOffsets = other.FOffsets;
  update();
}

void TMyTransButton::SetILIndex(int index) {
  FILIndex = index;
  update();
}

int TMyTransButton::ImageIndex() const { return ChooseImage(FILIndex, FOffsets, isEnabled(), FDown, FMouseOver); }

void TMyTransButton::SetUpGlyph() {
  FrameWidth = FGlyph.width() / FNumGlyphs;
  FImList = nullptr;
  FListInUse = nullptr;
  OwnList.reset();
  FadeStrip.reset();
  if (FFXType == TFXType::FX_Blend) {
    // The frames, then a scratch frame to blend into; rows a multiple of 4
    // pixels wide.
    const int width = (FGlyph.width() + FrameWidth + 3) / 4 * 4;
    QImage scratch(width, FGlyph.height(), QImage::Format_RGB32);
    scratch.fill(Qt::black);
    {
      QPainter painter(&scratch);
      painter.drawImage(0, 0, FGlyph);
    }
    FadeStrip = TFastBmp::CreateFromBitmap(scratch);
    FadeScratchX = FGlyph.width();
  } else {
    const TColor mask =
        (FOptions & tbTransparentBitmap) ? PixelColor(FGlyph, 0, FGlyph.height() - 1) : ClNone;
    OwnList = std::make_unique<TImageList>();
    BitmapToImageList(FGlyph, *OwnList, FNumGlyphs, mask);
    AddAutomaticGlyphs(FGlyph.copy(0, 0, FrameWidth, FGlyph.height()), mask);
    // Through the list setter, as an assigned list would come; then it is
    // no assigned list.
    SetImList(OwnList.get());
    FImList = nullptr;
  }
  if (FStyle == TBtnFrameStyle::FS_Bitmap) resize(FrameWidth, FGlyph.height());
}

void TMyTransButton::AddAutomaticGlyphs(const QImage& frame0, TColor mask) {
  if (FOptions & tbAutoDisabledGlyph) {
    FOffsets.Disabled = OwnList->Count();
    // Over the key colour when the glyph is transparent, so that the
    // embossed copy is as transparent as the glyph.
    const TColor face = mask != ClNone ? mask : Color();
    OwnList->Add(MakeDisabledGlyph(frame0, face, ClBtnHighlight, ClBtnShadow), mask);
  }
  if (FOptions & tbAutoOnOverGlyph) {
    FOffsets.Over = OwnList->Count();
    if (!(FOptions & tbHasDownGlyph)) FOffsets.Down = FOffsets.Over;
    // The button rests in grey and shows its colours under the mouse.
    OwnList->Move(0, OwnList->Count() - 1);
    QImage grey = frame0;
    GreyBitmap(grey, 30, 59, 11, mask);
    OwnList->Insert(0, grey, mask);
  }
}

bool TMyTransButton::Blinking() const {
  return (FXBlink == TFXBlink::FX_BlinkOnPress && FDown) || (FXBlink == TFXBlink::FX_BlinkOnOver && FMouseOver);
}

void TMyTransButton::StartFade(bool towardFull) {
  if (FFXType != TFXType::FX_Blend || !FadeTimer) return;
  if (FFade.Start(towardFull)) {
    FadeTimer->start();
    FadeTick();
  }
}

void TMyTransButton::FadeTick() {
  FFade.Tick(FXAttack, FXRelease, Blinking());
  if (!FFade.Running && FadeTimer) FadeTimer->stop();
  QuickPaint();
}

void TMyTransButton::Paint(TCanvas& canvas) {
  if (FStyle == TBtnFrameStyle::FS_Bitmap) PaintBitmap(canvas);
  else PaintFramed(canvas);
  if (OnPaint) OnPaint(this);
}

void TMyTransButton::PaintBitmap(TCanvas& canvas) {
  if (FListInUse) {
    FListInUse->Draw(canvas, 0, 0, ImageIndex());
  } else if (FadeStrip) {
    const int h = FadeStrip->Height();
    const int lit = std::min(1, FNumGlyphs - 1);
    BlendFastBmps(*FadeStrip, TRect::Sized(lit * FrameWidth, 0, FrameWidth, h), *FadeStrip, FFade.Weight(),
                  {FadeScratchX, 0}, *FadeStrip, {0, 0});
    canvas.Draw(0, 0, FadeStrip->Picture(), TRect::Sized(FadeScratchX, 0, FrameWidth, h));
  }
}

void TMyTransButton::PaintFramed(TCanvas& canvas) {
  const TRect client = TRect::Sized(0, 0, width(), height());
  if (FMouseOver || !(FOptions & tbOnOver)) DrawBtnFrame(FStyle, canvas, client, Color(), FDown);
  else canvas.FillRect(client, Color());

  const int iw = FListInUse ? FListInUse->Width() : 0;
  const int ih = FListInUse ? FListInUse->Height() : 0;
  const TPoint at = GlyphPlace(FTextAlign, width(), height(), iw, ih, FSpacing);
  const TRect glyph = TRect::Sized(at.X, at.Y, iw, ih);
  const int shift = (FDown && (FOptions & tbShowPressed)) ? 1 : 0;
  if (FListInUse)
    FListInUse->Draw(canvas, at.X + shift, at.Y + shift, ImageIndex(),
                     (FOptions & tbTransparentBitmap) ? ClNone : Color());
  if (!FCaption.isEmpty()) PaintCaption(canvas, glyph);
}

void TMyTransButton::PaintCaption(TCanvas& canvas, const TRect& glyph) {
  canvas.SetFont(font());
  const TPoint size = canvas.MeasureWrapped(FCaption, width(), height());
  const int shift = (FDown && (FOptions & tbShowPressed)) ? 1 : 0;
  const TPoint at = CaptionPlace(FTextAlign, width(), height(), glyph, size.X, size.Y, FSpacing);
  const TRect box = TRect::Sized(at.X + shift, at.Y + shift, size.X, size.Y);
  const TColor text = isEnabled() ? FontColor : ShiftColor(Color(), -64);
  const TColor shadow = ShiftColor(Color(), isEnabled() ? 40 : 56);
  canvas.FontColor = shadow;
  canvas.DrawWrapped(box.Offset(1, 1), FCaption);
  canvas.FontColor = text;
  canvas.DrawWrapped(box, FCaption);
}

void TMyTransButton::MouseDown(const TMouseInfo& mouse) {
  QPointer<TMyTransButton> self(this);
  TQuickGraphicControl::MouseDown(mouse);
  if (!self) return;
  if (mouse.Button == PopupButton && PopupMenu) {
    OpenPopup();
    return;
  }
  if (mouse.Button == Qt::LeftButton && rect().contains(mouse.X, mouse.Y) && PressMode == NoPress) {
    PressMode = FDown ? 1 : 0;
    SetDown(PressMode == 0);
  }
}

void TMyTransButton::OpenPopup() {
  QPointer<TMyTransButton> self(this);
  const bool wasDown = FDown;
  SetDown(true);
  const QPoint at = PopupAlign == TPopupAlign::Popup_Right ? QPoint(width(), 0) : QPoint(0, height());
  SetPopupComponent(PopupMenu, this);
  PopupMenu->exec(mapToGlobal(at));
  if (!self) return;
  // The menu had the mouse: what is left of this press clicks nothing.
  CancelClick();
  SetDown(wasDown);
}

void TMyTransButton::MouseMove(const TMouseInfo& mouse) {
  if ((mouse.Buttons & Qt::LeftButton) && PressMode != NoPress)
    SetDown(rect().contains(mouse.X, mouse.Y) != (PressMode == 1));
  TQuickGraphicControl::MouseMove(mouse);
}

void TMyTransButton::MouseUp(const TMouseInfo& mouse) {
  if (!isEnabled() || mouse.Button != Qt::LeftButton) return;
  PressMode = NoPress;
  if (!StayDown) SetDown(false);
  TQuickGraphicControl::MouseUp(mouse);
}

void TMyTransButton::MouseEnter() {
  FMouseOver = true;
  if (FXWhen == TFXWhen::FX_OnOver) StartFade(true);
  if (FOptions & tbOnOver) QuickPaint();
  TQuickGraphicControl::MouseEnter();
}

void TMyTransButton::MouseLeave() {
  FMouseOver = false;
  if (FXWhen == TFXWhen::FX_OnOver) StartFade(false);
  if (FOptions & tbOnOver) QuickPaint();
  TQuickGraphicControl::MouseLeave();
}

void TMyTransButton::EnabledChanged() {
  if (!isEnabled()) {
    PressMode = NoPress;
    SetDown(false);
  }
  QuickPaint();
}

void TMyTransButton::contextMenuEvent(QContextMenuEvent* event) {
  // The press has shown the menu already.
  if (PopupMenu && PopupButton == Qt::RightButton) {
    event->accept();
    return;
  }
  TQuickGraphicControl::contextMenuEvent(event);
}

}  // namespace vs
