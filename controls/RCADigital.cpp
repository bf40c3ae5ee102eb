#include "controls/RCADigital.h"

#include "controls/BarMaps.h"

namespace vs {

TRCADigital::TRCADigital(QWidget* parent) : TQuickGraphicControl(parent) {
  SetColor(ClBlack);
  SetBufferedPaint(true);
  resize(36, 20);
}

void TRCADigital::SetValue(int32_t value) {
  FValue = value;
  QuickPaint();
}

void TRCADigital::SetAutoSize(bool autoSize) {
  FAutoSize = autoSize;
  FitToPlaces();
  QuickPaint();
}

void TRCADigital::SetGap(int gap) {
  FGap = gap;
  FitToPlaces();
  QuickPaint();
}

void TRCADigital::SetFormatWidth(int16_t places) {
  FFormatWidth = places;
  SetValue(FValue);
}

void TRCADigital::SetImList(TImageList* list) {
  FImList = list;
  FitToPlaces();
  QuickPaint();
}

void TRCADigital::FitToPlaces() {
  if (!FAutoSize || !FImList) return;
  const QSize fit((FImList->Width() + FGap) * FFormatWidth, FImList->Height());
  if (size() != fit) resize(fit);
}

void TRCADigital::resizeEvent(QResizeEvent*) { FitToPlaces(); }

std::vector<int> TRCADigital::Images() const { return DigitImages(FValue, FFormatWidth); }

void TRCADigital::Paint(TCanvas& canvas) {
  if (!FImList || FFormatWidth <= 0) return;
  const std::vector<int> images = Images();
  int x = width() + FGap;
  for (int i = FFormatWidth - 1; i >= 0; --i) {
    x -= FImList->Width() + FGap;
    FImList->Draw(canvas, x, 0, images[static_cast<size_t>(i)]);
  }
}

}  // namespace vs
