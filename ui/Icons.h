// The program's own icons: drawn in code, the object toolbar's buttons, one
// icon per figure class (drawn by the class itself) and the program's logo;
// and the program's desktop icon, compiled in from its files.
#pragma once

#include <QIcon>

struct TFigureClass;

enum TToolIcon { tiClearAll, tiDelete, tiUp, tiDown, tiSort, tiLock };

// 16 x 16; the toolkit derives the disabled look.
QIcon ToolIcon(TToolIcon Icon);
// A small figure of the class on a transparent 16 x 16 square.
QIcon ClassIcon(const TFigureClass& Class);
// The program's logo, a sheet with a few figures on it, Side pixels square.
QPixmap ProgramLogo(int Side);
// The program's icon on the desktop, at 16 to 256 pixels.
QIcon ProgramIcon();
