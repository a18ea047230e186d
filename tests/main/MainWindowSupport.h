// The main window as the program builds it, driven through its own handlers
// and controls, with modal dialogs answered by a callback once they are up
// and every top-level error report recorded.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "document/Collection.h"
#include "figures/RealFigures.h"
#include "ui/Application.h"
#include "ui/Document.h"
#include "ui/MainUnit.h"
#include "ui/NewDialog.h"
#include "ui/ObjectList.h"
#include "ui/PropertyPanel.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
QT_END_NAMESPACE

class MainWindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    FPreviousReporter = TApplication::SetErrorReporter([this](const QString& Message) { Reports.push_back(Message); });
    Main = std::make_unique<TfrmMain>();
    Main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
    FFolder = std::filesystem::temp_directory_path() /
              ("kresta-main-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(FFolder);
    std::filesystem::create_directories(FFolder);
  }

  void TearDown() override {
    Main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::filesystem::remove_all(FFolder);
    TApplication::SetErrorReporter(FPreviousReporter);
  }

  // Runs Steps with the modal dialog that Action opens, once it is up; a
  // dialog never shown fails the test, and so does one the steps leave open
  // (it is rejected after a deadline). Answers are given by the steps.
  void WithModal(const std::function<void()>& Action, const std::function<void(QWidget*)>& Steps) {
    bool answered = false;
    bool timedOut = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || answered) return;
      answered = true;
      Steps(modal);
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
      timedOut = true;
      while (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
    });
    poll.start(5);
    deadline.start(20000);
    Action();
    poll.stop();
    EXPECT_TRUE(answered) << "no dialog was shown";
    EXPECT_FALSE(timedOut) << "a dialog was left open";
  }
  static void Accept(QWidget* Dialog) { static_cast<QDialog*>(Dialog)->accept(); }
  static void Reject(QWidget* Dialog) { static_cast<QDialog*>(Dialog)->reject(); }
  static void Answer(QWidget* Box, QMessageBox::StandardButton Button) {
    static_cast<QMessageBox*>(Box)->button(Button)->click();
  }

  // A new image of the dialog's size, as New does with OK.
  void NewImage(int Width = 200, int Height = 150) {
    Main->frmNewDlg->spinedW->setValue(Width);
    Main->frmNewDlg->spinedH->setValue(Height);
    WithModal([&] { Main->OpenImage(isNew); }, Accept);
  }

  // A figure drawn in the image window with the mouse after picking its
  // class, as a person draws a two-point figure.
  TBasicFigure* Draw(int ClassItem, QPoint From, QPoint To) {
    PickClass(ClassItem);
    QWidget* surface = Main->ImageWindow()->imgDraw;
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, From);
    QTest::mouseMove(surface, (From + To) / 2);
    QTest::mouseMove(surface, To);
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, To);
    return Collection().Selected();
  }

  // The user's pick of a class-selector item.
  void PickClass(int Item) {
    QComboBox* selector = Main->PropertyPanel->cbClassSelector;
    selector->setCurrentIndex(Item);
    emit selector->activated(Item);
  }

  TFiguresCollection& Collection() const { return *Main->Document().Collection(); }
  TPropertyPanel& Panel() const { return *Main->PropertyPanel; }
  TObjectList& List() const { return *Main->ObjectList; }

  std::vector<QString> ListTexts() const {
    std::vector<QString> texts;
    for (int i = 0; i < List().cbObjectSelect->count(); ++i) texts.push_back(List().cbObjectSelect->itemText(i));
    return texts;
  }

  std::string FilePath(const std::string& Name) const { return (FFolder / Name).string(); }

  std::unique_ptr<TfrmMain> Main;
  std::vector<QString> Reports;

 private:
  TApplication::TErrorReporter FPreviousReporter;
  std::filesystem::path FFolder;
};
