// The image window's keys: Delete and the clipboard keys Ctrl+C, Ctrl+X
// and Ctrl+V, previewed before the controls and before any shortcut.
// Guards against a key handled twice while it passes up the parents, a
// shortcut or a control taking a key the window consumes, a figure deleted
// by the window itself, a paste that lands in the wrong place or not on
// top, and a damaged clipboard reaching the user.
#include "ImageWindowSupport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSlider>
#include <QWindow>

#include "document/ClipBoardUnit.h"
#include "figures/BitmapPicture.h"
#include "figures/Streams.h"
#include "picture/HandBuiltBmp.h"

namespace {

class KeysTest : public ImageWindowTest {
 protected:
  void SetUp() override {
    ImageWindowTest::SetUp();
    QGuiApplication::clipboard()->clear();
  }

  // As the platform delivers a key: through the window, shortcut override
  // first.
  void PlatformKey(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::keyClick(Window->windowHandle(), Key, Modifiers);
  }

  // A shortcut of the window that counts its activations.
  int* AddShortcut(const QKeySequence& Keys) {
    auto* action = new QAction(Window.get());
    action->setShortcut(Keys);
    Window->addAction(action);
    FActivations.push_back(std::make_unique<int>(0));
    int* count = FActivations.back().get();
    QObject::connect(action, &QAction::triggered, [count] { ++*count; });
    return count;
  }

 private:
  std::vector<std::unique_ptr<int>> FActivations;
};

TEST_F(KeysTest, DeleteRequestsDeletionOnceWhateverTheModifiers) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  PlatformKey(Qt::Key_Delete);
  // Sent straight to a control: the event passes up through the parents but
  // is seen once.
  QTest::keyClick(Surface(), Qt::Key_Delete, Qt::ShiftModifier);
  QTest::keyClick(Window->tbHoriz, Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(Actions.size(), 3u);
  for (const TRecordedAction& a : Actions) {
    EXPECT_EQ(a.Action, faDeleteRequest);
    EXPECT_EQ(a.Figure, rect);
    EXPECT_EQ(a.Sender, Window.get());
  }
  // The window never deletes a figure itself.
  EXPECT_EQ(Collection->Count(), 1);
}

TEST_F(KeysTest, DeleteWithoutASelectedFigureStillRequests) {
  PlatformKey(Qt::Key_Delete);
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faDeleteRequest);
  EXPECT_EQ(Actions[0].Figure, nullptr);
}

TEST_F(KeysTest, ConsumedKeysBeatShortcutsAndOthersReachThem) {
  AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  int* deleteShortcut = AddShortcut(QKeySequence(Qt::Key_Delete));
  int* cutShortcut = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  int* copyShortcut = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  int* otherShortcut = AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));

  PlatformKey(Qt::Key_Delete);
  EXPECT_EQ(*deleteShortcut, 0);
  PlatformKey(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(*cutShortcut, 0);
  EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faDeleteRequest, faDeleteRequest}));

  // Copy is seen by the window and still passed on.
  PlatformKey(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(*copyShortcut, 1);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->hasFormat(QString::fromLatin1(CF_FIGURE.Name)), true);
  PlatformKey(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(*otherShortcut, 1);
  EXPECT_EQ(Actions.size(), 2u);
}

TEST_F(KeysTest, OtherKeysReachTheFocusedControl) {
  auto wide = std::make_unique<TFiguresCollection>(nullptr, TRect{0, 0, 2000, 400});
  Window->SetImage(wide.get());
  ASSERT_EQ(Window->tbHoriz->maximum(), 30);
  QTest::keyClick(Window->tbHoriz, Qt::Key_Right);
  EXPECT_EQ(Window->tbHoriz->value(), 1);
  // Ctrl with a key that is not a clipboard key passes on as well.
  QTest::keyClick(Window->tbHoriz, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Window->tbHoriz->value(), 30);
  EXPECT_EQ(Actions.size(), 0u);
  Window->SetImage(Collection.get());
}

