// The top-level error report: what escapes an event handler is shown by
// kind (a silent abort not at all), and the event loop goes on.
// Guards against a failure that ends the program, an abort shown to the
// user, a message that loses its text, and a reporter that cannot be put
// back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <stdexcept>
#include <vector>

#include "figures/Exceptions.h"
#include "ui/Application.h"

namespace {

// Raises from its event handler whatever it is told to.
class TThrowingObject : public QObject {
 public:
  std::function<void()> Raise;
  int Handled = 0;

 protected:
  bool event(QEvent* Event) override {
    if (Event->type() != QEvent::User) return QObject::event(Event);
    ++Handled;
    Raise();
    return true;
  }
};

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FPrevious =
        TApplication::SetErrorReporter([this](const QString& Message) { Shown.push_back(Message.toStdString()); });
  }
  void TearDown() override { TApplication::SetErrorReporter(FPrevious); }

  void Deliver(std::function<void()> Raise) {
    Object.Raise = std::move(Raise);
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&Object, &event);
  }

  TThrowingObject Object;
  std::vector<std::string> Shown;

 private:
  TApplication::TErrorReporter FPrevious;
};

TEST_F(ApplicationTest, TheProgramRunsOnItsOwnApplication) {
  EXPECT_NE(dynamic_cast<TApplication*>(QCoreApplication::instance()), nullptr);
}

TEST_F(ApplicationTest, FailuresEscapingHandlersAreShownByKind) {
  Deliver([] { throw EAbort("Canvas undefined"); });
  Deliver([] { throw ERangeError(); });
  Deliver([] { throw EFileError("Cannot open file \"a.kri\". No such file"); });
  Deliver([] { throw std::runtime_error("plain failure"); });
  Deliver([] { throw 42; });
  EXPECT_EQ(Object.Handled, 5);
  // In the interface's language; the system's reason and the quoted name
  // as they are.
  EXPECT_EQ(Shown,
            (std::vector<std::string>{"Выход за границы массива", "Не удаётся открыть файл \"a.kri\". No such file",
                                      "plain failure", "Неизвестная ошибка"}));
  // Delivery goes on as before.
  Deliver([] {});
  EXPECT_EQ(Object.Handled, 6);
  EXPECT_EQ(Shown.size(), 4u);
}

TEST_F(ApplicationTest, HandleExceptionDecidesAsTheEventLoopDoes) {
  TApplication::HandleException(std::make_exception_ptr(EAbort("Asked point not found")));
  TApplication::HandleException(nullptr);
  TApplication::HandleException(std::make_exception_ptr(EOutOfMemory()));
  TApplication::ShowException(EAbort("shown when asked directly"));
  EXPECT_EQ(Shown, (std::vector<std::string>{"Недостаточно памяти", "shown when asked directly"}));
}

TEST_F(ApplicationTest, MessagesKeepNonAsciiText) {
  TApplication::ShowException(std::runtime_error("Файл \"рисунок.kri\""));
  EXPECT_EQ(Shown, (std::vector<std::string>{"Файл \"рисунок.kri\""}));
}

TEST_F(ApplicationTest, DefaultReporterIsACriticalMessageBoxCaptionedKresta) {
  TApplication::SetErrorReporter(nullptr);
  struct TSeen {
    bool Found = false;
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
  } seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
    box->button(QMessageBox::Ok)->click();
  });
  Deliver([] { throw ERangeError(); });
  ASSERT_EQ(seen.Found, true);
  EXPECT_EQ(seen.Title.toStdString(), "Kresta");
  EXPECT_EQ(seen.Text.toStdString(), "Выход за границы массива");
  EXPECT_EQ(seen.Icon, QMessageBox::Critical);
  EXPECT_EQ(seen.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(Shown.size(), 0u);
}

TEST_F(ApplicationTest, SetErrorReporterReturnsThePreviousOne) {
  std::vector<std::string> other;
  TApplication::TErrorReporter mine =
      TApplication::SetErrorReporter([&other](const QString& Message) { other.push_back(Message.toStdString()); });
  TApplication::ShowException(std::runtime_error("to the other"));
  TApplication::SetErrorReporter(mine);
  TApplication::ShowException(std::runtime_error("to mine"));
  EXPECT_EQ(other, std::vector<std::string>{"to the other"});
  EXPECT_EQ(Shown, std::vector<std::string>{"to mine"});
}

}  // namespace
