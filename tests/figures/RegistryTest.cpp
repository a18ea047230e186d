// The class registry: registration order and case-insensitive look-up, so
// that files written with any letter case re-create the right class; the
// class traits and the typed views built on them, which must name the
// classes the figures really are (a view trusts the traits blindly).
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

// The class hierarchy is the reference: every trait and every typed view
// agrees with what dynamic_cast finds, to the address.
TEST(Registry, TraitsAndTypedViewsAgreeWithTheClassHierarchy) {
  for (const TFigureClass* cls : RegisteredFigureClasses()) {
    SCOPED_TRACE(cls->ClassName);
    const auto owned = cls->Create(nullptr);
    TBasicFigure* figure = owned.get();
    const TBasicFigure* constant = figure;
    const TFigureTraits& traits = cls->Traits;

    TFigureFamily family = ffOther;
    if (dynamic_cast<TLine*>(figure) != nullptr) family = ffOpenLine;
    if (dynamic_cast<TFigurePolygon*>(figure) != nullptr) family = ffPolygon;
    if (dynamic_cast<TBinCoordsFigure*>(figure) != nullptr) family = ffTwoPoint;
    if (dynamic_cast<TQuadCoordsFigure*>(figure) != nullptr) family = ffFourPoint;
    if (dynamic_cast<TFigureText*>(figure) != nullptr) family = ffText;
    EXPECT_EQ(traits.Family, family);
    EXPECT_EQ(traits.HasVertexList(), dynamic_cast<TVertexList*>(figure) != nullptr);

    EXPECT_EQ(AsFilled(figure), dynamic_cast<TBinaryDimensionsFigure*>(figure));
    EXPECT_EQ(AsVertexList(figure), dynamic_cast<TVertexList*>(figure));
    EXPECT_EQ(AsRoundRect(figure), dynamic_cast<TFigureRoundRect*>(figure));
    EXPECT_EQ(AsText(figure), dynamic_cast<TFigureText*>(figure));
    EXPECT_EQ(AsPicture(figure), dynamic_cast<TFigureBitmap*>(figure));
    EXPECT_EQ(AsFilled(constant), dynamic_cast<const TBinaryDimensionsFigure*>(constant));
    EXPECT_EQ(AsVertexList(constant), dynamic_cast<const TVertexList*>(constant));
    EXPECT_EQ(AsRoundRect(constant), dynamic_cast<const TFigureRoundRect*>(constant));
    EXPECT_EQ(AsText(constant), dynamic_cast<const TFigureText*>(constant));
    EXPECT_EQ(AsPicture(constant), dynamic_cast<const TFigureBitmap*>(constant));
    EXPECT_EQ(traits.HasFill, AsFilled(figure) != nullptr);
    EXPECT_EQ(traits.HasCorners, AsRoundRect(figure) != nullptr);
    EXPECT_EQ(traits.HasText, AsText(figure) != nullptr);
    EXPECT_EQ(traits.HasPicture, AsPicture(figure) != nullptr);
  }
  TBasicFigure* none = nullptr;
  EXPECT_EQ(AsFilled(none), nullptr);
  EXPECT_EQ(AsVertexList(none), nullptr);
  EXPECT_EQ(AsRoundRect(none), nullptr);
  EXPECT_EQ(AsText(none), nullptr);
  EXPECT_EQ(AsPicture(none), nullptr);
}