TEST_F(KeysTest, CutCopiesThenRequestsDeletion) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  QTest::keyClick(Surface(), Qt::Key_X, Qt::ControlModifier);
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faDeleteRequest);
  EXPECT_EQ(Actions[0].Figure, rect);
  EXPECT_EQ(Collection->Count(), 1);
  // What was cut pastes back as an equal figure.
  const std::unique_ptr<TBasicFigure> copy = PasteFigureFromClipboard();
  EXPECT_EQ(std::string(copy->ClassName()), "TFigureRectangle");
  EXPECT_EQ(PointsOf(*copy), (std::vector<TPoint>{{20, 20}, {60, 50}}));
}

TEST_F(KeysTest, ClipboardKeysWorkUnderTheRussianLayout) {
  TBasicFigure* rect = AddFigure<TFigureRectangle>({{20, 20}, {60, 50}});
  // The C, X and V keys report С, Ч and М there.
  const auto press = [this](int Key, const QString& Text) {
    QTest::sendKeyEvent(QTest::Click, Surface(), Qt::Key(Key), Text, Qt::ControlModifier);
  };
  press(0x0421, QStringLiteral("с"));
  press(0x041C, QStringLiteral("м"));
  EXPECT_EQ(Collection->Count(), 2);
  press(0x0427, QStringLiteral("ч"));
  ASSERT_EQ(Actions.size(), 2u);
  EXPECT_EQ(Actions[0].Action, faPasted);
  EXPECT_EQ(Actions[1].Action, faDeleteRequest);
  EXPECT_NE(Actions[1].Figure, rect) << "the pasted copy is the current figure";
}

TEST_F(KeysTest, CutWithoutASelectedFigureStillRequestsAndCopiesNothing) {
  QTest::keyClick(Surface(), Qt::Key_X, Qt::ControlModifier);
  ASSERT_EQ(Actions.size(), 1u);
  EXPECT_EQ(Actions[0].Action, faDeleteRequest);
  EXPECT_EQ(Actions[0].Figure, nullptr);
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData(), nullptr);
}

