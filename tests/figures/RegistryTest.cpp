// The class registry: registration order and case-insensitive look-up, so
// that files written with any letter case re-create the right class.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "figures/RealFigures.h"

TEST(Registry, NineClassesInRegistrationOrder) {
  std::vector<std::string> names;
  for (const TFigureClass* cls : RegisteredFigureClasses()) names.push_back(cls->ClassName);
  EXPECT_EQ(names, (std::vector<std::string>{"TFigurePolyLine", "TFigureRectangle", "TFigurePolygon",
                                             "TFigureRoundRect", "TFigureEllipse", "TFigurePie", "TFigureChord",
                                             "TFigureText", "TFigureBitmap"}));
}

TEST(Registry, LookUpIgnoresLetterCaseOnly) {
  EXPECT_EQ(FindFigureClass("TFigurePolyLine"), &TFigurePolyLine::Class);
  EXPECT_EQ(FindFigureClass("tfigurepolyline"), &TFigurePolyLine::Class);
  EXPECT_EQ(FindFigureClass("TFIGUREPOLYGON"), &TFigurePolygon::Class);
  EXPECT_EQ(FindFigureClass("TFigurePolygo"), nullptr);
  EXPECT_EQ(FindFigureClass(""), nullptr);
  EXPECT_EQ(FindFigureClass("TBasicFigure"), nullptr) << "abstract classes are not registered";
  EXPECT_EQ(FindFigureClass("TBinCoordsFigure"), nullptr);
}

TEST(Registry, EveryClassCreatesItsOwnKindOnTheGivenCanvas) {
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    const auto figure = cls->Create(nullptr);
    EXPECT_EQ(&figure->ClassType(), cls);
  }
}
