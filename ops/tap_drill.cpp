#include "ops/tap_drill.h"

#include <cmath>
#include <string>

#include "app/app.h"
#include "ops/thread_size.h"

namespace tbx {

void TapSizePicked(App& app) {
  FillFromThreadSize(app, id::kDataTapSize, id::kTapDia, id::kDataPitch);
  TapDrillCalculator(app);
}

void TapDrillCalculator(App& app) {
  float major = app.Single(id::kTapDia);
  float pitch = app.Single(id::kDataPitch);
  float percent = ToSingle(std::nearbyint(app.Number(id::kPercentThread)));
  // Thread depth per percent of thread and per unit of pitch; a forming tap displaces
  // metal instead of cutting it, so its hole stays larger.
  float perPercent = app.Checked(id::kStandardTap) ? 0.01299f : 0.0068f;

  // Written against threads per unit (1 / pitch) as the charts give it. A pitch of 0 means
  // no thread at all: the drill is the major diameter.
  float drill = major;
  if (pitch != 0) drill = major - percent * perPercent / (1 / pitch);

  std::string text = FormatValue(drill, 4);
  app.SetText(id::kTapDrillResult, IsPlainNumber(text) ? text : "");
}

}  // namespace tbx
