// The four sorts written out step by step over a plain array, as the
// independent reference for the library: position i is element i, every
// merge takes a fresh buffer, and every access is bounds-checked (an
// algorithm that strays outside the array throws).
#pragma once

#include "ranklib/RankLib.h"

#include <vector>

namespace ranktest {

void ReferenceQSort(std::vector<TBasicFigure*>& Figures, TFigureCompare Compare);
void ReferenceBSort(std::vector<TBasicFigure*>& Figures, TFigureCompare Compare);
void ReferenceISort(std::vector<TBasicFigure*>& Figures, TFigureCompare Compare);
void ReferenceMSort(std::vector<TBasicFigure*>& Figures, TFigureCompare Compare);

}  // namespace ranktest