TEST_F(KeysTest, CopyWithoutASelectedFigureLeavesTheClipboard) {
  QTest::keyClick(Surface(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData(), nullptr);
  EXPECT_EQ(Actions.size(), 0u);
}

TEST_F(KeysTest, PasteAddsTheCopyTenPixelsUpAndLeftOnTop) {
  auto* rect = AddFigure<TFigureRectangle>({{20, 30}, {60, 70}});
  rect->SetBrushColor(0x0000FFu);  // red
  AddFigure<TFigureEllipse>({{100, 20}, {150, 60}});
  Collection->SetSelected(rect);
  QTest::keyClick(Surface(), Qt::Key_C, Qt::ControlModifier);
  const QImage before = Raster();
  EXPECT_EQ(Collection->Count(), 2);

  PlatformKey(Qt::Key_V, Qt::ControlModifier);
  PlatformKey(Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(Collection->Count(), 4);
  ASSERT_EQ(Actions.size(), 2u);
  for (uint16_t index : {2, 3}) {
    SCOPED_TRACE(index);
    auto* pasted = dynamic_cast<TFigureRectangle*>(Collection->GetFigure(index));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(PointsOf(*pasted), (std::vector<TPoint>{{10, 20}, {50, 60}}));
    EXPECT_EQ(pasted->BrushColor(), 0x0000FFu);
    EXPECT_EQ(pasted->Canvas(), Window->DrawingCanvas());
    EXPECT_EQ(Actions[index - 2].Action, faPasted);
    EXPECT_EQ(Actions[index - 2].Figure, pasted);
  }
  EXPECT_EQ(Collection->Selected(), Collection->GetFigure(3));
  // On the raster: red where only the copy lies, above the original.
  EXPECT_EQ(RgbAt(before, 15, 25), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(Raster(), 15, 25), 0xFF0000u);
  EXPECT_EQ(RgbAt(Raster(), 55, 65), 0xFF0000u);
}

TEST_F(KeysTest, PasteOfNothingOrOfDamagedDataChangesNothingAndShowsNothing) {
  QTest::keyClick(Surface(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Collection->Count(), 0);

  // A class nobody registered.
  TMemoryStream unknown;
  unknown.WriteInt32(8);
  unknown.WriteBuffer("TNothing", 8);
  unknown.Seek(0);
  PutStreamToClipboard(unknown, CF_FIGURE);
  QTest::keyClick(Surface(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Collection->Count(), 0);

  // A record cut short after its class name.
  TMemoryStream cut;
  cut.WriteInt32(16);
  cut.WriteBuffer("TFigureRectangle", 16);
  cut.WriteInt32(2);
  cut.Seek(0);
  PutStreamToClipboard(cut, CF_FIGURE);
  QTest::keyClick(Surface(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Collection->Count(), 0);

  EXPECT_EQ(Actions.size(), 0u);
  EXPECT_EQ(Reports, std::vector<QString>{});
}

TEST_F(KeysTest, APastedPictureTheImageHasNoRoomForIsRefusedWithAMessage) {
  // 8192 x 8192 in 512 KiB of run-length data: 128 MiB decoded.
  std::vector<uint8_t> data(512 * 1024, 0);
  data[1] = 1;
  const std::vector<uint8_t> bmp = BuildBmp(
      {.Width = 8192, .Height = 8192, .BitCount = 8, .Compression = 1, .ClrUsed = 1, .Palette = {0xFF}, .Bits = data});
  {
    TFigureBitmap figure(nullptr);
    TReadOnlyStream stream(bmp);
    figure.LoadPictureFromStream(stream);
    CopyFigureToClipboard(figure);
  }
  AddFigure<TFigureRectangle>({{10, 10}, {40, 30}});
  // Less room than the picture takes: it is refused before it is decoded.
  TPictureAllowance room(100u << 20);
  QTest::keyClick(Surface(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Collection->Count(), 1);
  EXPECT_EQ(Reports, std::vector<QString>{"Картинки изображения слишком велики "
                                          "(вместе больше 1 ГиБ в памяти)"});
}

}  // namespace

TEST_F(KeysTest, EscapeEndsTheFigureBeingDrawnAsTheRightButtonDoes) {
  Window->FFigureClass = &TFigurePolygon::Class;
  Click(20, 20);
  Click(80, 30);
  ASSERT_EQ(Window->Mode(), emDraw);
  const int steps = Steps;
  QTest::keyClick(Surface(), Qt::Key_Escape);
  EXPECT_EQ(Window->Mode(), emSelect);
  EXPECT_EQ(Steps, steps + 1) << "the drawing is one finished step";
  EXPECT_EQ(PointsOf(*Collection->Selected()), (std::vector<TPoint>{{20, 20}, {80, 30}}));
  Click(150, 120);
  EXPECT_EQ(Collection->Count(), 2) << "the next press starts a new figure";
}

TEST_F(KeysTest, InsertPlacesEveryClassInTheMiddleOfTheViewSelected) {
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    Window->FFigureClass = cls;
    Actions.clear();
    QTest::keyClick(Surface(), Qt::Key_Insert);
    TBasicFigure* placed = Collection->Selected();
    ASSERT_NE(placed, nullptr) << cls->ClassName;
    EXPECT_EQ(&placed->ClassType(), cls);
    EXPECT_EQ(ActionKinds(), (std::vector<TFigureAction>{faCreated})) << cls->ClassName;
    ASSERT_GT(placed->PointsCount(), 0) << cls->ClassName;
    // The whole 200 x 150 image is shown: its middle is (100, 75), the box
    // 120 x 80 around it.
    for (const TPoint& p : placed->Points()) {
      EXPECT_TRUE(p.x >= 40 && p.x <= 160 && p.y >= 35 && p.y <= 115) << cls->ClassName << " " << p.x << ", " << p.y;
    }
    EXPECT_EQ(Window->Mode(), emSelect);
  }
  EXPECT_TRUE(Reports.empty());
}
