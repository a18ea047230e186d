// The new-image dialog: its fixed frame and defaults, the size fields that
// never give a value outside 10..2000 whatever is typed, the OK, Cancel, Esc
// and close-box results, keyboard order and focus, values kept between
// showings, and colours returned as held (a system colour as its reference).
// Guards against typed text lost on accept, out-of-range or garbage sizes,
// a system colour flattened to its current RGB value, and a dialog that
// forgets its last values.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <tuple>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <vector>

#include "canvas/RasterCanvas.h"
#include "ui/NewDialog.h"

namespace {

// Shows the dialog modally; Steps runs once it is up and must close it. A
// dialog still open after the deadline is rejected and the test fails.
int RunModal(TfrmNewDlg& Dialog, const std::function<void()>& Steps) {
  bool timedOut = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &Dialog, [&] {
    timedOut = true;
    Dialog.reject();
  });
  deadline.start(20000);
  QTimer::singleShot(0, &Dialog, Steps);
  const int result = Dialog.exec();
  EXPECT_EQ(timedOut, false) << "the dialog was not closed";
  return result;
}

// Replaces the field's text by typing.
void Type(TRangeSpinBox* Field, const QString& Text) {
  Field->selectAll();
  QTest::keyClick(Field, Qt::Key_Delete);
  QTest::keyClicks(Field, Text);
}

// The control of the dialog that holds the keyboard focus (a size field's
// focus sits in its inner editor).
QWidget* FocusedControl(TfrmNewDlg& Dialog) {
  QWidget* focus = Dialog.focusWidget();
  for (QWidget* control :
       std::vector<QWidget*>{Dialog.btnOK, Dialog.btnCancel, Dialog.colorbBackground, Dialog.spinedW, Dialog.spinedH})
    if (control == focus || control->isAncestorOf(focus)) return control;
  return focus;
}

int IndexOfColor(const TColorBox& Box, TColor Value) { return Box.findData(QVariant::fromValue<uint32_t>(Value)); }

// The centre pixel of an entry's swatch, 0x00BBGGRR.
TColor SwatchColor(const TColorBox& Box, int Index) {
  const QImage image = Box.itemIcon(Index).pixmap(Box.iconSize()).toImage();
  const QRgb p = image.pixel(image.width() / 2, image.height() / 2);
  return TColor(qRed(p)) | TColor(qGreen(p)) << 8 | TColor(qBlue(p)) << 16;
}

}  // namespace

TEST(NewDialog, FixedFrameCaptionAndLayout) {
  TfrmNewDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QString("Создать"));
  EXPECT_EQ(dialog.minimumSize(), QSize(167, 153));
  EXPECT_EQ(dialog.maximumSize(), QSize(167, 153));
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), true);
  EXPECT_EQ(flags.testFlag(Qt::WindowMinimizeButtonHint), false);
  EXPECT_EQ(flags.testFlag(Qt::WindowMaximizeButtonHint), false);
  EXPECT_EQ(flags.testFlag(Qt::WindowContextHelpButtonHint), false);

  EXPECT_EQ(dialog.Label1->text(), QString("Цвет фона"));
  EXPECT_EQ(dialog.Label1->pos(), QPoint(15, 10));
  EXPECT_EQ(dialog.colorbBackground->geometry(), QRect(10, 25, 145, 22));
  EXPECT_EQ(dialog.Label2->text(), QString("Ширина:"));
  EXPECT_EQ(dialog.spinedW->geometry(), QRect(95, 55, 60, 22));
  EXPECT_EQ(dialog.Label3->text(), QString("Высота:"));
  // A size's caption starts at 50 unless it would come closer than four
  // pixels to its field; then it ends there.
  for (const auto& [label, field, top] :
       {std::tuple{dialog.Label2, dialog.spinedW, 56}, std::tuple{dialog.Label3, dialog.spinedH, 88}}) {
    EXPECT_EQ(label->y(), top);
    EXPECT_EQ(label->x(), std::min(50, field->x() - 4 - label->width())) << label->text().toStdString();
  }
  EXPECT_EQ(dialog.spinedH->geometry(), QRect(95, 85, 60, 22));
  EXPECT_EQ(dialog.btnOK->text(), QString("OK"));
  EXPECT_EQ(dialog.btnOK->geometry(), QRect(5, 120, 70, 25));
  EXPECT_EQ(dialog.btnCancel->text(), QString("Отмена"));
  EXPECT_EQ(dialog.btnCancel->geometry(), QRect(85, 120, 70, 25));
}

