#include "ops/tap_drill.h"

#include <cmath>

#include "program/numbers.h"

namespace tbx {

namespace {
// Thread depth per percent of thread and per unit of pitch; a forming tap displaces metal
// instead of cutting it, so its hole stays larger.
float DepthPerPercent(bool standardTap) { return standardTap ? 0.01299f : 0.0068f; }
}  // namespace

double PercentOfThread(double major, double pitch, double drill, bool standardTap) {
  return (major - drill) / (DepthPerPercent(standardTap) * pitch);
}

std::string TapDrillText(const TapDrillInputs& in) {
  const float percent = ToSingle(std::nearbyint(in.percentThread));
  const float perPercent = DepthPerPercent(in.standardTap);

  // Written against threads per unit (1 / pitch) as the charts give it. A pitch of 0 means
  // no thread at all: the drill is the major diameter.
  float drill = in.tapDia;
  if (in.pitch != 0) drill = in.tapDia - percent * perPercent / (1 / in.pitch);

  std::string text = FormatValue(drill, 4);
  return IsPlainNumber(text) ? text : "";
}

}  // namespace tbx
