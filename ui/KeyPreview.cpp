#include "ui/KeyPreview.h"

#include <utility>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "ui/Application.h"

namespace {

// The clipboard keys are the keys that carry C, X and V in the Latin layout,
// whatever layout is active: under the standard Russian layout the same keys
// report the Cyrillic letters С, Ч and М.
int LayoutIndependentKey(int Key) {
  switch (Key) {
    case 0x0421: return Qt::Key_C;  // С
    case 0x0427: return Qt::Key_X;  // Ч
    case 0x041C: return Qt::Key_V;  // М
    default: return Key;
  }
}

}  // namespace

TKeyPreview::TKeyPreview(QWidget& Window, TKeyHandler Handler) : FWindow(Window), FHandler(std::move(Handler)) {
  QCoreApplication::instance()->installEventFilter(this);
}

TKeyPreview::~TKeyPreview() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool TKeyPreview::BelongsToWindow(QObject* Object) const {
  if (Object->isWidgetType()) return static_cast<QWidget*>(Object)->window() == &FWindow;
  return Object == FWindow.windowHandle() && Object != nullptr;
}

bool TKeyPreview::IsSameKeyDelivery(QObject* Watched, const QEvent* Event) const {
  if (Event != FKeyEvent || Event->type() != FKeyEventType || FKeyWatcher.isNull()) return false;
  if (!Watched->isWidgetType()) return false;
  // The platform window hands its key events on to its widgets; a widget
  // that ignores one passes it on to its parent.
  if (!FKeyWatcher->isWidgetType()) return true;
  return static_cast<QWidget*>(Watched)->isAncestorOf(static_cast<QWidget*>(FKeyWatcher.data()));
}

bool TKeyPreview::PreviewKey(QKeyEvent* Event) {
  int key = LayoutIndependentKey(Event->key());
  ReportFailures([&] {
    if (FHandler) FHandler(key, Event->modifiers());
  });
  return key == 0;
}

// The shortcut override that precedes each press goes to the window before
// any shortcut can take the key, and the press itself before the control with
// the focus. A key consumed at the override is accepted there (no shortcut
// fires) and its press is swallowed.
bool TKeyPreview::eventFilter(QObject* Watched, QEvent* Event) {
  const QEvent::Type type = Event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  if (!BelongsToWindow(Watched)) return false;
  if (type == QEvent::KeyRelease) {
    FHasPreviewedKey = false;
    FKeyEvent = nullptr;
    return false;
  }
  if (IsSameKeyDelivery(Watched, Event)) {
    FKeyWatcher = Watched;
    return false;
  }

  auto* keyEvent = static_cast<QKeyEvent*>(Event);
  FKeyEvent = Event;
  FKeyEventType = type;
  FKeyWatcher = Watched;
  bool consumed;
  if (type == QEvent::KeyPress && FHasPreviewedKey && FPreviewedKey.Key == keyEvent->key() &&
      FPreviewedKey.Modifiers == keyEvent->modifiers()) {
    consumed = FPreviewedKey.Consumed;
    FHasPreviewedKey = false;
  } else {
    consumed = PreviewKey(keyEvent);
    FHasPreviewedKey = type == QEvent::ShortcutOverride;
    FPreviewedKey = {keyEvent->key(), keyEvent->modifiers(), consumed};
  }
  if (!consumed) return false;
  Event->accept();
  return true;
}