TEST(NewDialog, StartsWithWhite650By400WithinTenToTwoThousand) {
  TfrmNewDlg dialog;
  EXPECT_EQ(dialog.BackgroundColor(), clWhite);
  EXPECT_EQ(dialog.colorbBackground->currentText(), QString("Белый"));
  EXPECT_EQ(dialog.Width(), 650);
  EXPECT_EQ(dialog.Height(), 400);
  for (TRangeSpinBox* field : {dialog.spinedW, dialog.spinedH}) {
    EXPECT_EQ(field->minimum(), 10);
    EXPECT_EQ(field->maximum(), 2000);
    EXPECT_EQ(field->singleStep(), 1);
  }
  // The arrow keys step by one and stop at the limits.
  dialog.spinedW->setValue(1999);
  QTest::keyClick(dialog.spinedW, Qt::Key_Up);
  QTest::keyClick(dialog.spinedW, Qt::Key_Up);
  EXPECT_EQ(dialog.spinedW->value(), 2000);
  dialog.spinedH->setValue(11);
  QTest::keyClick(dialog.spinedH, Qt::Key_Down);
  QTest::keyClick(dialog.spinedH, Qt::Key_Down);
  EXPECT_EQ(dialog.spinedH->value(), 10);
}

TEST(NewDialog, TypedSizesEndWithinRange) {
  struct TCase {
    const char* Typed;
    int Expected;
  };
  const TCase cases[] = {
      {"800", 800},   {"2000", 2000},
      {"10", 10},     {"2001", 2000},
      {"5000", 2000}, {"99999999999999999999", 2000},
      {"9", 10},      {"0", 10},
      {"-40", 10},    {"-99999999999999999999", 10},
      {"abc", 10},    {"", 10},
      {"12x", 10},    {" 77 ", 77},
      {"+", 10},
  };
  TfrmNewDlg dialog;
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string("typed '") + c.Typed + "'");
    // Enter in the field accepts through the default button.
    const int result = RunModal(dialog, [&] {
      Type(dialog.spinedW, QString::fromUtf8(c.Typed));
      Type(dialog.spinedH, QString::fromUtf8(c.Typed));
      QTest::keyClick(dialog.spinedH, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.Width(), c.Expected);
    EXPECT_EQ(dialog.Height(), c.Expected);
  }
}

TEST(NewDialog, TextStillBeingEditedCountsOnAccept) {
  TfrmNewDlg dialog;
  // While "2500" is typed the field passes through 250, a valid value; the
  // accept must not keep it.
  int valueWhileTyped = 0;
  const int result = RunModal(dialog, [&] {
    Type(dialog.spinedW, "2500");
    Type(dialog.spinedH, "xyz");
    valueWhileTyped = dialog.spinedW->value();
    dialog.accept();
  });
  EXPECT_EQ(valueWhileTyped, 250);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.Width(), 2000);
  EXPECT_EQ(dialog.Height(), 10);

  const int clicked = RunModal(dialog, [&] {
    Type(dialog.spinedW, "5");
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
  });
  EXPECT_EQ(clicked, QDialog::Accepted);
  EXPECT_EQ(dialog.Width(), 10);
}

TEST(NewDialog, OkCancelEscapeAndCloseBoxResults) {
  TfrmNewDlg dialog;
  EXPECT_EQ(RunModal(dialog, [&] { QTest::mouseClick(dialog.btnOK, Qt::LeftButton); }), QDialog::Accepted);
  EXPECT_EQ(RunModal(dialog, [&] { QTest::keyClick(dialog.focusWidget(), Qt::Key_Return); }), QDialog::Accepted);
  EXPECT_EQ(RunModal(dialog, [&] { QTest::mouseClick(dialog.btnCancel, Qt::LeftButton); }), QDialog::Rejected);
  EXPECT_EQ(RunModal(dialog, [&] { QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape); }), QDialog::Rejected);
  EXPECT_EQ(RunModal(dialog, [&] { QTest::keyClick(dialog.spinedW, Qt::Key_Escape); }), QDialog::Rejected);
  EXPECT_EQ(RunModal(dialog, [&] { dialog.close(); }), QDialog::Rejected);
}

TEST(NewDialog, OkIsDefaultAndFocusedAndTabFollowsTheDesignedOrder) {
  TfrmNewDlg dialog;
  EXPECT_EQ(dialog.btnOK->isDefault(), true);
  std::vector<QWidget*> visited;
  RunModal(dialog, [&] {
    visited.push_back(FocusedControl(dialog));
    for (int i = 0; i < 6; ++i) {
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
      visited.push_back(FocusedControl(dialog));
    }
    dialog.reject();
  });
  EXPECT_EQ(visited, (std::vector<QWidget*>{dialog.btnOK, dialog.btnCancel, dialog.colorbBackground, dialog.spinedW,
                                            dialog.spinedH, dialog.btnOK, dialog.btnCancel}));

  // Shown again after the focus was left on Cancel: OK has it again.
  QWidget* focusedAtStart = nullptr;
  RunModal(dialog, [&] {
    focusedAtStart = FocusedControl(dialog);
    dialog.reject();
  });
  EXPECT_EQ(focusedAtStart, dialog.btnOK);
}

