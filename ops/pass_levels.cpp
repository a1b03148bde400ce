#include "ops/pass_levels.h"

#include <algorithm>
#include <cmath>

namespace tbx {

std::vector<double> PassLevels(Operation& op, double from, double to, double maxStep) {
  const double distance = std::fabs(to - from);
  // A step that divides the distance up to single-precision noise takes no extra pass.
  const double count = std::ceil(distance / maxStep - 1e-6);
  if (!(count <= kMaxOperationBlocks)) {
    op.Refuse({}, kTooManyBlocks);
    return {};
  }
  std::vector<double> levels;
  const int passes = std::max(1, static_cast<int>(count));
  if (distance == 0) return levels;
  for (int k = 1; k < passes; ++k) levels.push_back(from + (to - from) * k / passes);
  levels.push_back(to);
  return levels;
}

}  // namespace tbx
