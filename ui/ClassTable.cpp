#include "ui/ClassTable.h"

#include "figures/RealFigures.h"

std::span<const TClassItem> ClassItems() {
  static const TClassItem items[] = {
      {"Выбор типа фигуры", nullptr},
      {"Линия", &TFigurePolyLine::Class},
      {"Прямоугольник", &TFigureRectangle::Class},
      {"Многоугольник", &TFigurePolygon::Class},
      {"Скруглённый прямоугольник", &TFigureRoundRect::Class},
      {"Эллипс", &TFigureEllipse::Class},
      {"Сектор", &TFigurePie::Class},
      {"Хорда", &TFigureChord::Class},
      {"Текст", &TFigureText::Class},
      {"Картинка", &TFigureBitmap::Class},
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
  return index >= 0 ? QString::fromUtf8(ClassItems()[size_t(index)].Caption) : QString();
}
