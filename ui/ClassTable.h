// The figure classes as the user picks them: the items of the class
// selector, each with its caption and class (none for the first item), in
// the order of the property panel's class pages (page = item - 1).
#pragma once

#include <QString>

#include <span>

#include "figures/AbstractFigures.h"

struct TClassItem {
  const char* Caption;  // UTF-8, as written: ClassItemCaption translates it
  const TFigureClass* Class;
};

std::span<const TClassItem> ClassItems();
// The item's caption in the interface's language.
QString ClassItemCaption(const TClassItem& Item);
// The caption of the first item whose class is exactly Class; empty when no
// item has it.
QString GetClassCaption(const TFigureClass* Class);
// The index of the first item whose class is exactly Class; -1 when none.
int ClassItemIndex(const TFigureClass* Class);
