// The key preview of a window: every key pressed while the window or one of
// its controls has the focus goes to the window's handler first, before the
// control with the focus and before any shortcut.
#pragma once

#include <functional>

#include <QEvent>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

class TKeyPreview : public QObject {
 public:
  // Key: a Qt key code, set to 0 to consume the key. The clipboard keys
  // arrive as C, X and V whatever the keyboard layout. A failure the handler
  // raises goes to the top-level report.
  using TKeyHandler = std::function<void(int& Key, Qt::KeyboardModifiers Shift)>;

  // Watches the application's key events from now on, for those of Window;
  // a preview made later sees them first. Window must outlive the preview.
  TKeyPreview(QWidget& Window, TKeyHandler Handler);
  ~TKeyPreview() override;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  bool BelongsToWindow(QObject* Object) const;
  // True when the key event seen by Watched is one already previewed,
  // passing from the window or a child on to a parent.
  bool IsSameKeyDelivery(QObject* Watched, const QEvent* Event) const;
  // Runs the handler for a previewed key event; true when consumed.
  bool PreviewKey(QKeyEvent* Event);

  QWidget& FWindow;
  TKeyHandler FHandler;

  // The key event being previewed and the object that last saw it: the same
  // event passing on to a parent is not previewed again.
  const QEvent* FKeyEvent = nullptr;
  QEvent::Type FKeyEventType = QEvent::None;
  QPointer<QObject> FKeyWatcher;
  // The press announced by a previewed shortcut override: its key press
  // (when no shortcut takes it) is not previewed again.
  struct TPreviewedKey {
    int Key;
    Qt::KeyboardModifiers Modifiers;
    bool Consumed;
  };
  bool FHasPreviewedKey = false;
  TPreviewedKey FPreviewedKey{};
};
