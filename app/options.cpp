#include "app/options.h"

#include <string>

#include "app/app.h"
#include "data/data_files.h"

namespace tbx {

namespace {
// The record's value as the box shows it, or the first record's when that prints as 0.
std::string ValueOrFirst(const App& app, int record, float ThreadRecord::*field) {
  std::string text = FormatValue(app.threads[record].*field, 4);
  if (TextToNumber(text) == 0) text = FormatValue(app.threads[1].*field, 4);
  return text;
}
}  // namespace

void FillFromThreadSize(App& app, ControlId list, ControlId majorBox, ControlId pitchBox) {
  int position = app.ui.FindNext(kMainForm, list, app.Text(list));
  int record = position < 0 || position + 1 >= static_cast<int>(app.threads.size()) ? 0 : position + 1;
  app.SetText(majorBox, ValueOrFirst(app, record, &ThreadRecord::majorDia));
  app.SetText(pitchBox, ValueOrFirst(app, record, &ThreadRecord::pitch));
}

void FillDrillDiameter(App& app, ControlId list, ControlId box) {
  app.SetText(box, FormatNumber(DrillItemDiameter(app.Text(list)), 4));
}

}  // namespace tbx
