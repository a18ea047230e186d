// A canvas that draws nothing and measures where drawing would reach: the
// box of every pixel the primitives given to it could change on the raster
// canvas. The box is conservative, not tight: wide pens reach half their
// width beyond the points, and glyphs may overhang their cell.
#pragma once

#include <cstdint>
#include <limits>

#include "canvas/Canvas.h"

class TExtentCanvas : public TCanvas {
 public:
  // Texts are measured by Measure, the canvas the drawing is meant for, in
  // the font this canvas holds; Measure's own font is left as it was.
  explicit TExtentCanvas(TCanvas& Measure) : FMeasure(Measure) {}

  // Forgets what was drawn.
  void Reset();
  // The box of everything drawn since the last Reset, clipped to Clip
  // (image pixels, right and bottom edges exclusive); all zero when nothing
  // drawn reaches into Clip.
  TRect Extent(const TRect& Clip) const;

 protected:
  void DoRectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoEllipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void DoRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t W, int32_t H) override;
  void DoChord(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3, int32_t Y3, int32_t X4, int32_t Y4,
               bool IsPie) override;
  void DoPolyline(std::span<const TPoint> Points) override;
  void DoPolygon(std::span<const TPoint> Points) override;
  void DoFillRect(const TRect& R) override;
  void DoTextOut(int32_t X, int32_t Y, std::string_view Text) override;
  TSize DoTextExtent(std::string_view Text) override;
  void DoStretchDraw(const TRect& Dest, const TPixelImage& Picture, std::optional<uint32_t> Transparent) override;

 private:
  // The pixels of the box with corners (X1, Y1) and (X2, Y2) in either
  // order, both inclusive, grown by Margin on every side.
  void IncludeCorners(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t Margin);
  void IncludePoints(std::span<const TPoint> Points);
  // How far the current pen paints beyond the path it follows, pixels.
  int64_t PenReach() const;

  TCanvas& FMeasure;
  // Inclusive bounds of what was drawn; Left > Right while nothing was.
  int64_t FLeft = std::numeric_limits<int64_t>::max();
  int64_t FTop = std::numeric_limits<int64_t>::max();
  int64_t FRight = std::numeric_limits<int64_t>::min();
  int64_t FBottom = std::numeric_limits<int64_t>::min();
};
