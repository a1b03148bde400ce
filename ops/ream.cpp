#include "ops/ream.h"

#include "app/app.h"
#include "ops/drill_size.h"
#include "ops/spindle.h"

namespace tbx {

void ReamGenerator(App& app) {
  const float diameter = app.Single(id::kReamerDia);
  const float zStart = app.Single(id::kReamZStart);
  const float rapidClearance = app.Single(id::kReamRapidClearance);
  const float approach = zStart + rapidClearance;
  // The reamer goes Rapid Clearance past the hole depth, which does not move with Z Start.
  const float bottom = app.Single(id::kReamDepth) - rapidClearance;
  const float feed = app.Single(id::kReamFeed);
  Operation op(app.program.rapidMode);

  op.Comment(app.Text(id::kReamComment));
  SpindleBlock(app, op, "Reamer Diameter", diameter, true);
  op.Block(" G0" + op.Word('Z', approach, 4));
  op.Block(" X0");
  op.Block(" G1" + op.Word('Z', bottom, 4) + op.Word('F', feed, 4));
  if (app.Checked(id::kFeedOut)) {
    op.Block(op.Word('Z', approach, 4));  // still G1: withdrawn at feed
    op.RapidMode() = 0;
  } else {
    op.Block(" G0" + op.Word('Z', approach, 4));
    op.RapidMode() = 1;
  }
  WriteOperation(app, op);
}

}  // namespace tbx
