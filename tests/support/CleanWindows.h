#pragma once
// Window tests start with the pointer resting outside every window, no
// button or modifier key held. A pointer left where the last test put it
// would swallow the next test's move to that same spot (no move event goes
// out for a pointer that stays put): the hover, cursor shape or tip that
// test checks would never come. A button a test pressed and never let go
// stays held for the application and for QTest alike: every later move
// would be a drag, and the hovers and tips that only come to a free pointer
// would not. A key click with Ctrl or Alt leaves the application counting
// the modifier as held until the next key or press.
// A window suite installs it with its other resets:
//
//   static const bool Clean = vs::testing::StartEachTestClean(&vs::testing::ParkPointer);

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace vs::testing {

// Lets go of the buttons and modifier keys still held, through releases of
// their own.
inline void LetGo() {
  struct TSink : QWidget {
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void keyReleaseEvent(QKeyEvent* e) override { e->accept(); }
  };
  const Qt::MouseButtons held = QGuiApplication::mouseButtons() | QTestPrivate::qtestMouseButtons;
  if (held == Qt::NoButton && QGuiApplication::keyboardModifiers() == Qt::NoModifier) return;
  TSink sink;
  for (const Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton, Qt::ForwardButton})
    if (held & b) QTest::mouseRelease(&sink, b);
  if (QGuiApplication::keyboardModifiers() != Qt::NoModifier) QTest::keyRelease(&sink, Qt::Key_Control);
}

// A double click the way a user makes it, ending with the button let go.
// QTest's double click on a widget sends the double-click event alone and
// leaves its button held.
inline void DoubleClick(QWidget* widget, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers keys = {}) {
  QTest::mouseDClick(widget, button, keys, pos);
  QTest::mouseRelease(widget, button, keys, pos);
}

inline void ParkPointer() {
  if (QCoreApplication::instance() == nullptr) return;  // made by the first test
  LetGo();
  QCursor::setPos(-20000, -20000);
  QCoreApplication::processEvents();
}

}  // namespace vs::testing
