// The picture page: a picture loaded before a picture figure is drawn is
// staged for it, a JPEG preview is never handed to a figure, and the
// commands respect the lock. Guards against a staged picture lost or given
// twice, a JPEG smuggled into a figure as a bitmap, and a locked figure
// changed by a command.
#include "MainWindowSupport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "figures/Streams.h"
#include "support/TestData.h"
#include "ui/PicturePage.h"

namespace {

using PictureTest = MainWindowTest;

void LoadIntoPreview(MainWindowTest& Test, TPicturePage& Page, const std::filesystem::path& File) {
  Test.WithModal([&] { Page.btnImageClick(Page.btnImageLoad); },
                 [&](QWidget* Modal) {
                   auto* dialog = qobject_cast<QFileDialog*>(Modal);
                   ASSERT_NE(dialog, nullptr);
                   dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(File.string()));
                   QMetaObject::invokeMethod(dialog, "accept");
                 });
}

TEST_F(PictureTest, APictureLoadedBeforeDrawingGoesIntoTheNewFigure) {
  NewImage(300, 200);
  TBasicFigure* rect = Draw(2, {5, 5}, {20, 20});
  PickClass(9);
  ASSERT_TRUE(List().btnObjectLock->isChecked());
  TPicturePage& page = *Panel().tsOSP_Bitmap;
  LoadIntoPreview(*this, page, TestDataPath("bmpsuite/g/pal8.bmp"));
  EXPECT_FALSE(page.PreviewImage().isNull());
  EXPECT_TRUE(page.btnImageSave->isEnabled());
  EXPECT_EQ(AsPicture(rect), nullptr);

  TBasicFigure* figure = Draw(9, {30, 40}, {35, 45});
  const TFigureBitmap* picture = AsPicture(figure);
  ASSERT_NE(picture, nullptr);
  ASSERT_FALSE(picture->PictureEmpty());
  EXPECT_EQ(picture->Picture().Width(), 127);

  // Its picture now counts as set: a second edit does not hand it over
  // again, and the next picture figure takes the staged picture too.
  page.cbImageTransp->click();
  EXPECT_TRUE(picture->GetTransparent());
  TBasicFigure* second = Draw(9, {200, 10}, {210, 20});
  EXPECT_FALSE(AsPicture(second)->PictureEmpty());
}

TEST_F(PictureTest, AJpegPreviewIsNeverHandedToAFigure) {
  NewImage();
  PickClass(9);
  TPicturePage& page = *Panel().tsOSP_Bitmap;
  LoadIntoPreview(*this, page, TestDataPath("jpeg/testorig.jpg"));
  EXPECT_FALSE(page.PreviewImage().isNull());
  TBasicFigure* figure = Draw(9, {30, 40}, {90, 80});
  EXPECT_TRUE(AsPicture(figure)->PictureEmpty());
  EXPECT_TRUE(page.PreviewImage().isNull()) << "taken as a bitmap, the JPEG preview is empty";

  // With the figure selected and the lock up, a JPEG fails as a bitmap: the
  // preview shows it, the figure and the buttons stay as they were.
  ASSERT_FALSE(List().btnObjectLock->isChecked());
  const bool saveEnabled = page.btnImageSave->isEnabled();
  LoadIntoPreview(*this, page, TestDataPath("jpeg/testorig.jpg"));
  EXPECT_FALSE(page.PreviewImage().isNull());
  EXPECT_TRUE(AsPicture(figure)->PictureEmpty());
  EXPECT_EQ(page.btnImageSave->isEnabled(), saveEnabled);
  EXPECT_EQ(Reports, std::vector<QString>{});
}

}  // namespace

namespace {

TEST_F(PictureTest, SaveWritesTheSelectedPictureAndReportsAWriteThatFails) {
  NewImage(300, 200);
  PickClass(9);
  TPicturePage& page = *Panel().tsOSP_Bitmap;
  LoadIntoPreview(*this, page, TestDataPath("bmpsuite/g/rgb24.bmp"));
  const TFigureBitmap* figure = AsPicture(Draw(9, {10, 10}, {50, 50}));
  const auto saveAs = [&](const std::string& Path) {
    WithModal([&] { page.btnImageSave->click(); },
              [&](QWidget* Modal) {
                qobject_cast<QFileDialog*>(Modal)->findChild<QLineEdit*>("fileNameEdit")->setText(
                    QString::fromStdString(Path));
                QMetaObject::invokeMethod(Modal, "accept");
              });
  };
  saveAs(FilePath("saved.jpg"));
  EXPECT_EQ(ReadFileBytes(FilePath("saved.jpg")), figure->Picture().FileImage()) << "bitmap bytes whatever the name";
  EXPECT_EQ(Reports, std::vector<QString>{});
  saveAs("/proc/kresta-picture.bmp");
  EXPECT_EQ(Reports.size(), 1u) << "a picture that could not be written is not passed over in silence";
}

}  // namespace
