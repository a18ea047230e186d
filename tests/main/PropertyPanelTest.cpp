// The property panel's two directions and its guards: showing a figure
// never edits it, edits reach only the selected figure and only with the
// lock up and a class chosen, new figures take the panel's values, and the
// line-style, clamping and page rules. Guards against a panel that writes
// back what it shows, a lock that leaks edits, an edit that redraws once
// per setter, and a page switch that presses the lock.
#include "MainWindowSupport.h"

#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "figures/Streams.h"
#include "ui/ClassPages.h"
#include "ui/Controls.h"
#include "ui/FontDialog.h"

namespace {

using PanelTest = MainWindowTest;

std::vector<uint8_t> RecordOf(const TBasicFigure& Figure) {
  TMemoryStream stream;
  Figure.SaveToStream(stream);
  return stream.TakeData();
}

TEST_F(PanelTest, PickingAClassLocksThePanelForTheNextFigure) {
  NewImage();
  TBasicFigure* first = Draw(2, {10, 10}, {60, 50});
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(List().btnObjectLock->isChecked()) << "a drawn figure releases the lock";
  PickClass(5);
  EXPECT_TRUE(List().btnObjectLock->isChecked());
  EXPECT_EQ(Panel().pcObjectsSpecificProps->currentIndex(), 4);
  EXPECT_EQ(Main->ImageWindow()->FFigureClass, &TFigureEllipse::Class);
  const std::vector<uint8_t> before = RecordOf(*first);
  Panel().cbLineColor->SetColor(0x000000FF);
  Panel().cbBgStyle->setCurrentIndex(bsCross);
  EXPECT_EQ(RecordOf(*first), before) << "the lock keeps the selected figure";

  TBasicFigure* ellipse = Draw(5, {80, 80}, {120, 110});
  ASSERT_NE(ellipse, first);
  EXPECT_EQ(ellipse->PenColor(), TColor(0x000000FF));
  EXPECT_EQ(AsFilled(ellipse)->BrushStyle(), bsCross);
  EXPECT_EQ(ellipse->PenStyle(), psInsideFrame);
  EXPECT_EQ(ellipse->Angle(), 0) << "the hidden fields read their first value";
  EXPECT_EQ(ellipse->Scale(), 0);

  // Lock up again: edits change the new ellipse at once.
  Panel().speditLineWidth->setValue(3);
  EXPECT_EQ(ellipse->PenWidth(), 3);
  EXPECT_EQ(first->PenWidth(), 1);
}

TEST_F(PanelTest, ShowingAFigureChangesNoneOfItsProperties) {
  NewImage();
  auto rect = TFigureRectangle::Class.Create(Main->ImageWindow()->DrawingCanvas());
  rect->SetPenStyle(psSolid);
  rect->SetPenWidth(7000);
  rect->SetScale(-90);
  rect->SetAngle(1234);
  rect->SetPenMode(pmXor);
  AsFilled(rect.get())->SetBrushColor(0x00123456);
  TBasicFigure* figure = Collection().Add(std::move(rect));
  const std::vector<uint8_t> before = RecordOf(*figure);
  List().RebuildObjectList();
  List().UpdateObjectControls();
  List().SelectFigureItem(figure);
  EXPECT_EQ(RecordOf(*figure), before);
  EXPECT_EQ(Panel().cbLineStyle->currentIndex(), 0) << "the solid style shows as item 0";
  EXPECT_EQ(Panel().speditLineWidth->value(), 5000);
  EXPECT_EQ(Panel().speditScale->value(), -5);
  EXPECT_EQ(Panel().cbPenMode->currentIndex(), int(pmXor));
  EXPECT_EQ(Panel().cbBgColor->Color(), TColor(0x00123456));
  EXPECT_EQ(Panel().cbClassSelector->currentIndex(), 2);
  EXPECT_EQ(Main->ImageWindow()->FFigureClass, &TFigureRectangle::Class);

  // The next edit writes the whole panel: the inside-frame style for item
  // 0, the clamped width and scale; the hidden angle passes unchanged.
  Panel().cbBgStyle->setCurrentIndex(bsHorizontal);
  EXPECT_EQ(figure->PenStyle(), psInsideFrame);
  EXPECT_EQ(figure->PenWidth(), 5000);
  EXPECT_EQ(figure->Scale(), -5);
  EXPECT_EQ(figure->Angle(), 1234);
  EXPECT_EQ(AsFilled(figure)->BrushStyle(), bsHorizontal);
}

TEST_F(PanelTest, AStoredOrdinalNoListItemNamesIsKeptByEdits) {
  NewImage();
  auto line = TFigurePolyLine::Class.Create(Main->ImageWindow()->DrawingCanvas());
  line->SetPenMode(TPenMode(200));
  line->SetPenStyle(TPenStyle(9));
  TBasicFigure* figure = Collection().Add(std::move(line));
  List().RebuildObjectList();
  List().UpdateObjectControls();
  List().SelectFigureItem(figure);
  EXPECT_EQ(Panel().cbPenMode->currentIndex(), -1);
  Panel().speditLineWidth->setValue(2);
  EXPECT_EQ(figure->PenWidth(), 2);
  EXPECT_EQ(figure->PenMode(), TPenMode(200));
  EXPECT_EQ(figure->PenStyle(), TPenStyle(9));
}

TEST_F(PanelTest, OneEditRedrawsTheImageOnce) {
  NewImage();
  TBasicFigure* figure = Draw(2, {10, 10}, {60, 50});
  int redraws = 0;
  figure->OnChange = [&](TBasicFigure*) { ++redraws; };
  figure->SetUpdating(false);
  Panel().cbLineColor->SetColor(0x0000FF00);
  EXPECT_EQ(figure->PenColor(), TColor(0x0000FF00));
  EXPECT_EQ(redraws, 0) << "the setters' notices are held back; the panel redraws once itself";
  EXPECT_FALSE(figure->Updating()) << "and the figure's notices are live again afterwards";
}

TEST_F(PanelTest, SwitchingPagesChoosesTheClassButLeavesTheLock) {
  NewImage();
  TBasicFigure* figure = Draw(2, {10, 10}, {60, 50});
  Panel().pcObjectsSpecificProps->setCurrentIndex(7);
  EXPECT_EQ(Panel().cbClassSelector->currentIndex(), 8);
  EXPECT_EQ(Main->ImageWindow()->FFigureClass, &TFigureText::Class);
  EXPECT_FALSE(List().btnObjectLock->isChecked());
  Panel().speditLineWidth->setValue(4);
  EXPECT_EQ(figure->PenWidth(), 4) << "with the lock up edits keep reaching the selected figure";

  // Item 0 chooses nothing: no edit applies and no figure is created.
  Panel().cbClassSelector->setCurrentIndex(0);
  Panel().cbClassSelectorSelect();
  Panel().speditLineWidth->setValue(9);
  EXPECT_EQ(figure->PenWidth(), 4);
  EXPECT_EQ(Main->ImageWindow()->FFigureClass, nullptr);
}

TEST_F(PanelTest, TextPageWritesTextAndPanelFont) {
  NewImage();
  TTextPage& page = *Panel().tsOSP_Text;
  TFont font = page.PanelFont();
  font.Height = -20;
  font.Style = fsItalic;
  page.SetPanelFont(font);
  page.edText->setText(QStringLiteral("План этажа"));
  TBasicFigure* figure = Draw(8, {30, 30}, {40, 40});
  const TFigureText* text = AsText(figure);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), "\xCF\xEB\xE0\xED \xFD\xF2\xE0\xE6\xE0");
  EXPECT_EQ(text->Font(), font);
  // A character the stored text cannot hold is refused as it is typed.
  QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("图"));
  QApplication::sendEvent(page.edText, &typed);
  EXPECT_EQ(page.edText->text(), QStringLiteral("План этажа"));
}

