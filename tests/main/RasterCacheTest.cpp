// The raster after any sequence of edits made through the windows' own
// handlers is exactly a fresh full redraw of the image, markers included.
// Guards against the kept pixels below a changing figure going stale (a
// lower figure edited, the order changed, a figure removed, the background
// changed), markers left behind or taken away twice, and a batch that ends
// without drawing what it changed; in crowded images, against a redraw of
// the changed area that misses a figure meeting it, draws figures out of
// order or leaves pixels of a figure's old place behind.
#include "MainWindowSupport.h"

#include <QImage>
#include <QToolButton>

#include <random>

#include "canvas/RasterCanvas.h"
#include "figures/Streams.h"
#include "support/RandomFigures.h"
#include "ui/Controls.h"

namespace {

using RasterCacheTest = MainWindowTest;

// The image drawn from scratch on a raster of its own: the collection's
// bytes read into a new collection, which draws everything once.
QImage FreshRedraw(const TFiguresCollection& Image, QSize Size) {
  TMemoryStream bytes;
  Image.SaveToStream(bytes);
  bytes.Seek(0);
  std::unique_ptr<TFiguresCollection> copy = TFiguresCollection::CreateFromStream(nullptr, bytes);
  QImage raster(Size, QImage::Format_RGB32);
  raster.fill(Qt::white);
  TRasterCanvas canvas(raster);
  copy->SetCanvas(&canvas);
  return raster;
}

class TRandomEdits {
 public:
  TRandomEdits(MainWindowTest& Test, unsigned Seed) : FTest(Test), FRandom(Seed) {}

  int Uniform(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRandom); }
  QPoint AnyPoint() { return {Uniform(0, 239), Uniform(0, 179)}; }

  // One edit of a kind chosen at random; returns its name for the trace.
  const char* Step(TfrmMain& Main) {
    TfrmImage& window = *Main.ImageWindow();
    TFiguresCollection& image = *Main.Document().Collection();
    switch (Uniform(0, 9)) {
      case 0: {  // draw a figure of a random class
        FTest.PickClass(Uniform(1, 9));
        const int gestures = window.FFigureClass->Traits.Family == ffFourPoint ? 3 : 1;
        for (int g = 0; g < gestures; ++g) Drag(window, AnyPoint(), AnyPoint());
        if (window.FFigureClass->Traits.HasVertexList()) {
          Click(window, AnyPoint());
          window.imgDrawMouseUp(Qt::RightButton, {}, 0, 0);
        }
        return "draw";
      }
      case 1:  // press on whatever lies there: select, move or reshape it
      case 2: Drag(window, AnyPoint(), AnyPoint()); return "drag";
      case 3: {  // a control point of a random figure dragged
        if (image.Count() == 0) return "none";
        const TBasicFigure* figure = image.GetFigure(uint16_t(Uniform(0, image.Count() - 1)));
        if (figure->PointsCount() == 0) return "none";
        const TPoint p = figure->Point(Uniform(0, figure->PointsCount() - 1));
        Drag(window, QPoint(p.x, p.y), AnyPoint());
        return "reshape";
      }
      case 4: {  // restyle through the panel
        TPropertyPanel& panel = *Main.PropertyPanel;
        switch (Uniform(0, 3)) {
          case 0: panel.cbLineColor->SetColor(TColor(FRandom()) & 0xFFFFFF); break;
          case 1: panel.cbPenMode->setCurrentIndex(Uniform(0, 15)); break;
          case 2: panel.cbBgStyle->setCurrentIndex(Uniform(0, 7)); break;
          case 3: panel.speditLineWidth->setValue(Uniform(1, 4)); break;
        }
        return "restyle";
      }
      case 5:
        Main.ObjectList->btnObjectOpClick(Uniform(0, 1) == 0 ? Main.ObjectList->btnObjectUp
                                                              : Main.ObjectList->btnObjectDown);
        return "raise or lower";
      case 6: {
        int key = Qt::Key_Delete;
        window.FormKeyDown(key, Qt::NoModifier);
        return "delete";
      }
      case 7: {
        int copy = Qt::Key_C, paste = Qt::Key_V;
        window.FormKeyDown(copy, Qt::ControlModifier);
        window.FormKeyDown(paste, Qt::ControlModifier);
        return "paste";
      }
      case 8: image.SetBackgroundColor(TColor(FRandom()) & 0xFFFFFF); return "background";
      default: {  // pick an item of the object list
        QComboBox* list = Main.ObjectList->cbObjectSelect;
        if (list->count() == 0) return "none";
        list->setCurrentIndex(Uniform(0, list->count() - 1));
        Main.ObjectList->cbObjectSelectSelect();
        return "select";
      }
    }
  }

