#include "tools/kri/KriInfo.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>

#include "figures/RealFigures.h"

namespace {

std::string Format(const char* Pattern, auto... Values) {
  char line[256];
  std::snprintf(line, sizeof line, Pattern, Values...);
  return line;
}

}  // namespace

std::string DescribeColor(TColor Color) {
  std::string text = Format("0x%08" PRIX32, Color);
  if ((Color & clSystemColor) != 0) text += Format(" (system colour %" PRIu32 ")", Color - clSystemColor);
  return text;
}

std::string DescribeImage(const TFiguresCollection& Image) {
  const TRect& r = Image.ImageRect();
  std::string text = Format("Size: %" PRId32 " x %" PRId32 " pixels (image rectangle %" PRId32 ", %" PRId32
                            ", %" PRId32 ", %" PRId32 ")\n",
                            r.Right, r.Bottom, r.Left, r.Top, r.Right, r.Bottom);
  text += "Background: " + DescribeColor(Image.BackgroundColor()) + "\n";
  text += Format("Figures: %" PRId32 "\n", Image.Count());
  std::map<const TFigureClass*, int32_t> counts;
  for (const TBasicFigure* figure : Image.Figures()) ++counts[&figure->ClassType()];
  for (const TFigureClass* cls : RegisteredFigureClasses())
    if (counts[cls] > 0) text += Format("  %-17s %" PRId32 "\n", cls->ClassName, counts[cls]);
  const TBasicFigure* selected = Image.Selected();
  if (selected == nullptr)
    text += "Selected: none\n";
  else
    text += Format("Selected: %" PRId32 " (%s)\n", Image.IndexOf(selected), selected->ClassName());
  return text;
}
