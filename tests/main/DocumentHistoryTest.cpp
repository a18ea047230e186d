// The document's undo history over real images: a step writes only the
// entries the collection noted as changed and an undo reads back only what
// its step changed, so a change the collection failed to note, or an entry
// read back wrongly, shows as a container that differs from the one the
// image had in that state. Each state is compared byte for byte with the
// container written whole when it was reached.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "canvas/IdleCanvas.h"
#include "figures/Streams.h"
#include "support/RandomFigures.h"
#include "ui/Document.h"

namespace {

TImageState Container(const TFiguresCollection& Image) {
  TMemoryStream bytes;
  Image.SaveToStream(bytes);
  return bytes.TakeData();
}

class TRandomImageEdits {
 public:
  explicit TRandomImageEdits(unsigned Seed) : FRandom(Seed) {}

  int Uniform(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRandom); }
  TPoint AnyPoint() { return {Uniform(0, 300), Uniform(0, 200)}; }
  // Figures of every class, pictures and texts among them.
  void AddFigures(TFiguresCollection& Image, int Count) {
    for (; Count > 0; --Count) Image.Add(RandomFigure(FRandom, Image.Canvas(), {0, 0, 300, 200}, 60));
  }

  // One edit at random; a hit test alone changes only the found points.
  void Edit(TFiguresCollection& Image) {
    TBasicFigure* figure = Image.Count() > 0 ? Image.NodeAt(Uniform(0, Image.Count() - 1))->Figure : nullptr;
    switch (Uniform(0, 8)) {
      case 0: AddFigures(Image, Uniform(1, 3)); break;
      case 1: if (figure) Image.Remove(figure, true); break;
      case 2: if (figure) Image.MoveFigure(figure, Uniform(0, 1) == 0 ? -1 : 1); break;
      case 3: if (figure) figure->MoveBy({Uniform(-9, 9), Uniform(-9, 9)}); break;
      case 4: if (figure) figure->SetPenWidth(Uniform(0, 12)); break;
      case 5:
        if (TVertexList* vertices = AsVertexList(figure)) vertices->AddPointXY(Uniform(0, 300), Uniform(0, 200));
        break;
      case 6: Image.FigureAt(AnyPoint(), Uniform(1, 40)); break;
      case 7: Image.SetSelected(figure); break;
      default: if (Uniform(0, 5) == 0) Image.SetBackgroundColor(uint32_t(FRandom()) & 0xFFFFFF); break;
    }
  }

 private:
  std::mt19937 FRandom;
};

TEST(DocumentHistory, EveryStepUndoAndRedoGivesTheContainerOfItsStateByteForByte) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    TRandomImageEdits edits(seed);
    TDocument document;
    auto image = std::make_unique<TFiguresCollection>(&IdleCanvas(), TRect{0, 0, 320, 240});
    edits.AddFigures(*image, edits.Uniform(0, 40));
    document.Open(std::move(image));
    TFiguresCollection& collection = *document.Collection();
    std::vector<TImageState> states{Container(collection)};  // the oracle
    size_t current = 0;
    for (int step = 0; step < 120; ++step) {
      for (int n = edits.Uniform(1, 3); n > 0; --n) edits.Edit(collection);
      document.StepDone();
      const TImageState now = Container(collection);
      ASSERT_EQ(document.State(), now) << "seed " << seed << " step " << step;
      if (now != states[current]) {
        states.resize(current + 1);
        states.push_back(now);
        ++current;
      }
      // Hit tests between steps change found points the step never saw.
      if (edits.Uniform(0, 3) == 0) collection.FigureAt(edits.AnyPoint(), 30);
      for (int moves = edits.Uniform(0, 4); moves > 0; --moves) {
        if (edits.Uniform(0, 1) == 0 && document.CanUndo()) {
          document.Undo();
          --current;
        } else if (document.CanRedo()) {
          document.Redo();
          ++current;
        } else {
          continue;
        }
        ASSERT_EQ(Container(collection), states[current]) << "seed " << seed << " step " << step;
        ASSERT_EQ(document.State(), states[current]);
      }
    }
  }
}

}  // namespace
