#include "export/VectorPath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Anything beyond this many pixels from the page is as good as infinitely
// far; it keeps every number finite and short.
constexpr double kFar = 1e15;
// Paths within this distance of the page are written as they are: cairo's
// fixed point reaches some eight million pixels.
constexpr double kNear = double(1 << 20);
// Arcs cut down to the view become chords within this many pixels of the
// curve near the page.
constexpr double kFlatness = 0.1;
constexpr int kMaxDepth = 60;

struct TBounds {
  double X0, Y0, X1, Y1;
  bool Meets(const TBounds& O) const { return X0 <= O.X1 && O.X0 <= X1 && Y0 <= O.Y1 && O.Y0 <= Y1; }
};

TBounds ViewBounds(const TVectorView& V) { return {-V.Margin, -V.Margin, V.Width + V.Margin, V.Height + V.Margin}; }

// Appends the arc from T0 to T1 as chords: fine where it comes near the
// view, coarse elsewhere (a chord stays within its piece's bounds).
void FlattenArc(TXY C, double Rx, double Ry, double T0, double T1, const TBounds& View, int Depth,
                std::vector<TXY>& Out) {
  const TXY a = EllipsePoint(C, Rx, Ry, T0), b = EllipsePoint(C, Rx, Ry, T1);
  const double sagitta = std::max(Rx, Ry) * (1 - std::cos((T1 - T0) / 2));
  const TBounds piece{std::min(a.X, b.X) - sagitta, std::min(a.Y, b.Y) - sagitta, std::max(a.X, b.X) + sagitta,
                      std::max(a.Y, b.Y) + sagitta};
  if (Depth < kMaxDepth && (T1 - T0 > std::numbers::pi / 2 || (sagitta > kFlatness && piece.Meets(View)))) {
    const double middle = (T0 + T1) / 2;
    FlattenArc(C, Rx, Ry, T0, middle, View, Depth + 1, Out);
    FlattenArc(C, Rx, Ry, middle, T1, View, Depth + 1, Out);
    return;
  }
  Out.push_back(b);
}

// One side of the view: points with Side(P) >= 0 are inside.
struct TEdge {
  double Nx, Ny, D;  // inside when Nx * x + Ny * y + D >= 0
  double Side(TXY P) const { return Nx * P.X + Ny * P.Y + D; }
};

std::vector<TEdge> ViewEdges(const TBounds& B) { return {{1, 0, -B.X0}, {-1, 0, B.X1}, {0, 1, -B.Y0}, {0, -1, B.Y1}}; }

TXY Crossing(TXY A, TXY B, double Sa, double Sb) {
  const double t = Sa / (Sa - Sb);
  return {A.X + (B.X - A.X) * t, A.Y + (B.Y - A.Y) * t};
}

// Sutherland-Hodgman: what replaces the parts outside runs along the view's
// edges, so the winding number of every point inside stays as it was, and
// those edges lie in the margin, where nothing shows.
std::vector<TXY> ClipClosed(std::vector<TXY> Points, const TBounds& View) {
  for (const TEdge& edge : ViewEdges(View)) {
    std::vector<TXY> kept;
    for (size_t i = 0; i < Points.size(); ++i) {
      const TXY a = Points[i == 0 ? Points.size() - 1 : i - 1], b = Points[i];
      const double sa = edge.Side(a), sb = edge.Side(b);
      if ((sa >= 0) != (sb >= 0)) kept.push_back(Crossing(a, b, sa, sb));
      if (sb >= 0) kept.push_back(b);
    }
    Points = std::move(kept);
  }
  return Points;
}

}  // namespace

void AppendNumber(std::string& Out, double V) {
  V = std::isfinite(V) ? std::clamp(V, -kFar, kFar) : 0;
  char text[64];
  // Most numbers are whole pixels or pixel centres: their digits come from
  // the integer part alone, as the general form would write them.
  if (V * 2 == std::floor(V * 2)) {
    const double magnitude = std::fabs(V);
    const auto whole = int64_t(magnitude);
    const bool half = magnitude != double(whole);
    if (V < 0 && (whole != 0 || half)) Out += '-';
    Out.append(text, std::to_chars(text, text + sizeof text, whole).ptr);
    if (half) Out += ".5";
    return;
  }
  // Thousandths by integer arithmetic, unless the product's rounding could
  // reach a half, where only exact decimal conversion decides.
  const double thousandths = V * 1000;
  const double fraction = thousandths - std::floor(thousandths);
  if (std::fabs(fraction - 0.5) > std::fabs(thousandths) * 1e-15 + 1e-9) {
    const int64_t rounded = std::llround(thousandths);
    if (rounded == 0) {
      Out += '0';
      return;
    }
    if (rounded < 0) Out += '-';
    const uint64_t magnitude = rounded < 0 ? uint64_t(-rounded) : uint64_t(rounded);
    Out.append(text, std::to_chars(text, text + sizeof text, magnitude / 1000).ptr);
    uint64_t digits = magnitude % 1000;
    if (digits == 0) return;
    char fractionText[4] = {'.', char('0' + digits / 100), char('0' + digits / 10 % 10), char('0' + digits % 10)};
    size_t length = 4;
    while (fractionText[length - 1] == '0') --length;
    Out.append(fractionText, length);
    return;
  }
  const auto result = std::to_chars(text, text + sizeof text, V, std::chars_format::fixed, 3);
  std::string_view s(text, size_t(result.ptr - text));
  while (s.back() == '0') s.remove_suffix(1);
  if (s.back() == '.') s.remove_suffix(1);
  Out += s == "-0" ? "0" : s;
}

