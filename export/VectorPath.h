// Paths of the vector canvases, in user units (image pixels), built from
// lines and elliptical arcs known by their centres. Geometry anywhere in
// the 32-bit range of the model is resolved so that renderers draw it:
// those computing in fixed point (cairo keeps 24.8 bits) fail on coordinates
// in the billions, so a path reaching that far is cut down to the page and
// a margin first, which changes nothing that can show.
#pragma once

#include <string>
#include <vector>

struct TXY {
  double X = 0;
  double Y = 0;
};

// The page and the margin around it that drawing may still reach into.
struct TVectorView {
  double Width = 0;
  double Height = 0;
  double Margin = 2;
};

// One step of a path: 'M' or 'L' to P, 'A' along the ellipse of centre C
// and radii Rx, Ry from parametric angle T0 to T1 (ending at P), or 'Z'.
struct TPathCommand {
  char Kind;
  TXY P;
  TXY C;
  double Rx = 0, Ry = 0, T0 = 0, T1 = 0;
};

class TVectorPath {
 public:
  TVectorPath& Move(TXY P);
  TVectorPath& Line(TXY P);
  // Along the ellipse of centre C and radii Rx, Ry, from parametric angle
  // T0 (where the path stands) counter-clockwise on screen to T1 >= T0, at
  // most a full turn; angles in radians with y pointing up.
  TVectorPath& Arc(TXY C, double Rx, double Ry, double T0, double T1);
  TVectorPath& Close();
  bool Empty() const { return FCommands.empty(); }

  const std::vector<TPathCommand>& Commands() const { return FCommands; }

  // The path as renderers get it: as it is when near the view, else cut
  // down to the view, arcs as chords. Flat: arcs as chords even near the
  // page. Cairo strokes a curve wider than its radius with holes; chords
  // with round joins it strokes right.
  TVectorPath Resolved(const TVectorView& View, bool Flat = false) const;
  // SVG path data, arcs with a negative sweep.
  std::string SvgData() const;

 private:
  bool Near(const TVectorView& View) const;
  TVectorPath Clipped(const TVectorView& View) const;

  std::vector<TPathCommand> FCommands;
};

// The point of the ellipse of centre C and radii Rx, Ry at parametric angle
// T (y pointing up).
TXY EllipsePoint(TXY C, double Rx, double Ry, double T);

// Cuts the segment from A to B down to the view (page and margin); false
// when nothing is left. T0 receives the fraction of the segment cut away
// before the new A.
bool ClipSegment(TXY& A, TXY& B, const TVectorView& View, double& T0);

// Numbers in path data and attributes: integers as they are, fractions to a
// thousandth of a pixel, anything beyond any page clamped.
void AppendNumber(std::string& Out, double V);
std::string Number(double V);
