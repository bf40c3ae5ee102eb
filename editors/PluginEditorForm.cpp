#include "editors/PluginEditorForm.h"

#include <QCloseEvent>
#include <QGuiApplication>

#include "controls/WindowTools.h"

namespace vs {

TPluginEditorForm::TPluginEditorForm() : QWidget(nullptr, Qt::Tool) {
  setObjectName("PluginEditorForm");
  // The plug-in's window becomes a child of this one.
  setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
}

void* TPluginEditorForm::NativeHandle() { return reinterpret_cast<void*>(winId()); }

void TPluginEditorForm::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void TPluginEditorForm::SetBounds(int left, int top, int width, int height) {
  setFixedSize(std::max(width, 1), std::max(height, 1));
  // The window is made already (the plug-in has its handle): a move places
  // its client, the place that Position reads back. The place follows the
  // program's rule for the frame around it: on the screen, off the main
  // window's caption and menu bar; one never given (4, 4) is beside the
  // main window.
  const bool given = left != 4 || top != 4;
  const QPoint frame = FrameOffset(this);
  const QPoint at =
      MoveIntoPlace(this, QPoint(left, top) - frame, given ? TKeepClear::Caption : TKeepClear::MainWindow);
  move(at + frame);
}

void TPluginEditorForm::SetVisible(bool visible) { QWidget::setVisible(visible); }

bool TPluginEditorForm::Visible() const { return isVisible(); }

void TPluginEditorForm::closeEvent(QCloseEvent* event) {
  // A closed window would lose its native window, and the plug-in's with it.
  event->ignore();
  hide();
}

void TPluginEditorForm::Position(int& left, int& top) const {
  left = geometry().x();
  top = geometry().y();
}

bool PluginEditorsPossible() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

std::unique_ptr<TPluginEditorWindow> TQtPluginEditorFactory::CreateEditorWindow() {
  if (!PluginEditorsPossible()) return nullptr;
  return std::make_unique<TPluginEditorForm>();
}

}  // namespace vs
