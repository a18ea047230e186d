// The interface in the language the locale asks for (the suite runs once
// in Russian and once in English): every text a person reads in that one
// language, the Russian captions word for word, and the layout fitting
// both. Guards against a text that never reached the translation system,
// a translation missing or stale, and a menu title or name cut off by the
// fixed frame.
#include "MainWindowSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>

#include <set>

#include "ui/AboutUnit.h"
#include "ui/ImgUnit.h"

namespace {

// Every text a person can read or hear from a widget and its children:
// captions, items, tabs, hints, accessible names and descriptions, menus.
class TTextCollector {
 public:
  void Widget(const QWidget* Control) {
    for (const QString& text : {Control->windowTitle(), Control->toolTip(), Control->statusTip(),
                                Control->accessibleName(), Control->accessibleDescription()})
      Add(text);
    if (const auto* label = qobject_cast<const QLabel*>(Control)) Add(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(Control)) Add(button->text());
    if (const auto* group = qobject_cast<const QGroupBox*>(Control)) Add(group->title());
    if (const auto* edit = qobject_cast<const QLineEdit*>(Control)) Add(edit->text());
    if (const auto* list = qobject_cast<const QComboBox*>(Control))
      for (int i = 0; i < list->count(); ++i) Add(list->itemText(i));
    if (const auto* tabs = qobject_cast<const QTabWidget*>(Control))
      for (int i = 0; i < tabs->count(); ++i) Add(tabs->tabText(i)), Add(tabs->tabToolTip(i));
    for (const QAction* action : Control->actions()) Action(action);
    for (const QObject* child : Control->children())
      if (child->isWidgetType()) Widget(static_cast<const QWidget*>(child));
  }
  void Action(const QAction* Item) {
    for (const QString& text : {Item->text(), Item->toolTip(), Item->statusTip()}) Add(text);
    if (const QMenu* menu = Item->menu()) Widget(menu);
  }

  std::set<QString> Texts;

 private:
  void Add(const QString& Text) {
    if (!Text.isEmpty()) Texts.insert(Text);
  }
};

class LanguageTest : public MainWindowTest {
 protected:
  bool Russian() const { return InterfaceLanguage(QLocale::system()) == QStringLiteral("ru"); }

  // The windows of an open image and the boxes they raise, walked.
  TTextCollector WalkEverything() {
    TTextCollector seen;
    NewImage();
    seen.Widget(Main.get());
    seen.Widget(Main->ImageWindow());
    seen.Widget(Main->frmNewDlg);
    TfrmAbout about;
    about.FormShow();
    seen.Widget(&about);
    const auto walkModal = [&](QWidget* Box) {
      seen.Widget(Box);
      static_cast<QDialog*>(Box)->reject();
    };
    WithModal([&] { Main->ImageWindow()->imgSpacerClick(); }, walkModal);
    WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_New); }, walkModal);
    Draw(2, {10, 10}, {60, 50});
    WithModal([&] { Main->mn_MainClick(Main->Menu.mnMain_File_Close); }, walkModal);
    return seen;
  }
};

TEST_F(LanguageTest, EveryTextIsInTheInterfacesLanguage) {
  const std::set<QString> texts = WalkEverything().Texts;
  if (!Russian()) {
    const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    for (const QString& text : texts) EXPECT_FALSE(text.contains(cyrillic)) << text.toStdString();
    return;
  }
  // Captions of the menus, the panels, the image window and the boxes, as
  // the program has always written them.
  for (const char* caption : {"Файл",
                              "Новый",
                              "Открыть",
                              "Спасти и сохранить",
                              "Сохранить как...",
                              "Закрыть",
                              "В буфер",
                              "Из буфера",
                              "Выход",
                              "Правка",
                              "Настройка",
                              "Тип сортировки",
                              "Сортировка Хоара",
                              "Сортировка вставкой",
                              "Пузырьковая сортировка",
                              "О программе",
                              " Выбрать существующий объект ",
                              " Тип создаваемого объекта ",
                              " Свойства объекта ",
                              "Цвет линии",
                              "Толщина линии",
                              "Стиль линии",
                              "Режим пера",
                              "Цвет фона",
                              "Стиль фона",
                              "Запретить измение свойств фигуры",
                              "Своиства картинки",
                              "Кривоугольник",
                              "Скруглённый прямоугольник",
                              "Тёмно-красный",
                              "Небесно-голубой",
                              "Прозр. фон",
                              "Размер скругления углов:",
                              "Режим: Выбор фигуры",
                              "Пусто",
                              "Краткая справка",
                              "Создать",
                              "Ширина:",
                              "Высота:",
                              "Отмена",
                              "Закрыть текущий файл?",
                              "Сохранить изменения в «Новый»?",
                              "Не сохранять"})
    EXPECT_EQ(texts.count(QString::fromUtf8(caption)), 1u) << caption;
}

TEST_F(LanguageTest, EveryMenuTitleIsOnTheBar) {
  QMenuBar* bar = Main->menuBar();
  EXPECT_EQ(Main->width(), 200) << "the frame keeps its width";
  for (QAction* title : bar->actions()) {
    const QRect place = bar->actionGeometry(title);
    EXPECT_TRUE(place.isValid() && place.right() < bar->width()) << title->text().toStdString();
  }
  auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
  EXPECT_TRUE(extension == nullptr || !extension->isVisible());
}

}  // namespace
