#include "ops/deep_drill.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "app/app.h"
#include "ops/drill_size.h"
#include "ops/spindle.h"

namespace tbx {

namespace {

struct PeckField {
  ControlId control;
  bool percentOnly;  // read by % Peck only; the others by both manual modes
};
constexpr std::array<PeckField, 6> kPeckFields{{
    {id::kRapidClearanceLabel, false},
    {id::kRapidClearance, false},
    {id::kPeckMinLabel, true},
    {id::kPeckMin, true},
    {id::kPercentPeckLabel, true},
    {id::kPercentPeck, true},
}};

// Half angle of the drill point; the point adds (D / 2) × tan(90° − h) below the depth.
struct PointAngle {
  ControlId radio;
  double halfAngle;
};
constexpr std::array<PointAngle, 3> kPointAngles{{
    {id::kFlatBottom, 90}, {id::kDeep118, 59}, {id::kDeep135, 67.5}}};

PeckMode CheckedMode(const App& app) {
  if (app.Checked(id::kEqualPeck)) return PeckMode::Equal;
  if (app.Checked(id::kPercentPeckMode)) return PeckMode::Percent;
  return PeckMode::G83;
}

// Blocks of one operation besides its pecks: tool change, return (3), G97, G0 Z, X0,
// approach, last G1, retract; comment and dwell when written.
constexpr int kFixedManualBlocks = 4 + 6;

// What both kinds of cycle need, in single precision as read and derived.
struct Hole {
  float start, retract, finalZ, maxPeck, feed;
  double dwellMs;
};

// Equal Peck: every peck is the first one. % Peck: each a share of the one before, down to
// the minimum.
void ManualPeckBlocks(const App& app, Operation& op, PeckMode mode, const Hole& hole,
                      int fixedBlocks) {
  float factor = 1;
  float minPeck = hole.maxPeck;
  if (mode == PeckMode::Percent) {
    const std::optional<int> percent = WholeNumber16(app.Number(id::kPercentPeck));
    if (!percent) op.Refuse("Percent Peck must be between -32768 and 32767");
    factor = static_cast<float>(percent.value_or(100)) / 100.0f;
    minPeck = app.Single(id::kPeckMin);
  }
  if (!(hole.maxPeck > 0)) op.Refuse("Peck Value (Max) must be greater than 0");
  if (factor < 1 && !(minPeck > 0))
    op.Refuse("Peck Value (Min) must be greater than 0 when Percent Peck is below 100");
  if (!op.Refusal().empty()) return;
  const auto pecks = PeckDepths(hole.start, hole.finalZ, hole.maxPeck, minPeck, factor,
                                static_cast<std::size_t>((kMaxOperationBlocks - fixedBlocks) / 3));
  if (!pecks) {
    op.Refuse(std::string(factor < 1 ? "Peck Value (Min)" : "Peck Value (Max)") +
              " is too small: the operation would write more than 9,999 blocks");
    return;
  }

  const float rapidClearance = app.Single(id::kRapidClearance);
  std::string feedWord = op.Word('F', hole.feed, 4);  // on the first G1 block only
  op.Block(op.Word('Z', hole.start + rapidClearance, 4));
  for (float z : *pecks) {
    op.Block(" G1" + op.Word('Z', z, 4) + std::exchange(feedWord, ""));
    op.Block(" G0" + op.Word('Z', hole.retract, 4));
    op.Block(op.Word('Z', z + rapidClearance, 4));
  }
  op.Block(" G1" + op.Word('Z', hole.finalZ, 4) + feedWord);
  if (hole.dwellMs != 0) op.Block(" G4" + op.WholeWord('P', hole.dwellMs));
  op.Block(" G0" + op.Word('Z', hole.retract, 4));
}

}  // namespace

void SetPeckControls(App& app, PeckMode mode) {
  for (const PeckField& field : kPeckFields) {
    const bool on = field.percentOnly ? mode == PeckMode::Percent : mode != PeckMode::G83;
    on ? app.Enable(field.control) : app.Disable(field.control);
  }
}

void G83Clicked(App& app) { SetPeckControls(app, PeckMode::G83); }
void EqualPeckClicked(App& app) { SetPeckControls(app, PeckMode::Equal); }
void PercentPeckClicked(App& app) { SetPeckControls(app, PeckMode::Percent); }

std::optional<std::vector<float>> PeckDepths(float start, float finalZ, float maxPeck,
                                             float minPeck, float factor, std::size_t limit) {
  std::vector<float> depths;
  float z = start - maxPeck;
  float peck = maxPeck;
  if (!(z >= finalZ)) return depths;
  do {
    if (depths.size() == limit) return std::nullopt;
    depths.push_back(z);
    peck = factor * peck;
    if (!(peck > minPeck)) peck = minPeck;
    z = z - peck;
  } while (z > finalZ);
  return depths;
}

void DeepDrillGenerator(App& app) {
  Operation op(app.program.rapidMode);
  const PeckMode mode = CheckedMode(app);
  const float diameter = app.Single(id::kDeepDrillDia);
  const std::string comment = app.Text(id::kDeepComment);
  double halfAngle = kPointAngles.front().halfAngle;
  for (const PointAngle& angle : kPointAngles)
    if (app.Checked(angle.radio)) halfAngle = angle.halfAngle;
  Hole hole;
  hole.start = app.Single(id::kDeepStart);
  hole.retract = hole.start + app.Single(id::kDeepZClearance);
  hole.finalZ = ToSingle(hole.start + app.Single(id::kDeepDepth) -
                         diameter / 2.0 * std::tan((90 - halfAngle) * app.pi / 180));
  hole.maxPeck = app.Single(id::kPeckMax);
  hole.feed = app.Single(id::kDeepFeed);
  hole.dwellMs = ReadDwell(app, id::kDeepDwell, op);

  op.Comment(comment);
  SpindleBlock(app, op, "Drill Diameter", diameter, true);
  op.Block(" G0" + op.Word('Z', hole.retract, 4));
  op.Block(" X0");
  if (mode == PeckMode::G83) {
    op.Block(" G83" + op.Word('Z', hole.finalZ, 4) + op.Word('Q', hole.maxPeck, 4) +
             (hole.dwellMs != 0 ? op.WholeWord('P', hole.dwellMs) : "") +
             op.Word('F', hole.feed, 4));
    op.Block(" G80" + op.Word('Z', hole.retract, 4));
  } else {
    const int fixedBlocks =
        kFixedManualBlocks + (comment.empty() ? 0 : 1) + (hole.dwellMs != 0 ? 1 : 0);
    ManualPeckBlocks(app, op, mode, hole, fixedBlocks);
  }
  op.RapidMode() = 1;
  WriteOperation(app, op);
}

}  // namespace tbx
