#include "ops/lathe_path.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tbx {

std::string LathePath::Words(std::optional<double> x, std::optional<double> z) {
  std::string words;
  if (x) words += op_.Axis('X', *x);
  if (z) words += op_.Axis('Z', *z);
  return words;
}

void LathePath::Rapid(std::optional<double> x, std::optional<double> z) {
  if (feeding_) op_.RapidMode() = 0;
  feeding_ = false;
  op_.Block(op_.Rapid() + Words(x, z));
}

void LathePath::Feed(std::optional<double> x, std::optional<double> z, double feed) {
  std::string words = feeding_ ? "" : " G1";
  words += Words(x, z);
  if (!feed_ || *feed_ != feed) words += op_.Feed(feed);
  feed_ = feed;
  feeding_ = true;
  op_.Block(words);
}

void LathePath::Finish() {
  if (feeding_) op_.RapidMode() = 0;
}

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

namespace tbx {

void RequireNumbers(Operation& op, std::initializer_list<NamedValue> boxes) {
  for (const NamedValue& box : boxes) {
    if (!std::isfinite(box.value)) op.Refuse(box.field, "{} must be a number");
  }
}

}  // namespace tbx
