#include "app/events.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "app/app.h"
#include "app/tap_data.h"
#include "app/tooltips.h"
#include "app/generators.h"
#include "app/options.h"
#include "app/settings.h"
#include "app/startup.h"

namespace tbx {

namespace {

using namespace id;

// Handlers get the event's control and value; most need neither.
using Handler = void (*)(App&, ControlId control, int value);

struct Route {
  std::vector<ControlId> controls;
  int message;
  Handler handler;
};

template <void (*F)(App&)>
void Plain(App& app, ControlId, int) { F(app); }

const std::vector<Route>& Routes() {
  static const std::vector<Route> routes = {
      {{0}, kMsgClose, Plain<ShutDown>},
      {{kMaterialList}, kMsgChange, [](App& a, ControlId, int) { ApplyMaterialSpeed(a, SpeedSet::Turning); }},
      {{kThreadSize}, kMsgChange, Plain<ThreadSizePicked>},
      {{kPipeThread}, kMsgClick, Plain<PipeThreadClicked>},
      {{kOtControl}, kMsgClick, Plain<OtControlClicked>},
      {{k6tControl}, kMsgClick, Plain<SixTControlClicked>},
      {{kG32Code, kG33Code}, kMsgClick, Plain<G32CodeClicked>},
      {{kThreadOk}, kMsgClick, Plain<ThreadGenerator>},
      {{kCSinkDrillSize}, kMsgChange, [](App& a, ControlId c, int) { DrillSizePicked(a, c); }},
      {{kAngle90, kAngle118, kAngle135}, kMsgClick, Plain<DrillAngleClicked>},
      {{kCenterDrill60}, kMsgClick, Plain<CenterDrillClicked>},
      {{kCenter0, kCenter1, kCenter2, kCenter3, kCenter4, kCenter5, kCenter6, kCenter7, kCenter8},
       kMsgClick, Plain<CenterDrillSizeClicked>},
      {{kCSinkOk}, kMsgClick, Plain<CSinkDrillGenerator>},
      {{kG83}, kMsgClick, Plain<G83Clicked>},
      {{kEqualPeck}, kMsgClick, Plain<EqualPeckClicked>},
      {{kPercentPeckMode}, kMsgClick, Plain<PercentPeckClicked>},
      {{kDeepDrillSize}, kMsgChange, [](App& a, ControlId c, int) { DrillSizePicked(a, c); }},
      {{kDeepOk}, kMsgClick, Plain<DeepDrillGenerator>},
      {{kReamOk}, kMsgClick, Plain<ReamGenerator>},
      {{kTapSize}, kMsgChange, Plain<TapTabSizePicked>},
      {{kG84}, kMsgClick, Plain<G84Clicked>},
      {{kTapG32}, kMsgClick, Plain<TapG32Clicked>},
      {{kTapG33}, kMsgClick, Plain<TapG33Clicked>},
      {{kTapOk}, kMsgClick, Plain<TapGenerator>},
      {{kGrooveOutside}, kMsgClick, Plain<GrooveOutsideClicked>},
      {{kGrooveInside}, kMsgClick, Plain<GrooveInsideClicked>},
      {{kRightToggle}, kMsgClick, Plain<RightToggleClicked>},
      {{kLeftToggle}, kMsgClick, Plain<LeftToggleClicked>},
      {{kGrooveOk}, kMsgClick, Plain<GrooveGenerator>},
      {{kDataTapSize}, kMsgChange, Plain<TapDataSizePicked>},
      {{kPercentThread}, kMsgChange, Plain<CalculateTapDrill>},
      {{kCalc, kStandardTap, kColdFormTap}, kMsgClick, Plain<CalculateTapDrill>},
      {{kMetric}, kMsgClick, Plain<MetricClicked>},
      {{kSettingsOk}, kMsgClick, Plain<SettingsOk>},
      {{kTool}, kMsgChange, Plain<ToolSelected>},
      {{kCarbide, kHss}, kMsgClick, [](App& a, ControlId, int) { ApplyMaterialSpeed(a, SpeedSet::Turning); }},
      {{kUndo}, kMsgClick, Plain<RestoreUndo>},
      {{kCopy}, kMsgClick, Plain<CopyProgram>},
      {{kExit}, kMsgClick, Plain<ShutDown>},
      {{kTabs}, kMsgChange, [](App& a, ControlId, int tab) { TabChanged(a, tab); }},
      {{kThreadMajorDia, kThreadPitch, kThreadZStart, kThreadZEnd, kThreadXClearance, kDwellPasses,
        kLeads, kMaxSpm, kThreadPasses, kTaperAngle,
        kCSinkDrillDia, kCSinkDia, kCSinkZStart, kCSinkClearance, kCSinkDwell, kCSinkFeed,
        kDeepDepth, kDeepZClearance, kRapidClearance, kPeckMax, kPeckMin, kPercentPeck, kDeepDwell,
        kDeepFeed,
        kReamZStart, kReamDepth, kReamerDia, kReamRapidClearance, kReamFeed,
        kTapMajorDia, kTapPitch, kTapZStart, kTapDepth, kTapClearance,
        kGrooveMajorDia, kGrooveMinorDia, kGrooveZStart, kZAbsClr, kXIncClr, kGrooveWidth,
        kToolWidth, kPercentStep, kGrooveFeed, kXBottomStock, kZWallStock, kRightSize, kLeftSize,
        kTapDia, kDataPitch, kXToolChange, kZToolChange,
        kRapidX, kRapidZ, kMaxZFeed, kMachineMaxRpm, kToolChangeTime, kG76MinCut, kG76Finish,
        kG76FinishPasses, kG76Chamfer, kG83Clearance},
       kMsgLeave, [](App& a, ControlId c, int) { NormalizeField(a, c); }},
      {{kFaceOk}, kMsgClick, Plain<FaceGenerator>},
      {{kTurnOk}, kMsgClick, Plain<TurnGenerator>},
      {{kPartOk}, kMsgClick, Plain<PartOffGenerator>},
      {{kFaceStockDia, kFaceEndDia, kFaceZStart, kFaceZFinal, kFaceDepthOfCut,
        kFaceFinishAllowance, kFaceRoughFeed, kFaceFinishFeed, kFaceXClearance, kFaceZClearance,
        kFaceMaxRpm,
        kTurnStartDia, kTurnFinalDia, kTurnZStart, kTurnZEnd, kTurnDepthOfCut,
        kTurnFinishAllowanceX, kTurnFinishAllowanceZ, kTurnRoughFeed, kTurnFinishFeed,
        kTurnChamfer, kTurnClearance, kTurnMaxRpm,
        kPartStockDia, kPartEndDia, kPartZPosition, kPartToolWidth, kPartPeck, kPartFeed,
        kPartReducedFeedDia, kPartReducedFeed, kPartChamfer, kPartClearance, kPartMaxRpm},
       kMsgLeave, [](App& a, ControlId c, int) { NormalizeField(a, c); }},
  };
  return routes;
}

}  // namespace

void EzEvents(App& app, std::string_view form, ControlId control, int message, int value) {
  if (form == kAboutForm) {
    AboutEvent(app, control, message);
    return;
  }
  if (form != kMainForm) return;
  if (control == kAboutMenu) {
    app.ui.ShowForm(kAboutForm);
    return;
  }
  for (const Route& route : Routes()) {
    bool mine = std::find(route.controls.begin(), route.controls.end(), control) != route.controls.end();
    if (mine && route.message == message) {
      route.handler(app, control, value);
      return;
    }
  }
}

void NormalizeField(App& app, ControlId id) {
  const std::string typed = app.Text(id);
  const std::string shown = BoxText(typed);
  app.SetText(id, shown);
  app.ui.FieldNote(kMainForm, id, ReadingNote(id, typed, shown));
}

void TabChanged(App& app, int tab) {
  if (tab < 1 || tab > kTabCount) return;
  app.ui.DisplayLayer(kMainForm, tab, 0);
  ApplyTabSpeed(app, tab);
}

}  // namespace tbx
