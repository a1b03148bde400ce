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
// naming the box, before the generator sees it.
class TabReader {
 public:
  explicit TabReader(App& app) : app_(app) {}

  float Single(ControlId id, std::string_view name) {
    const float value = app_.Single(id);
    if (!std::isfinite(value)) OutOfRange(name);
    return value;
  }
  double Number(ControlId id, std::string_view name) {
    const double value = app_.Number(id);
    if (!std::isfinite(ToSingle(value))) OutOfRange(name);
    return value;
  }
  std::string Text(ControlId id) const { return app_.Text(id); }
  bool Checked(ControlId id) const { return app_.Checked(id); }

  // The context, with the SPM box checked like the others.
  OpContext Context() {
    OpContext ctx = ContextOf(app_);
    if (!std::isfinite(ctx.surfaceSpeed)) OutOfRange("SPM");
    return ctx;
  }

  // Writes the operation, or shows the first box found out of range and writes nothing.
  template <typename Generate>
  void Write(const OpContext& ctx, Generate generate) {
    if (!refusal_.empty()) {
      app_.Error(refusal_);
      return;
    }
    WriteOperation(app_, generate(ctx));
  }

 private:
  void OutOfRange(std::string_view name) {
    if (refusal_.empty()) refusal_ = std::string(name) + " is out of range";
  }

  App& app_;
  std::string refusal_;
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
SurfaceSpeedMode SurfaceSpeedOf(TabReader& r, ControlId constant, ControlId maxRpm) {
  SurfaceSpeedMode mode{r.Checked(constant), 0};
  if (mode.constant) mode.maxRpm = r.Single(maxRpm, "Max RPM");
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
  in.majorDia = r.Single(kThreadMajorDia, "Major Dia");
  in.pitch = r.Single(kThreadPitch, "Pitch");
  in.zStart = r.Single(kThreadZStart, "Z Start");
  in.zEnd = r.Single(kThreadZEnd, "Z End");
  in.xClearance = r.Single(kThreadXClearance, "X Clearance");
  in.dwellPasses = r.Single(kDwellPasses, "Dwell Passes");
  in.leads = r.Single(kLeads, "Leads");
  in.maxSpm = r.Single(kMaxSpm, "Max SPM");
  if (in.code == ThreadCode::G32 || in.code == ThreadCode::G33)
    in.passes = r.Single(kThreadPasses, "Thread Passes");
  in.pipe = r.Checked(kPipeThread);
  in.taperAngle = r.Single(kTaperAngle, "Taper Angle");
  in.chamfer45 = r.Checked(kChamfer45);
  in.toolAngle = Choice(r, kToolAngles);
  r.Write(r.Context(), [&](const OpContext& ctx) { return ThreadOperation(in, ctx); });
}

void CSinkDrillGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  CSinkDrillInputs in;
  in.comment = r.Text(kCSinkComment);
  in.csinkDia = r.Single(kCSinkDia, "C'Sink Dia.");
  in.zStart = r.Single(kCSinkZStart, "Z Start");
  in.clearance = r.Single(kCSinkClearance, "Clearance");
  in.dwellSeconds = r.Single(kCSinkDwell, "Dwell Seconds");
  in.feed = r.Single(kCSinkFeed, "Feedrate");
  in.centerDrill = r.Checked(kCenterDrill60);
  in.point = Choice(r, kCSinkPoints);
  if (in.centerDrill) {
    in.drillDia = r.Single(kCSinkDrillDia, "Drill Diameter");
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
  in.drillDia = r.Single(kDeepDrillDia, "Drill Diameter");
  in.zStart = r.Single(kDeepStart, "Start");
  in.depth = r.Single(kDeepDepth, "Depth");
  in.zClearance = r.Single(kDeepZClearance, "Z ABS Clearance");
  in.peckMax = r.Single(kPeckMax, "Peck Value (Max)");
  in.dwellSeconds = r.Single(kDeepDwell, "Dwell Seconds");
  in.feed = r.Single(kDeepFeed, "Feedrate");
  if (in.mode != PeckMode::G83) in.rapidClearance = r.Single(kRapidClearance, "Rapid Clearance");
  if (in.mode == PeckMode::Percent) {
    in.peckMin = r.Single(kPeckMin, "Peck Value (Min)");
    in.percentPeck = r.Number(kPercentPeck, "Percent Peck");
  }
  r.Write(r.Context(), [&](const OpContext& ctx) { return DeepDrillOperation(in, ctx); });
}

void ReamGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const ReamInputs in{r.Text(kReamComment),
                      r.Single(kReamerDia, "Reamer Diameter"),
                      r.Single(kReamZStart, "Z Start"),
                      r.Single(kReamDepth, "Z Hole Depth"),
                      r.Single(kReamRapidClearance, "Rapid Clearance"),
                      r.Single(kReamFeed, "Feedrate"),
                      r.Checked(kFeedOut)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return ReamOperation(in, ctx); });
}

void TapGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  TapInputs in;
  in.comment = r.Text(kTapComment);
  in.majorDia = r.Single(kTapMajorDia, "Major Diameter");
  in.pitch = r.Single(kTapPitch, "Pitch");
  in.zStart = r.Single(kTapZStart, "Z Start");
  in.depth = r.Single(kTapDepth, "Tap Depth");
  in.clearance = r.Single(kTapClearance, "Clearance");
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
  in.majorDia = r.Single(kGrooveMajorDia, "Major Dia");
  in.minorDia = r.Single(kGrooveMinorDia, "Minor Dia");
  in.zStart = r.Single(kGrooveZStart, "Z Start");
  if (in.inside) in.zAbsClr = r.Single(kZAbsClr, "Z ABS Clr");
  in.xIncClr = r.Single(kXIncClr, "X INC Clr");
  in.grooveWidth = r.Single(kGrooveWidth, "Groove Width");
  in.toolWidth = r.Single(kToolWidth, "Tool Width");
  in.percentStep = r.Single(kPercentStep, "% Step");
  in.feed = r.Single(kGrooveFeed, "Feedrate");
  in.bottomStock = r.Single(kXBottomStock, "X Bottom Stock");
  in.wallStock = r.Single(kZWallStock, "Z Wall Stock");
  in.finishPass = r.Checked(kFinishPass);
  if (in.finishPass) {
    in.rightSize = r.Single(kRightSize, "Right");
    in.leftSize = r.Single(kLeftSize, "Left");
    in.rightRadius = r.Checked(kRightToggle);
    in.leftRadius = r.Checked(kLeftToggle);
  }
  r.Write(r.Context(), [&](const OpContext& ctx) { return GrooveOperation(in, ctx); });
}

void FaceGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const FaceInputs in{r.Text(kFaceComment),
                      r.Single(kFaceStockDia, "Stock Dia"),
                      r.Single(kFaceEndDia, "End Dia"),
                      r.Single(kFaceZStart, "Z Start"),
                      r.Single(kFaceZFinal, "Z Final"),
                      r.Single(kFaceDepthOfCut, "Depth of Cut"),
                      r.Single(kFaceFinishAllowance, "Finish Allowance"),
                      r.Single(kFaceRoughFeed, "Rough Feed"),
                      r.Single(kFaceFinishFeed, "Finish Feed"),
                      r.Single(kFaceXClearance, "X Clearance"),
                      r.Single(kFaceZClearance, "Z Clearance"),
                      SurfaceSpeedOf(r, kFaceCss, kFaceMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return FaceOperation(in, ctx); });
}

void TurnGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const TurnInputs in{r.Text(kTurnComment),
                      r.Checked(kTurnInside),
                      r.Single(kTurnStartDia, "Start Dia"),
                      r.Single(kTurnFinalDia, "Final Dia"),
                      r.Single(kTurnZStart, "Z Start"),
                      r.Single(kTurnZEnd, "Z End"),
                      r.Single(kTurnDepthOfCut, "Depth of Cut"),
                      r.Single(kTurnFinishAllowanceX, "Finish Allowance X"),
                      r.Single(kTurnFinishAllowanceZ, "Finish Allowance Z"),
                      r.Single(kTurnRoughFeed, "Rough Feed"),
                      r.Single(kTurnFinishFeed, "Finish Feed"),
                      r.Single(kTurnChamfer, "Chamfer"),
                      r.Single(kTurnClearance, "Clearance"),
                      SurfaceSpeedOf(r, kTurnCss, kTurnMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return TurnOperation(in, ctx); });
}

void PartOffGenerator(App& app) {
  using namespace id;
  TabReader r(app);
  const PartOffInputs in{r.Text(kPartComment),
                         r.Single(kPartStockDia, "Stock Dia"),
                         r.Single(kPartEndDia, "End Dia"),
                         r.Single(kPartZPosition, "Z Position"),
                         r.Single(kPartToolWidth, "Tool Width"),
                         r.Single(kPartPeck, "Peck"),
                         r.Single(kPartFeed, "Feed"),
                         r.Single(kPartReducedFeedDia, "Reduced Feed Dia"),
                         r.Single(kPartReducedFeed, "Reduced Feed"),
                         r.Single(kPartChamfer, "Chamfer"),
                         r.Single(kPartClearance, "Clearance"),
                         SurfaceSpeedOf(r, kPartCss, kPartMaxRpm)};
  r.Write(r.Context(), [&](const OpContext& ctx) { return PartOffOperation(in, ctx); });
}

}  // namespace tbx
