#pragma once
// Parts the small dialogs share: the caption labels over their fields, the
// program's push button with a caption, the light paper that rich text is
// shown on (descriptions are written in dark ink on white), and the
// engraved line that separates parts of a pop-up.

#include <QWidget>

class QLabel;
class QTextEdit;

namespace vs {

class TMyTransButton;

QLabel* CaptionLabel(QWidget* parent, const char* name, const char* text);
// A push button (it comes up again after a click) of the dialog's style.
TMyTransButton* DialogButton(QWidget* parent, const char* name, const char* caption);
// A small key with a cross that closes a caption-less window (two frames:
// at rest, and pressed with the cross lit).
TMyTransButton* CloseButton(QWidget* parent, const char* name);
void SetPaperLook(QTextEdit* edit);

// A 1-pixel line in a dark grey over a 1-pixel light line, across the
// widget.
class TGroove : public QWidget {
  Q_OBJECT

public:
  TGroove(QWidget* parent, const char* name);

protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vs
