#include "editors/PatNameForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScreen>

#include "editors/PanelStyle.h"
#include "framework/MLang.h"
#include "toolbox/MLBase.h"

namespace vs {

TPatNameForm::TPatNameForm(QWidget* parent) : QDialog(parent) {
  setObjectName("PatNameForm");
  panel::ApplyPanelStyle(this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  PatNameEdit = new QLineEdit(this);
  PatNameEdit->setObjectName("PatNameEdit");
  PatNameEdit->setAccessibleName(QStringLiteral("Pattern name"));
  PatNameEdit->setMinimumWidth(200);
  layout->addWidget(PatNameEdit);
  connect(PatNameEdit, &QLineEdit::returnPressed, this, &QDialog::accept);
  setFixedSize(sizeHint());
}

void TPatNameForm::SetPattern(int pattern, const std::string& name) {
  const std::string format = WindowText("PlayListForm", "@PatName", "Pattern %d name");
  setWindowTitle(QString::fromStdString(FormatText(format, {pattern})));
  PatNameEdit->setText(QString::fromStdString(name));
  PatNameEdit->selectAll();
}

std::optional<std::string> EditPatternName(QWidget* parent, int pattern, const std::string& name, QPoint at) {
  TPatNameForm form(parent);
  form.SetPattern(pattern, name);
  // Right of and above the point, kept on the screen.
  QPoint place = at + QPoint(8, -8 - form.height());
  if (const QScreen* screen = QGuiApplication::screenAt(at)) {
    const QRect area = screen->availableGeometry();
    place.setX(std::min(place.x(), area.right() + 1 - form.width()));
  }
  form.move(place);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.PatNameEdit->text().toStdString();
}

}  // namespace vs
