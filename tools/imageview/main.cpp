// The image window on its own: a new white image, figure classes chosen with
// F1 to F9 (registry order) and F12 (none), Delete and Ctrl+X answered as
// the main window answers them, new figures given the panel's first values.
#include <QKeyEvent>
#include <QObject>

#include <memory>

#include "document/Collection.h"
#include "figures/Exceptions.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/ImgUnit.h"

namespace {

constexpr TColor clSkyBlue = 0x00F0CAA6u;

// Chooses the figure class from the function keys pressed in the window.
class TClassKeys : public QObject {
 public:
  explicit TClassKeys(TfrmImage& Window) : FWindow(Window) {}

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() != QEvent::KeyPress || !Watched->isWidgetType() ||
        static_cast<QWidget*>(Watched)->window() != &FWindow)
      return false;
    const int key = static_cast<QKeyEvent*>(Event)->key();
    const auto classes = RegisteredFigureClasses();
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + int(classes.size())) {
      FWindow.FFigureClass = classes[size_t(key - Qt::Key_F1)];
      return true;
    }
    if (key == Qt::Key_F12) {
      FWindow.FFigureClass = nullptr;
      return true;
    }
    return false;
  }

 private:
  TfrmImage& FWindow;
};

void ApplyFirstPanelValues(TBasicFigure& Figure) {
  Figure.SetPenStyle(psInsideFrame);
  Figure.SetPenWidth(1);
  if (auto* filled = dynamic_cast<TBinaryDimensionsFigure*>(&Figure)) filled->SetBrushColor(clSkyBlue);
  if (auto* text = dynamic_cast<TFigureText*>(&Figure)) text->SetText("Kresta");
}

}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::setApplicationDisplayName(QStringLiteral("Kresta"));

  auto collection = std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, 650, 400});
  try {
    collection->SetBackgroundColor(clWhite);
  } catch (const EAbort&) {
    // No canvas yet: the colour is drawn once the window attaches the image.
  }

  TfrmImage window;
  window.OnFigureAction = [&collection](TfrmImage* Sender, TBasicFigure* Figure, TFigureAction Action) {
    switch (Action) {
      case faCreated:
        if (Figure != nullptr) ApplyFirstPanelValues(*Figure);
        break;
      case faDeleteRequest:
        if (Figure != nullptr) collection->Remove(Figure, true);
        Sender->SetMode(emSelect);
        break;
      case faPasted:
      case faSelected: break;
    }
  };
  window.SetImage(collection.get());
  TClassKeys classKeys(window);
  app.installEventFilter(&classKeys);
  window.show();
  const int result = app.exec();
  window.SetImage(nullptr);
  collection.reset();
  return result;
}