// Centred on the screen, not on the window that owns it.
TEST(NewDialog, ShowsCentredOnTheScreen) {
  QWidget owner;
  owner.setGeometry(10, 10, 300, 200);
  owner.show();
  TfrmNewDlg dialog(&owner);
  QPoint offset;
  RunModal(dialog, [&] {
    offset = dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
    dialog.reject();
  });
  EXPECT_LE(std::abs(offset.x()), 1);
  EXPECT_LE(std::abs(offset.y()), 1);
}

TEST(NewDialog, ValuesAreKeptBetweenShowings) {
  TfrmNewDlg dialog;
  const int yellow = dialog.colorbBackground->findText("Жёлтый");
  ASSERT_GE(yellow, 0);
  RunModal(dialog, [&] {
    Type(dialog.spinedW, "800");
    Type(dialog.spinedH, "600");
    dialog.colorbBackground->setCurrentIndex(yellow);
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
  });
  EXPECT_EQ(dialog.BackgroundColor(), TColor(0x0000FFFF));

  int shownWidth = 0, shownHeight = 0;
  TColor shownColor = 0;
  const int result = RunModal(dialog, [&] {
    shownWidth = dialog.spinedW->value();
    shownHeight = dialog.spinedH->value();
    shownColor = dialog.colorbBackground->Color();
    dialog.reject();
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(shownWidth, 800);
  EXPECT_EQ(shownHeight, 600);
  EXPECT_EQ(shownColor, TColor(0x0000FFFF));
  EXPECT_EQ(dialog.spinedW->text(), QString("800"));
}

TEST(NewDialog, ColoursAreReturnedAsHeld) {
  TfrmNewDlg dialog;
  TColorBox& box = *dialog.colorbBackground;
  for (uint32_t i = 0; i <= 24; ++i) {
    SCOPED_TRACE("system colour " + std::to_string(i));
    const int index = IndexOfColor(box, clSystemColor + i);
    ASSERT_GE(index, 0);
    EXPECT_NE(box.itemText(index), QString());
    // The swatch shows the colour the reference resolves to now.
    EXPECT_EQ(SwatchColor(box, index), ColorToRGB(clSystemColor + i));
  }
  for (const TColor extended : {0x00C0DCC0u, 0x00F0CAA6u, 0x00F0FBFFu, 0x00A4A0A0u}) {
    const int index = IndexOfColor(box, extended);
    ASSERT_GE(index, 0);
    EXPECT_EQ(SwatchColor(box, index), extended);
  }

  const int buttonFace = IndexOfColor(box, clSystemColor + 15);
  const int result = RunModal(dialog, [&] {
    box.setCurrentIndex(buttonFace);
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.BackgroundColor(), TColor(0x8000000F));
}

TEST(NewDialog, CustomEntryTakesTheColourDialogsChoice) {
  TfrmNewDlg dialog;
  TColorBox& box = *dialog.colorbBackground;
  // Moving up onto the custom entry with the keyboard opens the colour
  // dialog; the timer answers it.
  const auto chooseCustom = [&](bool Accept) {
    QTimer::singleShot(0, &box, [Accept] {
      auto* colors = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(colors, nullptr);
      colors->setCurrentColor(QColor(0x11, 0x22, 0x33));
      if (Accept)
        colors->accept();
      else
        colors->reject();
    });
    box.setCurrentIndex(TColorBox::CustomIndex + 1);
    QTest::keyClick(&box, Qt::Key_Up);
  };
  TColor afterCancel = 0, afterAccept = 0;
  RunModal(dialog, [&] {
    chooseCustom(false);
    afterCancel = box.Color();
    chooseCustom(true);
    afterAccept = box.Color();
    dialog.accept();
  });
  EXPECT_EQ(afterCancel, box.itemData(TColorBox::CustomIndex + 1).value<uint32_t>());
  EXPECT_EQ(afterAccept, TColor(0x00332211));
  EXPECT_EQ(dialog.BackgroundColor(), TColor(0x00332211));
  EXPECT_EQ(SwatchColor(box, TColorBox::CustomIndex), TColor(0x00332211));
  // A colour that is not listed selects the custom entry with it.
  box.SetColor(0x00123456);
  EXPECT_EQ(box.currentIndex(), TColorBox::CustomIndex);
  EXPECT_EQ(dialog.BackgroundColor(), TColor(0x00123456));
}
