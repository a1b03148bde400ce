#include "app/generators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/options.h"
#include "ops/csink_drill.h"
#include "ops/deep_drill.h"
#include "ops/face.h"
#include "ops/groove.h"
#include "ops/part_off.h"
#include "ops/ream.h"
#include "ops/tap.h"
#include "ops/thread.h"
#include "ops/turn.h"

namespace tbx {

namespace {

// Reads the boxes of a tab. A box holding a value beyond single range refuses the operation,
// blaming the box (by its key), before the generator sees it.
class TabReader {
 public:
  explicit TabReader(App& app) : app_(app) {}

  float Single(ControlId id, FieldKey field) {
    const float value = app_.Single(id);
    if (!std::isfinite(value)) OutOfRange(field);
    return value;
  }
  double Number(ControlId id, FieldKey field) {
    const double value = app_.Number(id);
    if (!std::isfinite(ToSingle(value))) OutOfRange(field);
    return value;
  }
  std::string Text(ControlId id) const { return app_.Text(id); }
  bool Checked(ControlId id) const { return app_.Checked(id); }

  // The context, with the SPM box checked like the others.
  OpContext Context() {
    OpContext ctx = ContextOf(app_);
    if (!std::isfinite(ctx.surfaceSpeed)) OutOfRange(key::kSpm);
    return ctx;
  }

  // Writes the operation, or shows the first box found out of range and writes nothing.
  template <typename Generate>
  void Write(const OpContext& ctx, Generate generate) {
    if (!refusal_.empty()) {
      ShowRefusal(app_, refusal_);
      return;
    }
    WriteOperation(app_, generate(ctx));
  }

 private:
  void OutOfRange(FieldKey field) {
    if (refusal_.empty()) refusal_ = {std::string(field), "{} is out of range"};
  }

  App& app_;
  Refusal refusal_;
};

template <typename T>
struct RadioChoice {
  ControlId radio;
  T value;
};

// The value of the first checked radio of a group, or the group's first value.
template <typename T, std::size_t N>
T Choice(const TabReader& r, const std::array<RadioChoice<T>, N>& group) {
  for (const RadioChoice<T>& choice : group)
    if (r.Checked(choice.radio)) return choice.value;
  return group.front().value;
}

constexpr std::array<RadioChoice<int>, 6> kToolAngles{{{id::kToolAngle0, 0},
                                                       {id::kToolAngle29, 29},
                                                       {id::kToolAngle30, 30},
                                                       {id::kToolAngle55, 55},
                                                       {id::kToolAngle60, 60},
                                                       {id::kToolAngle80, 80}}};
constexpr std::array<RadioChoice<ThreadCode>, 4> kThreadCodes{{{id::kOtControl, ThreadCode::Ot},
                                                               {id::k6tControl, ThreadCode::SixT},
                                                               {id::kG32Code, ThreadCode::G32},
                                                               {id::kG33Code, ThreadCode::G33}}};
constexpr std::array<RadioChoice<DrillPoint>, 3> kCSinkPoints{{{id::kAngle90, DrillPoint::Deg90},
                                                              {id::kAngle118, DrillPoint::Deg118},
                                                              {id::kAngle135, DrillPoint::Deg135}}};
constexpr std::array<RadioChoice<DrillPoint>, 3> kDeepPoints{{{id::kFlatBottom, DrillPoint::Flat},
                                                             {id::kDeep118, DrillPoint::Deg118},
                                                             {id::kDeep135, DrillPoint::Deg135}}};
constexpr std::array<RadioChoice<PeckMode>, 3> kPeckModes{{{id::kG83, PeckMode::G83},
                                                          {id::kEqualPeck, PeckMode::Equal},
                                                          {id::kPercentPeckMode, PeckMode::Percent}}};
constexpr std::array<RadioChoice<TapCode>, 3> kTapCodes{{{id::kG84, TapCode::G84},
                                                        {id::kTapG32, TapCode::G32},
                                                        {id::kTapG33, TapCode::G33}}};

// Constant Surface Speed and its Max RPM; the cap is read only when the box is ticked.
SurfaceSpeedMode SurfaceSpeedOf(TabReader& r, ControlId constant, ControlId maxRpm,
                                FieldKey maxRpmField) {
  SurfaceSpeedMode mode{r.Checked(constant), 0};
  if (mode.constant) mode.maxRpm = r.Single(maxRpm, maxRpmField);
  return mode;
}

}  // namespace

void ThreadGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  ThreadInputs in;
  in.comment = r.Text(kThreadComment);
  in.inside = r.Checked(kThreadInside);
  in.code = Choice(r, kThreadCodes);
  in.majorDia = r.Single(kThreadMajorDia, key::kThreadMajorDia);
  in.pitch = r.Single(kThreadPitch, key::kThreadPitch);
  in.zStart = r.Single(kThreadZStart, key::kThreadZStart);
  in.zEnd = r.Single(kThreadZEnd, key::kThreadZEnd);
  in.xClearance = r.Single(kThreadXClearance, key::kThreadXClearance);
  in.dwellPasses = r.Single(kDwellPasses, key::kDwellPasses);
  in.leads = r.Single(kLeads, key::kLeads);
  in.maxSpm = r.Single(kMaxSpm, key::kMaxSpm);
  if (in.code == ThreadCode::G32 || in.code == ThreadCode::G33)
    in.passes = r.Single(kThreadPasses, key::kThreadPasses);
  in.pipe = r.Checked(kPipeThread);
  in.taperAngle = r.Single(kTaperAngle, key::kTaperAngle);
  in.chamfer45 = r.Checked(kChamfer45);
  in.toolAngle = Choice(r, kToolAngles);
  r.Write(r.Context(), [&](const OpContext& ctx) { return ThreadOperation(in, ctx); });
}

void CSinkDrillGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  CSinkDrillInputs in;
  in.comment = r.Text(kCSinkComment);
  in.csinkDia = r.Single(kCSinkDia, key::kCSinkDia);
  in.zStart = r.Single(kCSinkZStart, key::kCSinkZStart);
  in.clearance = r.Single(kCSinkClearance, key::kCSinkClearance);
  in.dwellSeconds = r.Single(kCSinkDwell, key::kCSinkDwell);
  in.feed = r.Single(kCSinkFeed, key::kCSinkFeed);
  in.centerDrill = r.Checked(kCenterDrill60);
  in.point = Choice(r, kCSinkPoints);
  if (in.centerDrill) {
    in.drillDia = r.Single(kCSinkDrillDia, key::kCSinkDrillDia);
    in.centerDrillSize = std::max(0, CheckedCenterDrill(app));
  }
  r.Write(r.Context(), [&](const OpContext& ctx) { return CSinkDrillOperation(in, ctx); });
}

void DeepDrillGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  DeepDrillInputs in;
  in.comment = r.Text(kDeepComment);
  in.mode = Choice(r, kPeckModes);
  in.point = Choice(r, kDeepPoints);
  in.drillDia = r.Single(kDeepDrillDia, key::kDeepDrillDia);
  in.zStart = r.Single(kDeepStart, key::kDeepStart);
  in.depth = r.Single(kDeepDepth, key::kDeepDepth);
  in.zClearance = r.Single(kDeepZClearance, key::kDeepZClearance);
  in.peckMax = r.Single(kPeckMax, key::kPeckMax);
  in.dwellSeconds = r.Single(kDeepDwell, key::kDeepDwell);
  in.feed = r.Single(kDeepFeed, key::kDeepFeed);
  if (in.mode != PeckMode::G83) in.rapidClearance = r.Single(kRapidClearance, key::kRapidClearance);
  if (in.mode == PeckMode::Percent) {
    in.peckMin = r.Single(kPeckMin, key::kPeckMin);
    in.percentPeck = r.Number(kPercentPeck, key::kPercentPeck);
  }
  r.Write(r.Context(), [&](const OpContext& ctx) { return DeepDrillOperation(in, ctx); });
}

void ReamGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const ReamInputs in{r.Text(kReamComment),
                      r.Single(kReamerDia, key::kReamerDia),
                      r.Single(kReamZStart, key::kReamZStart),
                      r.Single(kReamDepth, key::kReamDepth),
                      r.Single(kReamRapidClearance, key::kReamRapidClearance),
                      r.Single(kReamFeed, key::kReamFeed),
                      r.Checked(kFeedOut)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return ReamOperation(in, ctx); });
}

void TapGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  TapInputs in;
  in.comment = r.Text(kTapComment);
  in.majorDia = r.Single(kTapMajorDia, key::kTapMajorDia);
  in.pitch = r.Single(kTapPitch, key::kTapPitch);
  in.zStart = r.Single(kTapZStart, key::kTapZStart);
  in.depth = r.Single(kTapDepth, key::kTapDepth);
  in.clearance = r.Single(kTapClearance, key::kTapClearance);
  in.leftHand = r.Checked(kLeftHand);
  in.code = Choice(r, kTapCodes);
  r.Write(r.Context(), [&](const OpContext& ctx) { return TapOperation(in, ctx); });
}

void GrooveGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  GrooveInputs in;
  in.comment = r.Text(kGrooveComment);
  in.inside = r.Checked(kGrooveInside);
  in.majorDia = r.Single(kGrooveMajorDia, key::kGrooveMajorDia);
  in.minorDia = r.Single(kGrooveMinorDia, key::kGrooveMinorDia);
  in.zStart = r.Single(kGrooveZStart, key::kGrooveZStart);
  if (in.inside) in.zAbsClr = r.Single(kZAbsClr, key::kZAbsClr);
  in.xIncClr = r.Single(kXIncClr, key::kXIncClr);
  in.grooveWidth = r.Single(kGrooveWidth, key::kGrooveWidth);
  in.toolWidth = r.Single(kToolWidth, key::kToolWidth);
  in.percentStep = r.Single(kPercentStep, key::kPercentStep);
  in.feed = r.Single(kGrooveFeed, key::kGrooveFeed);
  in.bottomStock = r.Single(kXBottomStock, key::kXBottomStock);
  in.wallStock = r.Single(kZWallStock, key::kZWallStock);
  in.finishPass = r.Checked(kFinishPass);
  if (in.finishPass) {
    in.rightSize = r.Single(kRightSize, key::kRightSize);
    in.leftSize = r.Single(kLeftSize, key::kLeftSize);
    in.rightRadius = r.Checked(kRightToggle);
    in.leftRadius = r.Checked(kLeftToggle);
  }
  r.Write(r.Context(), [&](const OpContext& ctx) { return GrooveOperation(in, ctx); });
}

void FaceGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const FaceInputs in{r.Text(kFaceComment),
                      r.Single(kFaceStockDia, key::kFaceStockDia),
                      r.Single(kFaceEndDia, key::kFaceEndDia),
                      r.Single(kFaceZStart, key::kFaceZStart),
                      r.Single(kFaceZFinal, key::kFaceZFinal),
                      r.Single(kFaceDepthOfCut, key::kFaceDepthOfCut),
                      r.Single(kFaceFinishAllowance, key::kFaceFinishAllowance),
                      r.Single(kFaceRoughFeed, key::kFaceRoughFeed),
                      r.Single(kFaceFinishFeed, key::kFaceFinishFeed),
                      r.Single(kFaceXClearance, key::kFaceXClearance),
                      r.Single(kFaceZClearance, key::kFaceZClearance),
                      SurfaceSpeedOf(r, kFaceCss, kFaceMaxRpm, key::kFaceMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return FaceOperation(in, ctx); });
}

void TurnGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const TurnInputs in{r.Text(kTurnComment),
                      r.Checked(kTurnInside),
                      r.Single(kTurnStartDia, key::kTurnStartDia),
                      r.Single(kTurnFinalDia, key::kTurnFinalDia),
                      r.Single(kTurnZStart, key::kTurnZStart),
                      r.Single(kTurnZEnd, key::kTurnZEnd),
                      r.Single(kTurnDepthOfCut, key::kTurnDepthOfCut),
                      r.Single(kTurnFinishAllowanceX, key::kTurnFinishAllowanceX),
                      r.Single(kTurnFinishAllowanceZ, key::kTurnFinishAllowanceZ),
                      r.Single(kTurnRoughFeed, key::kTurnRoughFeed),
                      r.Single(kTurnFinishFeed, key::kTurnFinishFeed),
                      r.Single(kTurnChamfer, key::kTurnChamfer),
                      r.Single(kTurnClearance, key::kTurnClearance),
                      SurfaceSpeedOf(r, kTurnCss, kTurnMaxRpm, key::kTurnMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return TurnOperation(in, ctx); });
}

void PartOffGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const PartOffInputs in{r.Text(kPartComment),
                         r.Single(kPartStockDia, key::kPartStockDia),
                         r.Single(kPartEndDia, key::kPartEndDia),
                         r.Single(kPartZPosition, key::kPartZPosition),
                         r.Single(kPartToolWidth, key::kPartToolWidth),
                         r.Single(kPartPeck, key::kPartPeck),
                         r.Single(kPartFeed, key::kPartFeed),
                         r.Single(kPartReducedFeedDia, key::kPartReducedFeedDia),
                         r.Single(kPartReducedFeed, key::kPartReducedFeed),
                         r.Single(kPartChamfer, key::kPartChamfer),
                         r.Single(kPartClearance, key::kPartClearance),
                         SurfaceSpeedOf(r, kPartCss, kPartMaxRpm, key::kPartMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return PartOffOperation(in, ctx); });
}

}  // namespace tbx
