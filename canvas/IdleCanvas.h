// A canvas that draws nothing and measures every text as empty. A collection
// rests on it while it has no raster, so that selecting a figure (which
// redraws) needs no display; tests derive from it to record single calls.
#pragma once

#include "canvas/Canvas.h"

class TIdleCanvas : public TCanvas {
 protected:
  void DoRectangle(int32_t, int32_t, int32_t, int32_t) override {}
  void DoEllipse(int32_t, int32_t, int32_t, int32_t) override {}
  void DoRoundRect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void DoChord(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool) override {}
  void DoPolyline(std::span<const TPoint>) override {}
  void DoPolygon(std::span<const TPoint>) override {}
  void DoFillRect(const TRect&) override {}
  void DoTextOut(int32_t, int32_t, std::string_view) override {}
  TSize DoTextExtent(std::string_view) override { return {}; }
  void DoStretchDraw(const TRect&, const TPixelImage&, std::optional<uint32_t>) override {}
};

// The idle canvas of the process, never destroyed before the process ends.
inline TIdleCanvas& IdleCanvas() {
  static TIdleCanvas canvas;
  return canvas;
}
