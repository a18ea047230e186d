#include "ui/ClassTable.h"

#include <QCoreApplication>

#include "figures/RealFigures.h"

std::span<const TClassItem> ClassItems() {
  static const TClassItem items[] = {
      {QT_TRANSLATE_NOOP("TClassItem", "Выбор типа фигуры"), nullptr},
      {QT_TRANSLATE_NOOP("TClassItem", "Линия"), &TFigurePolyLine::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Прямоугольник"), &TFigureRectangle::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Многоугольник"), &TFigurePolygon::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Скруглённый прямоугольник"), &TFigureRoundRect::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Эллипс"), &TFigureEllipse::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Сектор"), &TFigurePie::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Хорда"), &TFigureChord::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Текст"), &TFigureText::Class},
      {QT_TRANSLATE_NOOP("TClassItem", "Картинка"), &TFigureBitmap::Class},
  };
  return items;
}

int ClassItemIndex(const TFigureClass* Class) {
  const std::span<const TClassItem> items = ClassItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Class == Class) return int(i);
  return -1;
}

QString GetClassCaption(const TFigureClass* Class) {
  const int index = Class != nullptr ? ClassItemIndex(Class) : -1;
  return index >= 0 ? ClassItemCaption(ClassItems()[size_t(index)]) : QString();
}

QString ClassItemCaption(const TClassItem& Item) { return QCoreApplication::translate("TClassItem", Item.Caption); }
