// "Из буфера" with another program's picture on the clipboard. Guards
// against pixels changed on the way into the figure (alpha composited
// wrongly), a paste that is no single undoable step or happens when
// declined, a picture gone meanwhile reported as a failure, a huge declared size decoded before it is refused, and our own
// image losing to the PNG offered beside it.
#include "MainWindowSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QtEndian>

#include "document/ClipBoardUnit.h"

namespace {

using ClipboardPictureTest = MainWindowTest;

QByteArray Encoded(const QImage& Picture, const char* Format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  Picture.save(&buffer, Format);
  return bytes;
}

void Offer(const QString& MimeType, const QByteArray& Bytes) {
  auto* data = new QMimeData;
  data->setData(MimeType, Bytes);
  QGuiApplication::clipboard()->setMimeData(data);
}

// 3 x 2 pixels; the last, when Translucent, (200, 100, 0) at alpha 128,
// which over white is (227, 177, 127): (c * 128 + 255 * 127) / 255 rounded.
QImage Picture(bool Translucent = false) {
  QImage picture(3, 2, QImage::Format_ARGB32);
  const QRgb pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456, 0xFFFFFFFF, 0xFF000000};
  for (int i = 0; i < 6; ++i) picture.setPixel(i % 3, i / 3, pixels[i]);
  if (Translucent) picture.setPixel(2, 1, qRgba(200, 100, 0, 128));
  return picture;
}
const std::vector<uint32_t> kOpaque{0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
const std::vector<uint32_t> kOverWhite{0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0xE3B17F};

// A one-pixel PNG whose header declares Width x Height, its CRC-32 redone.
QByteArray PngDeclaring(uint32_t Width, uint32_t Height) {
  QByteArray png = Encoded(QImage(1, 1, QImage::Format_RGB32), "PNG");
  qToBigEndian(Width, png.data() + 16);
  qToBigEndian(Height, png.data() + 20);
  uint32_t crc = 0xFFFFFFFF;
  for (int i = 12; i < 29; ++i)
    for (uint32_t bit = 0, byte = uint8_t(png[i]); bit < 8; ++bit, byte >>= 1)
      crc = (crc >> 1) ^ (0xEDB88320 & (0 - ((crc ^ byte) & 1)));
  qToBigEndian(~crc, png.data() + 29);
  return png;
}

TEST_F(ClipboardPictureTest, GoesIntoTheOpenImageAsOneStepWhenAccepted) {
  NewImage(200, 150);
  Draw(2, {10, 10}, {60, 50});
  const std::vector<QString> before = ListTexts();
  Offer("image/png", Encoded(Picture(true), "PNG"));
  const auto paste = [this] { Main->Menu.mnMain_File_PasteFromBuff->trigger(); };
  WithModal(paste, [](QWidget* Box) { Answer(Box, QMessageBox::No); });
  EXPECT_EQ(ListTexts(), before);

  WithModal(paste, [](QWidget* Box) { Answer(Box, QMessageBox::Yes); });
  const TFigureBitmap* figure = AsPicture(Collection().Selected());
  ASSERT_NE(figure, nullptr);
  EXPECT_EQ(Collection().Tail()->Figure, figure);
  EXPECT_EQ(figure->Points(), (TDynPointsArray{{0, 0}, {3, 2}}));
  EXPECT_EQ(figure->Picture().Pixels().Rgb(), kOverWhite);
  EXPECT_EQ(Main->ImageWindow()->imgDraw->Image().pixel(2, 1), 0xFFE3B17F);
  EXPECT_EQ(ListTexts().front(), QString("Картинка 1"));

  Main->mn_MainClick(Main->Menu.mnMain_Edit_Undo);
  EXPECT_EQ(ListTexts(), before);

  // Taken back by its program while the question was open, the picture
  // leaves nothing to paste and nothing to report.
  Reports.clear();
  WithModal(paste, [](QWidget* Box) {
    QGuiApplication::clipboard()->clear();
    Answer(Box, QMessageBox::Yes);
  });
  EXPECT_EQ(ListTexts(), before);
  EXPECT_TRUE(Reports.empty()) << Reports.front().toStdString();
}

TEST_F(ClipboardPictureTest, OpensAsAnImageOfItsSizeWhenNoneIsOpen) {
  for (const auto& [mimeType, format] : {std::pair{"image/png", "PNG"}, std::pair{"image/bmp", "BMP"}}) {
    SCOPED_TRACE(mimeType);
    Offer(mimeType, Encoded(Picture(), format));
    Main->Menu.mnMain_File_PasteFromBuff->trigger();
    ASSERT_TRUE(Main->Document().IsOpen());
    EXPECT_EQ(Collection().ImageRect(), (TRect{0, 0, 3, 2}));
    EXPECT_EQ(Collection().Count(), 1);
    EXPECT_EQ(AsPicture(Collection().Selected())->Picture().Pixels().Rgb(), kOpaque);
    EXPECT_FALSE(Main->Document().CanUndo());
    Main->CloseImage();
  }
}

TEST_F(ClipboardPictureTest, DeclaredSizePastTheBudgetIsRefusedLosingNothing) {
  for (const auto& [png, message] :
       {std::pair{PngDeclaring(20000, 20000), "Точечный рисунок слишком велик (больше 256 МиБ в памяти)"},
        std::pair{PngDeclaring(40000, 1), "Картинка слишком велика (больше 32768 точек по стороне)"}}) {
    Offer("image/png", png);
    Main->Menu.mnMain_File_PasteFromBuff->trigger();
    EXPECT_EQ(Main->sbHelper->currentMessage(), QString("Изображение не открыто: ") + message);
    NewImage();
    Reports.clear();
    WithModal([this] { Main->Menu.mnMain_File_PasteFromBuff->trigger(); },
              [](QWidget* Box) { Answer(Box, QMessageBox::Yes); });
    EXPECT_EQ(Reports, std::vector<QString>{message});
    EXPECT_EQ(Collection().Count(), 0);
    Main->CloseImage();
  }
}

TEST_F(ClipboardPictureTest, OurOwnImageStillReplacesTheOpenOneWithoutAQuestion) {
  CopyImageToClipboard(TFiguresCollection(nullptr, TRect{0, 0, 70, 60}), Picture());
  NewImage();
  QTimer refuse;
  QObject::connect(&refuse, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->reject();
  });
  refuse.start(5);
  Main->Menu.mnMain_File_PasteFromBuff->trigger();
  EXPECT_EQ(Collection().ImageRect(), (TRect{0, 0, 70, 60}));
}

}  // namespace
