// The program's own icons: drawn in code, the object toolbar's buttons, one
// icon per figure class (drawn by the class itself) and the program's logo;
// and the program's desktop icon, compiled in from its files.
#pragma once

#include <QIcon>

struct TFigureClass;

enum TToolIcon { tiClearAll, tiDelete, tiUp, tiDown, tiSort, tiLock };

// 16 x 16, also drawn for screens of two device pixels to a pixel; the
// toolkit derives the disabled look.
QIcon ToolIcon(TToolIcon Icon);
// A small figure of the class on a transparent 16 x 16 square, each pixel
// a square of device pixels on a high-density screen.
QIcon ClassIcon(const TFigureClass& Class);
// The program's logo, a sheet with a few figures on it, Side pixels square,
// drawn at Ratio device pixels to a pixel.
QPixmap ProgramLogo(int Side, qreal Ratio = 1);
// The program's icon on the desktop, at 16 to 256 pixels.
QIcon ProgramIcon();