TEST_F(PanelTest, SpinEditsReadTextThatIsNotANumberAsTheirMinimum) {
  TRangeSpinBox field;
  field.setRange(1, 500);
  field.setValue(40);
  const auto type = [&](const QString& Text) {
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClicks(&field, Text);
  };
  type(QStringLiteral("abc"));
  EXPECT_EQ(field.ReadValue(), 1);
  type(QStringLiteral("900"));
  EXPECT_EQ(field.ReadValue(), 900) << "read as typed; clamped when the field is left";
}

}  // namespace

namespace {

TEST_F(PanelTest, TheFontDialogsApplyEditsWhileItStaysOpenAndCancelKeepsIt) {
  NewImage();
  TTextPage& page = *Panel().tsOSP_Text;
  TFont installed = page.PanelFont();
  installed.Name = "DejaVu Sans";
  page.SetPanelFont(installed);
  TBasicFigure* figure = Draw(8, {30, 30}, {40, 40});
  const TFont before = AsText(figure)->Font();
  QFont bold = ToQFont(before);
  bold.setBold(true);
  WithModal([&] { page.btnFontSelect->click(); },
            [&](QWidget* Dialog) {
              ASSERT_EQ(Dialog, page.dlgFontSelect);
              page.dlgFontSelect->FontChooser->setCurrentFont(bold);
              page.dlgFontSelect->btnApply->click();
              EXPECT_EQ(AsText(figure)->Font().Style, fsBold) << "applied while the dialog is open";
              EXPECT_TRUE(Dialog->isVisible());
              // Escape in the chooser ends the whole dialog as cancelled.
              QTest::keyClick(page.dlgFontSelect->FontChooser, Qt::Key_Escape);
            });
  EXPECT_FALSE(page.dlgFontSelect->isVisible());
  EXPECT_EQ(AsText(figure)->Font().Style, fsBold);
  EXPECT_EQ(AsText(figure)->Font().Name, before.Name);
  EXPECT_EQ(AsText(figure)->Font().Height, before.Height) << "a size left alone keeps its stored form";
}

}  // namespace
