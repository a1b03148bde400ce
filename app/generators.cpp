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
