#include "editors/PluginEditorForm.h"

#include <QGuiApplication>

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
  move(left, top);
  setFixedSize(std::max(width, 1), std::max(height, 1));
}

void TPluginEditorForm::SetVisible(bool visible) { QWidget::setVisible(visible); }

bool TPluginEditorForm::Visible() const { return isVisible(); }

void TPluginEditorForm::Position(int& left, int& top) const {
  left = x();
  top = y();
}

bool PluginEditorsPossible() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

std::unique_ptr<TPluginEditorWindow> TQtPluginEditorFactory::CreateEditorWindow() {
  if (!PluginEditorsPossible()) return nullptr;
  return std::make_unique<TPluginEditorForm>();
}

}  // namespace vs
