#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <algorithm>
#include <iostream>
#include <vector>

#include "framework/DialogLook.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {

namespace {

bool Ending = false;
// The boxes open now, innermost last.
std::vector<QMessageBox*> OpenBoxes;
const char* const AnsweredForEnd = "vsAnsweredForEnd";

int EndAnswer(uint32_t flags) {
  switch (flags & MbButtonMask) {
    case MbYesNoCancel:
    case MbYesNo: return IdNo;
    case MbOKCancel:
    case MbCancel: return IdCancel;
    default: return IdOK;
  }
}

// A question shows where someone can see it.
bool QuestionCanShow() {
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return false;
  const QWidget* form = Windows().VorbelStepsMainForm;
  return form && form->isVisible() && !form->isMinimized();
}

}  // namespace

void AnswerBoxesForEnd() {
  for (QMessageBox* box : OpenBoxes) {
    box->setProperty(AnsweredForEnd, true);
    box->done(0);
  }
}

void SetEndRequested(bool requested) { Ending = requested; }
bool EndRequested() { return Ending; }

TQtMessageBox::TQtMessageBox() { Previous = SetMessageBoxHandler(this); }

TQtMessageBox::~TQtMessageBox() { SetMessageBoxHandler(Previous); }

QString MessageBoxText(const std::string& message) {
  QString text = QString::fromStdString(message);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

int TQtMessageBox::ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) {
  const bool question = (flags & MbButtonMask) != MbOK;
  if (Ending && (!question || !QuestionCanShow())) {
    std::string text = message;
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::cerr << "VorbelSteps: " << (caption.empty() ? "" : caption + ": ") << text << std::endl;
    return EndAnswer(flags);
  }
  QMessageBox box(QApplication::activeWindow());
  ApplyDialogLook(&box);
  box.setWindowTitle(caption.empty() ? QStringLiteral("VorbelSteps") : QString::fromStdString(caption));
  box.setText(MessageBoxText(message));
  switch (flags & MbIconMask) {
    case MbIconError: box.setIcon(QMessageBox::Critical); break;
    case MbIconQuestion: box.setIcon(QMessageBox::Question); break;
    case MbIconWarning: box.setIcon(QMessageBox::Warning); break;
    case MbIconInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  QMessageBox::StandardButton cautious = QMessageBox::Ok;
  switch (flags & MbButtonMask) {
    case MbOKCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      cautious = QMessageBox::Cancel;
      break;
    case MbYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      cautious = QMessageBox::Cancel;
      break;
    case MbYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      cautious = QMessageBox::No;
      break;
    case MbCancel:
      box.setStandardButtons(QMessageBox::Cancel);
      cautious = QMessageBox::Cancel;
      break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  box.setEscapeButton(cautious);
  OpenBoxes.push_back(&box);
  box.exec();
  OpenBoxes.erase(std::find(OpenBoxes.begin(), OpenBoxes.end(), &box));
  if (box.property(AnsweredForEnd).toBool()) return EndAnswer(flags);
  QAbstractButton* clicked = box.clickedButton();
  const QMessageBox::StandardButton pressed = clicked ? box.standardButton(clicked) : cautious;
  switch (pressed == QMessageBox::NoButton ? cautious : pressed) {
    case QMessageBox::Yes: return IdYes;
    case QMessageBox::No: return IdNo;
    case QMessageBox::Cancel: return IdCancel;
    default: return IdOK;
  }
}

}  // namespace vs
