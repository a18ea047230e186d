// The short human summary of an image that `kri info` prints.
#pragma once

#include <string>

#include "document/Collection.h"

// Lines of "Label: value": the raster size and image rectangle, the
// background colour (0x00BBGGRR, or a system colour by its index), the
// figure count with one line per class present (registry order) and the
// selected figure, positions counted from 0 at the bottom.
std::string DescribeImage(const TFiguresCollection& Image);

// 0x00BBGGRR as 10 characters, "0x" and 8 upper-case hex digits, followed by
// " (system colour N)" for a system colour.
std::string DescribeColor(TColor Color);
