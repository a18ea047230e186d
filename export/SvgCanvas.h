// The vector canvas writing SVG 1.1 elements: boxes and paths filled in a
// colour or a hatch pattern, strokes, texts naming a face the renderer
// resolves, pictures as embedded PNG.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "export/VectorCanvas.h"

class TSvgCanvas : public TVectorCanvas {
 public:
  using TVectorCanvas::TVectorCanvas;

  // The finished document, UTF-8.
  std::string Document() const;

 protected:
  void PutBox(double Left, double Top, double Right, double Bottom, const TVectorFill& Fill) override;
  void PutFill(const TVectorPath& D, bool EvenOdd, const TVectorFill& Fill, const TVectorPath* Band,
               int64_t BandWidth) override;
  void PutStroke(const TVectorPath& D, uint32_t Color, int64_t Width, const TVectorDash* Dash) override;
  void PutText(const TVectorText& Text) override;
  void PutImage(int64_t Left, int64_t Top, const QImage& Picture) override;

 private:
  void Append(const std::string& Element);
  std::string FillAttribute(const TVectorFill& Fill);
  // The path data of a hatch style's cell, made once per style.
  const std::string& CellPaths(const TVectorFill& Fill);

  std::string FBody;
  int FMasks = 0;
  // Hatch patterns defined so far, by style and colour.
  std::map<std::pair<TBrushStyle, uint32_t>, std::string> FHatches;
  std::map<TBrushStyle, std::string> FCellPaths;
};
