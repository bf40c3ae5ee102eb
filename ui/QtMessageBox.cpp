#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "framework/DialogLook.h"

namespace vs {

TQtMessageBox::TQtMessageBox() { Previous = SetMessageBoxHandler(this); }

TQtMessageBox::~TQtMessageBox() { SetMessageBoxHandler(Previous); }

QString MessageBoxText(const std::string& message) {
  QString text = QString::fromStdString(message);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

int TQtMessageBox::ShowMessage(const std::string& caption, const std::string& message, uint32_t flags) {
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
  box.exec();
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
