#include "app/generators.h"

#include "app/app.h"
#include "ops/ream.h"
#include "ops/spindle.h"

namespace tbx {

void ReamGenerator(App& app) {
  const ReamInputs in{app.Text(id::kReamComment), app.Single(id::kReamerDia),
                      app.Single(id::kReamZStart), app.Single(id::kReamDepth),
                      app.Single(id::kReamRapidClearance), app.Single(id::kReamFeed),
                      app.Checked(id::kFeedOut)};
  WriteOperation(app, ReamOperation(in, ContextOf(app)));
}

}  // namespace tbx

#include "ops/face.h"
#include "ops/part_off.h"
#include "ops/turn.h"

namespace tbx {

void FaceGenerator(App& app) {
  using namespace id;
  const FaceInputs in{app.Text(kFaceComment), app.Single(kFaceStockDia), app.Single(kFaceEndDia),
                      app.Single(kFaceZStart), app.Single(kFaceZFinal),
                      app.Single(kFaceDepthOfCut), app.Single(kFaceFinishAllowance),
                      app.Single(kFaceRoughFeed), app.Single(kFaceFinishFeed),
                      app.Single(kFaceXClearance), app.Single(kFaceZClearance),
                      {app.Checked(kFaceCss), app.Single(kFaceMaxRpm)}};
  WriteOperation(app, FaceOperation(in, ContextOf(app)));
}

void TurnGenerator(App& app) {
  using namespace id;
  const TurnInputs in{app.Text(kTurnComment), app.Checked(kTurnInside),
                      app.Single(kTurnStartDia), app.Single(kTurnFinalDia),
                      app.Single(kTurnZStart), app.Single(kTurnZEnd),
                      app.Single(kTurnDepthOfCut), app.Single(kTurnFinishAllowanceX),
                      app.Single(kTurnFinishAllowanceZ), app.Single(kTurnRoughFeed),
                      app.Single(kTurnFinishFeed), app.Single(kTurnChamfer),
                      app.Single(kTurnClearance),
                      {app.Checked(kTurnCss), app.Single(kTurnMaxRpm)}};
  WriteOperation(app, TurnOperation(in, ContextOf(app)));
}

void PartOffGenerator(App& app) {
  using namespace id;
  const PartOffInputs in{app.Text(kPartComment), app.Single(kPartStockDia),
                         app.Single(kPartEndDia), app.Single(kPartZPosition),
                         app.Single(kPartToolWidth), app.Single(kPartPeck),
                         app.Single(kPartFeed), app.Single(kPartReducedFeedDia),
                         app.Single(kPartReducedFeed), app.Single(kPartChamfer),
                         app.Single(kPartClearance),
                         {app.Checked(kPartCss), app.Single(kPartMaxRpm)}};
  WriteOperation(app, PartOffOperation(in, ContextOf(app)));
}

}  // namespace tbx
