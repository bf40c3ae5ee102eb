#pragma once
// The tip dialog: a small modal window with one tip out of a list, opened at
// a random tip, and a number bar to page through the others. It is as wide
// as its caption needs beside the desktop's close button, and has no other
// button in its title bar.
//
// TAMTipDialog holds what the window shows: its caption and the tips (one a
// line). Execute makes the window (OnExecute runs first, so that the owner
// can fill the tips), shows it modally, and frees it (OnExecuted runs
// after). With no tips at all the window shows an empty tip and a disabled
// bar.

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;

namespace vs {

class TNumBar;

// The index of the tip shown last (program-wide; -1 before any).
int& LastTipIndex();

// The tips of a file: its lines (UTF-8, CR LF or LF) that hold more than
// blanks, trimmed; none when the file can't be read.
QStringList ReadTipsFile(const QString& fileName);

class TTipForm : public QDialog {
  Q_OBJECT

public:
  explicit TTipForm(QWidget* parent = nullptr);

  // The window's own list of the tips.
  QStringList Tips;
  // Where the first tip is drawn from: a number 0..k-1.
  std::function<int(int k)> Random;

  QLabel* TipLabel() const { return lblTip; }
  TNumBar* Bar() const { return SelBar; }
  // The tip of the bar's position (an empty tip without tips).
  void ShowTip();

protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  // 225 x 203, wider where the caption needs it.
  void FitToCaption();
  QLabel* ReadThisBitmap = nullptr;
  QWidget* Bevel = nullptr;
  QLabel* lblTip = nullptr;
  TNumBar* SelBar = nullptr;
};

class TAMTipDialog : public QObject {
  Q_OBJECT

public:
  explicit TAMTipDialog(QObject* parent = nullptr);

  QString TipDialogCaption;
  QStringList Tips;
  std::function<void(TAMTipDialog& sender)> OnExecute;
  std::function<void(TAMTipDialog& sender)> OnExecuted;
  // Draws the first tip (the program's random source unless replaced).
  std::function<int(int k)> Random;

  // True when the window was closed with OK (Return); false when closed
  // otherwise.
  bool Execute(QWidget* parent = nullptr);
  // The window while Execute runs.
  TTipForm* Form() const { return FForm; }

private:
  TTipForm* FForm = nullptr;
};

}  // namespace vs