std::string Number(double V) {
  std::string s;
  AppendNumber(s, V);
  return s;
}

TXY EllipsePoint(TXY C, double Rx, double Ry, double T) { return {C.X + Rx * std::cos(T), C.Y - Ry * std::sin(T)}; }

bool ClipSegment(TXY& A, TXY& B, const TVectorView& View, double& T0) {
  double t0 = 0, t1 = 1;
  for (const TEdge& edge : ViewEdges(ViewBounds(View))) {
    const double sa = edge.Side(A), sb = edge.Side(B);
    if (sa < 0 && sb < 0) return false;
    if (sa < 0) t0 = std::max(t0, sa / (sa - sb));
    if (sb < 0) t1 = std::min(t1, sa / (sa - sb));
  }
  if (t0 >= t1) return false;
  const TXY a = A, b = B;
  A = {a.X + (b.X - a.X) * t0, a.Y + (b.Y - a.Y) * t0};
  B = {a.X + (b.X - a.X) * t1, a.Y + (b.Y - a.Y) * t1};
  T0 = t0;
  return true;
}

TVectorPath& TVectorPath::Move(TXY P) {
  FCommands.push_back({'M', P, {}});
  return *this;
}

TVectorPath& TVectorPath::Line(TXY P) {
  FCommands.push_back({'L', P, {}});
  return *this;
}

TVectorPath& TVectorPath::Arc(TXY C, double Rx, double Ry, double T0, double T1) {
  // One SVG arc command turns less than a full circle: a longer one is
  // written in halves.
  if (T1 - T0 > std::numbers::pi) {
    const double middle = (T0 + T1) / 2;
    FCommands.push_back({'A', EllipsePoint(C, Rx, Ry, middle), C, Rx, Ry, T0, middle});
    T0 = middle;
  }
  FCommands.push_back({'A', EllipsePoint(C, Rx, Ry, T1), C, Rx, Ry, T0, T1});
  return *this;
}

TVectorPath& TVectorPath::Close() {
  FCommands.push_back({'Z', {}, {}});
  return *this;
}

TVectorPath TVectorPath::Resolved(const TVectorView& View, bool Flat) const {
  return !Flat && Near(View) ? *this : Clipped(View);
}

bool TVectorPath::Near(const TVectorView& View) const {
  const TBounds near{-kNear, -kNear, View.Width + kNear, View.Height + kNear};
  const auto inside = [&](double X, double Y) { return X >= near.X0 && X <= near.X1 && Y >= near.Y0 && Y <= near.Y1; };
  return std::all_of(FCommands.begin(), FCommands.end(), [&](const TPathCommand& c) {
    if (c.Kind == 'Z') return true;
    if (c.Kind != 'A') return inside(c.P.X, c.P.Y);
    return inside(c.C.X - c.Rx, c.C.Y - c.Ry) && inside(c.C.X + c.Rx, c.C.Y + c.Ry);
  });
}

std::string TVectorPath::SvgData() const {
  std::string s;
  for (const TPathCommand& c : FCommands) {
    if (!s.empty()) s += ' ';
    s += c.Kind;
    if (c.Kind == 'Z') continue;
    if (c.Kind == 'A') {
      AppendNumber(s, c.Rx);
      s += ' ';
      AppendNumber(s, c.Ry);
      // Counter-clockwise on screen is SVG's negative sweep.
      s += c.T1 - c.T0 > std::numbers::pi ? " 0 1 0 " : " 0 0 0 ";
    }
    AppendNumber(s, c.P.X);
    s += ' ';
    AppendNumber(s, c.P.Y);
  }
  return s;
}

TVectorPath TVectorPath::Clipped(const TVectorView& View) const {
  const TBounds view = ViewBounds(View);
  TVectorPath clipped;
  const auto add = [&](const std::vector<TXY>& Points, bool Closed) {
    for (size_t i = 0; i < Points.size(); ++i) {
      if (i == 0)
        clipped.Move(Points[i]);
      else
        clipped.Line(Points[i]);
    }
    if (Closed && !Points.empty()) clipped.Close();
  };
  std::vector<TXY> points;
  const auto finish = [&](bool Closed) {
    if (Closed) {
      add(ClipClosed(std::move(points), view), true);
    } else {
      // An open path: the runs of its segments inside the view.
      std::vector<TXY> run;
      for (size_t i = 1; i < points.size(); ++i) {
        TXY a = points[i - 1], b = points[i];
        double cut = 0;
        if (!ClipSegment(a, b, View, cut)) continue;
        if (run.empty() || run.back().X != a.X || run.back().Y != a.Y) {
          add(run, false);
          run = {a};
        }
        run.push_back(b);
      }
      add(run, false);
    }
    points.clear();
  };
  for (const TPathCommand& c : FCommands) {
    switch (c.Kind) {
      case 'M':
        if (!points.empty()) finish(false);
        points.push_back(c.P);
        break;
      case 'L': points.push_back(c.P); break;
      case 'A': FlattenArc(c.C, c.Rx, c.Ry, c.T0, c.T1, view, 0, points); break;
      default: finish(true);
    }
  }
  if (!points.empty()) finish(false);
  return clipped;
}
