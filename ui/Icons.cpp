#include "ui/Icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <memory>

#include "canvas/RasterCanvas.h"
#include "figures/RealFigures.h"

namespace {

constexpr int kSide = 16;
// The device pixels to a pixel that the icons come in: a screen of a ratio
// in between gets the next one up, scaled down.
constexpr int kRatios[] = {1, 2};

// Side pixels square, drawn at Ratio device pixels to a pixel: a painter on
// it draws in pixels.
QPixmap Blank(int Side, qreal Ratio) {
  QPixmap pixmap(QSize(Side, Side) * Ratio);
  pixmap.setDevicePixelRatio(Ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void DrawArrow(QPainter& Painter, bool Up) {
  Painter.setPen(QPen(QColor(0, 90, 160), 1));
  Painter.setBrush(QColor(70, 150, 230));
  const qreal tip = Up ? 2.5 : 13.5, base = Up ? 8.5 : 7.5, tail = Up ? 13.5 : 2.5;
  Painter.drawPolygon(QPolygonF({QPointF(8, tip), QPointF(14, base), QPointF(10.5, base), QPointF(10.5, tail),
                                 QPointF(5.5, tail), QPointF(5.5, base), QPointF(2, base)}));
}

void DrawCross(QPainter& Painter, const QRectF& Box) {
  Painter.setPen(QPen(QColor(200, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
  Painter.drawLine(Box.topLeft(), Box.bottomRight());
  Painter.drawLine(Box.topRight(), Box.bottomLeft());
}

QPixmap ToolPixmap(TToolIcon Icon, int Ratio) {
  QPixmap pixmap = Blank(kSide, Ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (Icon) {
    case tiClearAll:
      painter.setPen(QPen(Qt::darkGray, 1));
      painter.setBrush(Qt::white);
      painter.drawRect(QRectF(2.5, 1.5, 10, 13));
      painter.setBrush(QColor(166, 202, 240));
      painter.drawEllipse(QRectF(4.5, 3.5, 6, 5));
      DrawCross(painter, QRectF(7, 8, 7, 7));
      break;
    case tiDelete:
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(QColor(166, 202, 240));
      painter.drawRect(QRectF(1.5, 3.5, 9, 8));
      DrawCross(painter, QRectF(7, 7, 7, 7));
      break;
    case tiUp: DrawArrow(painter, true); break;
    case tiDown: DrawArrow(painter, false); break;
    case tiSort: {
      painter.setPen(QPen(Qt::black, 1.2));
      for (int i = 0; i < 4; ++i) painter.drawLine(QPointF(1.5, 3.5 + 3 * i), QPointF(4.5 + 2.5 * i, 3.5 + 3 * i));
      painter.setPen(QPen(QColor(0, 120, 60), 1.6, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(12.5, 2), QPointF(12.5, 13.5));
      painter.drawLine(QPointF(12.5, 14), QPointF(9.5, 10.5));
      painter.drawLine(QPointF(12.5, 14), QPointF(15.5, 10.5));
      break;
    }
    case tiLock: {
      painter.setPen(QPen(QColor(90, 90, 90), 1.6));
      painter.setBrush(Qt::NoBrush);
      QPainterPath shackle;
      shackle.moveTo(5, 8);
      shackle.lineTo(5, 5);
      shackle.arcTo(QRectF(5, 1.5, 6, 7), 180, -180);
      shackle.lineTo(11, 8);
      painter.drawPath(shackle);
      painter.setPen(QPen(QColor(120, 80, 0), 1));
      painter.setBrush(QColor(230, 180, 40));
      painter.drawRoundedRect(QRectF(2.5, 7.5, 11, 7), 1.5, 1.5);
      painter.setBrush(QColor(90, 60, 0));
      painter.drawEllipse(QRectF(7, 9.5, 2, 2));
      break;
    }
  }
  return pixmap;
}

// The icon's figure, as the class draws it with a one-pixel black pen and
// the panel's first fill.
std::unique_ptr<TBasicFigure> SampleFigure(const TFigureClass& Class, TCanvas& Canvas) {
  std::unique_ptr<TBasicFigure> figure = Class.Create(&Canvas);
  figure->SetPenStyle(psInsideFrame);
  if (TBinaryDimensionsFigure* filled = AsFilled(figure.get())) filled->SetBrushColor(0x00F0CAA6u);
  switch (Class.Traits.Family) {
    case ffOpenLine:
    case ffPolygon: {
      const TPoint vertices[] = {{1, 13}, {5, 3}, {10, 11}, {14, 2}};
      const TPoint corners[] = {{2, 13}, {7, 2}, {14, 9}, {9, 14}};
      for (const TPoint& p : Class.Traits.Family == ffOpenLine ? vertices : corners)
        AsVertexList(figure.get())->AddPointXY(p.x, p.y);
      break;
    }
    case ffTwoPoint:
      figure->SetPoint(0, {1, Class.Traits.HasCorners ? 3 : 2});
      figure->SetPoint(1, {15, Class.Traits.HasCorners ? 13 : 14});
      if (TFigureRoundRect* round = AsRoundRect(figure.get())) round->SetCorners({7, 7});
      break;
    case ffFourPoint:
      figure->SetPoint(0, {1, 1});
      figure->SetPoint(1, {16, 16});
      // From the top counter-clockwise round to the right: three quarters.
      figure->SetPoint(2, {8, 1});
      figure->SetPoint(3, {16, 8});
      break;
    case ffText: {
      TFigureText* text = AsText(figure.get());
      text->SetPoint(0, {3, 1});
      text->SetText("A");
      TFont font = text->Font();
      font.Name = "DejaVu Sans";
      font.Height = -12;
      font.Style = fsBold;
      font.Color = 0x00800000u;
      text->SetFont(font);
      text->SetPenStyle(psClear);
      AsFilled(figure.get())->SetBrushStyle(bsClear);
      break;
    }
    case ffOther: break;
  }
  return figure;
}

}  // namespace

QIcon ToolIcon(TToolIcon Icon) {
  QIcon icon;
  for (int ratio : kRatios) icon.addPixmap(ToolPixmap(Icon, ratio));
  return icon;
}

QIcon ClassIcon(const TFigureClass& Class) {
  QImage image(kSide, kSide, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    TRasterCanvas canvas(image);
    std::unique_ptr<TBasicFigure> figure = SampleFigure(Class, canvas);
    figure->Draw();
    if (Class.Traits.HasPicture) {
      // A picture figure without a picture is a frame: a small landscape in
      // it says what it holds.
      canvas.Pen = TPen{0x00206020u, 1, pmCopy, psSolid};
      canvas.Brush = TBrush{0x0040A040u, bsSolid};
      const TPoint hills[] = {{3, 12}, {7, 7}, {10, 10}, {12, 8}, {14, 12}};
      canvas.Polygon(hills);
      canvas.Brush = TBrush{0x0000C0F0u, bsSolid};
      canvas.Pen.Color = 0x0000A0D0u;
      canvas.Ellipse(4, 4, 8, 8);
    }
  }
  // Drawn in pixels by the raster canvas: larger, each pixel a square.
  QIcon icon;
  for (int ratio : kRatios) {
    QPixmap pixmap = QPixmap::fromImage(image.scaled(image.size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    pixmap.setDevicePixelRatio(ratio);
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPixmap ProgramLogo(int Side, qreal Ratio) {
  QPixmap logo = Blank(Side, Ratio);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  // Drawn on a 35-pixel grid.
  painter.scale(Side / 35.0, Side / 35.0);
  painter.setPen(QPen(QColor(0, 96, 96), 1.5));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(2.5, 2.5, 30, 30), 4, 4);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(QColor(166, 202, 240));
  painter.drawRect(QRectF(7.5, 7.5, 13, 11));
  painter.setBrush(QColor(240, 160, 40));
  painter.drawEllipse(QRectF(14.5, 13.5, 14, 13));
  painter.setPen(QPen(QColor(0, 128, 128), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(QPolygonF({QPointF(7, 28), QPointF(12, 21), QPointF(17, 27), QPointF(27, 8)}));
  return logo;
}

QIcon ProgramIcon() {
  // The desktop's icon of the program, so the window shows what the
  // application menu shows.
  QIcon icon;
  for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.kresta.Kresta.png").arg(side), QSize(side, side));
  return icon;
}
