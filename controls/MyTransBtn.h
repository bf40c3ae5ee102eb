#pragma once
// The button of the whole program: transport buttons, mode switches, dialog
// buttons, the arrows of number bars and spin edits.
//
// It shows an image from an image list (its own, cut from Glyph, or one
// assigned with SetImList and shared with other buttons), optionally a
// caption, and optionally a painted frame (Style; FS_Bitmap paints the
// image alone). The image follows the state: ILIndex plus the disabled,
// down or mouse-over offset that Options imply.
//
// Pressing: a left press shows the opposite of the state at the press;
// dragging out shows the state at the press again and coming back the
// pressed look. On release StayDown buttons keep the new state (every click
// toggles Down); other buttons come up. A release outside clicks nothing.
// PopupButton with a PopupMenu opens the menu at the button's right or
// bottom edge instead, the button shown down while it is open.
//
// FX_Blend fades between the two frames of the glyph (0 resting, 1 lit)
// every 50 ms, by FXAttack toward lit and FXRelease back, on press or while
// the mouse is over (FXWhen), optionally blinking.
//
// A caption with "&" gives the button an accelerator: Alt and that letter
// click it while its window is active and the button enabled.

#include <QImage>
#include <QString>
#include <memory>

#include "controls/BtnFrames.h"
#include "controls/FastBmp.h"
#include "controls/ImageList.h"
#include "controls/QuickGraphicControl.h"

class QShortcut;
class QTimer;

namespace vs {

enum class TFXType { FX_None, FX_Blend };
enum class TFXWhen { FX_OnPress, FX_OnOver };
enum class TFXBlink { FX_NoBlink, FX_BlinkOnPress, FX_BlinkOnOver };
enum class TPopupAlign { Popup_Right, Popup_Bottom };

class TMyTransButton : public TQuickGraphicControl {
  Q_OBJECT
  // The language tables set the caption.
  Q_PROPERTY(QString caption READ Caption WRITE SetCaption)

public:
  explicit TMyTransButton(QWidget* parent = nullptr);
  ~TMyTransButton() override;

  const QString& Caption() const { return FCaption; }
  void SetCaption(const QString& caption);

  bool Down() const { return FDown; }
  void SetDown(bool down);

  TTransBtnOptions Options() const { return FOptions; }
  void SetOptions(TTransBtnOptions options) { FOptions = options; }

  TBtnFrameStyle Style() const { return FStyle; }
  void SetStyle(TBtnFrameStyle style);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int spacing);
  TTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TTextAlign align);

  TFXType FXType() const { return FFXType; }
  void SetFXType(TFXType type);
  TFXWhen FXWhen = TFXWhen::FX_OnPress;
  uint16_t FXAttack = 85;
  uint16_t FXRelease = 64;
  TFXBlink FXBlink = TFXBlink::FX_NoBlink;

  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int n);
  // The own glyph strip (empty again after set-up with tbTrashGlyph).
  const QImage& Glyph() const { return FGlyph; }
  // Copies the strip and builds the button's images from it.
  void SetGlyph(const QImage& glyph);

  // The assigned list (not owned); the list in use may be the own one.
  TImageList* ImList() const { return FImList; }
  void SetImList(TImageList* list);
  // Shares another button's images: its list in use and its offsets.
  void AssignGlyphsFrom(const TMyTransButton& other);
  int ILIndex() const { return FILIndex; }
  void SetILIndex(int index);

  TPopupAlign PopupAlign = TPopupAlign::Popup_Right;
  Qt::MouseButton PopupButton = Qt::RightButton;
  bool StayDown = true;
  TNotifyEvent OnPaint;

  // What the button shows now: the list in use, the offsets, the image
  // index, the fade (for owners that mirror the look and for tests).
  const TImageList* ListInUse() const { return FListInUse; }
  const TImageOffsets& ImageOffsets() const { return FOffsets; }
  int ImageIndex() const;
  bool MouseOver() const { return FMouseOver; }
  const TFade& Fade() const { return FFade; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void EnabledChanged() override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void SetUpGlyph();
  void AddAutomaticGlyphs(const QImage& frame0, TColor mask);
  void StartFade(bool towardFull);
  void FadeTick();
  bool Blinking() const;
  void OpenPopup();
  void PaintBitmap(TCanvas& canvas);
  void PaintFramed(TCanvas& canvas);
  void PaintCaption(TCanvas& canvas, const TRect& glyph);
  void UpdateAccelerator();

  static constexpr int NoPress = 3;
  QString FCaption;
  bool FDown = false;
  TTransBtnOptions FOptions = tbHasDownGlyph | tbTrashGlyph;
  TBtnFrameStyle FStyle = TBtnFrameStyle::FS_Bitmap;
  int FSpacing = 2;
  TTextAlign FTextAlign = TTextAlign::ttaCenter;
  TFXType FFXType = TFXType::FX_None;
  int FNumGlyphs = 2;
  QImage FGlyph;
  TImageList* FImList = nullptr;
  std::unique_ptr<TImageList> OwnList;
  const TImageList* FListInUse = nullptr;
  TImageOffsets FOffsets;
  int FILIndex = 0;
  int PressMode = NoPress;
  bool FMouseOver = false;
  int FrameWidth = 0;
  // Fade: the two frames and a scratch frame right of them.
  std::unique_ptr<TFastBmp> FadeStrip;
  int FadeScratchX = 0;
  TFade FFade;
  QTimer* FadeTimer = nullptr;
  QShortcut* Accelerator = nullptr;
};

}  // namespace vs
