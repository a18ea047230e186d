#include "ui/GridSettings.h"

#include <algorithm>

#include <QCoreApplication>
#include <QInputDialog>
#include <QSettings>

namespace {

const char* const kVisibleKey = "grid/visible";
const char* const kSnapKey = "grid/snap";
const char* const kStepKey = "grid/step";

}  // namespace

std::unique_ptr<QSettings> ProgramSettings() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kresta"),
                                     QStringLiteral("Kresta"));
}

TGridSettings LoadGridSettings(QSettings& Settings) {
  TGridSettings grid;
  grid.Visible = Settings.value(kVisibleKey, grid.Visible).toBool();
  grid.Snap = Settings.value(kSnapKey, grid.Snap).toBool();
  bool number = false;
  const int step = Settings.value(kStepKey, grid.Step).toInt(&number);
  if (number) grid.Step = std::clamp<int32_t>(step, MinGridStep, MaxGridStep);
  return grid;
}

void SaveGridSettings(QSettings& Settings, const TGridSettings& Grid) {
  Settings.setValue(kVisibleKey, Grid.Visible);
  Settings.setValue(kSnapKey, Grid.Snap);
  Settings.setValue(kStepKey, Grid.Step);
}

std::optional<int32_t> AskGridStep(QWidget* Parent, int32_t Step) {
  QInputDialog dialog(Parent);
  dialog.setWindowTitle(QCoreApplication::translate("TGridSettings", "Шаг сетки"));
  dialog.setLabelText(QCoreApplication::translate("TGridSettings", "Шаг сетки, пикселей изображения:"));
  dialog.setInputMode(QInputDialog::IntInput);
  dialog.setIntRange(MinGridStep, MaxGridStep);
  dialog.setIntValue(std::clamp(Step, MinGridStep, MaxGridStep));
  dialog.setAccessibleName(dialog.windowTitle());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.intValue();
}
