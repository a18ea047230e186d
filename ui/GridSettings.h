// The grid of the image view and snapping: the person's choices, kept
// between runs in the program's settings ($XDG_CONFIG_HOME/Kresta/
// Kresta.conf), and the small dialog that asks for the step.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "document/Snapping.h"

class QSettings;
class QWidget;

struct TGridSettings {
  bool Visible = false;
  bool Snap = false;
  int32_t Step = DefaultGridStep;  // image pixels, MinGridStep to MaxGridStep
  friend bool operator==(const TGridSettings&, const TGridSettings&) = default;
};

// The program's settings file.
std::unique_ptr<QSettings> ProgramSettings();
// What the settings hold; a missing or unreadable value is its default, a
// step out of range the nearest one allowed.
TGridSettings LoadGridSettings(QSettings& Settings);
void SaveGridSettings(QSettings& Settings, const TGridSettings& Grid);

// "Шаг сетки": the step, Step offered; none when the person cancels.
std::optional<int32_t> AskGridStep(QWidget* Parent, int32_t Step);