  // A figure from the middle of the drawing order, picked in the object
  // list, moved with the arrow keys: whole, by its key point, or far.
  const char* Nudge(TfrmMain& Main) {
    QComboBox* list = Main.ObjectList->cbObjectSelect;
    if (list->count() == 0) return "none";
    list->setCurrentIndex(Uniform(list->count() / 4, list->count() * 3 / 4));
    Main.ObjectList->cbObjectSelectSelect();
    const int arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ControlModifier, Qt::ShiftModifier};
    const Qt::KeyboardModifiers keys = modifiers[Uniform(0, 2)];
    for (int i = Uniform(1, 3); i > 0; --i) {
      int key = arrows[Uniform(0, 3)];
      Main.ImageWindow()->FormKeyDown(key, keys);
    }
    return "nudge";
  }

  // Count figures of every class: one part crowded in the top-left corner,
  // the rest spread over the image.
  void Populate(TFiguresCollection& Image, int Count) {
    const TRect crowd{10, 10, 90, 70}, whole{0, 0, 240, 180};
    UpdateInBatch(Image, [&] {
      for (int i = 0; i < Count; ++i)
        Image.Add(RandomFigure(FRandom, Image.Canvas(), i % 3 == 0 ? crowd : whole, 25));
    });
  }

 private:
  static void Click(TfrmImage& Window, QPoint P) {
    Window.imgDrawMouseDown(Qt::LeftButton, {Qt::NoModifier, Qt::LeftButton}, P.x(), P.y());
    Window.imgDrawMouseUp(Qt::LeftButton, {}, P.x(), P.y());
  }
  void Drag(TfrmImage& Window, QPoint From, QPoint To) {
    const Qt::KeyboardModifiers keys = Uniform(0, 5) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
    Window.imgDrawMouseDown(Qt::LeftButton, {keys, Qt::LeftButton}, From.x(), From.y());
    Window.imgDrawMouseMove({keys, Qt::LeftButton}, (From.x() + To.x()) / 2, (From.y() + To.y()) / 2);
    Window.imgDrawMouseMove({keys, Qt::LeftButton}, To.x(), To.y());
    Window.imgDrawMouseUp(Qt::LeftButton, {}, To.x(), To.y());
  }

  MainWindowTest& FTest;
  std::mt19937 FRandom;
};

TEST_F(RasterCacheTest, EverySequenceOfEditsLeavesTheRasterOfAFreshRedraw) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    NewImage(240, 180);
    TRandomEdits edits(*this, seed);
    for (int i = 0; i < 12; ++i) {
      Main->PropertyPanel->cbPenMode->setCurrentIndex(edits.Uniform(0, 15));
      Main->PropertyPanel->cbBgStyle->setCurrentIndex(edits.Uniform(0, 7));
      edits.Step(*Main);
    }
    for (int step = 0; step < 120; ++step) {
      const char* kind = edits.Step(*Main);
      const QImage& raster = Main->ImageWindow()->imgDraw->Image();
      const QImage expected = FreshRedraw(Collection(), raster.size());
      ASSERT_TRUE(raster == expected) << "after step " << step << " (" << kind << ")";
    }
    Main->CloseImage();
  }
}

// Enough figures that redrawing the changed area draws fewer than
// redrawing from the changed position up.
TEST_F(RasterCacheTest, AreaRedrawsOfCrowdedImagesLeaveTheRasterOfAFreshRedraw) {
  int64_t areaRedraws = 0;
  int steps = 0;
  for (unsigned seed = 11; seed <= 13; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    NewImage(240, 180);
    TRandomEdits edits(*this, seed);
    edits.Populate(Collection(), 300);
    for (int step = 0; step < 100; ++step, ++steps) {
      const char* kind = edits.Uniform(0, 1) == 0 ? edits.Nudge(*Main) : edits.Step(*Main);
      const QImage& raster = Main->ImageWindow()->imgDraw->Image();
      const QImage expected = FreshRedraw(Collection(), raster.size());
      ASSERT_TRUE(raster == expected) << "after step " << step << " (" << kind << ")";
    }
    areaRedraws += Collection().AreaRedraws();
    Main->CloseImage();
  }
  // Most of the changes took the area path.
  EXPECT_GT(areaRedraws, steps / 3);
}

}  // namespace
