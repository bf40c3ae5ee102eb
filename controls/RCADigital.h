#pragma once
// A number shown in digit images: the tempo and pattern-number displays.
// ImList holds a blank place (image 0) and the digits 0..9 (images 1..10);
// FormatWidth places are drawn right to left, leading places blank. With
// AutoSize the display takes the size of its places.

#include "controls/ImageList.h"
#include "controls/QuickGraphicControl.h"

namespace vs {

class TRCADigital : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TRCADigital(QWidget* parent = nullptr);

  int32_t Value() const { return FValue; }
  // Stored as it is; drawn at once.
  void SetValue(int32_t value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool autoSize);
  int Gap() const { return FGap; }
  void SetGap(int gap);
  int16_t FormatWidth() const { return FFormatWidth; }
  void SetFormatWidth(int16_t places);
  // Not owned.
  TImageList* ImList() const { return FImList; }
  void SetImList(TImageList* list);

  // The images the display shows now, left to right.
  std::vector<int> Images() const;

protected:
  void Paint(TCanvas& canvas) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void FitToPlaces();
  int32_t FValue = 0;
  bool FAutoSize = true;
  int FGap = 0;
  int16_t FFormatWidth = 1;
  TImageList* FImList = nullptr;
};

}  // namespace vs
