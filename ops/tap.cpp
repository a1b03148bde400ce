#include "ops/tap.h"

#include <cmath>
#include <string>

#include "app/app.h"
#include "ops/spindle.h"
#include "ops/thread_size.h"

namespace tbx {

void TapTabSizePicked(App& app) {
  FillFromThreadSize(app, id::kTapSize, id::kTapMajorDia, id::kTapPitch);
}

// Left Hand is offered only with G32/G33. Its check mark is left alone, so a mark set
// earlier still turns a G84 spindle block to M4.
void G84Clicked(App& app) { app.Disable(id::kLeftHand); }
void TapG32Clicked(App& app) { app.Enable(id::kLeftHand); }
void TapG33Clicked(App& app) { app.Enable(id::kLeftHand); }

void TapGenerator(App& app) {
  Operation op(app.program.rapidMode);

  float majorDia = app.Single(id::kTapMajorDia);
  float pitch = app.Single(id::kTapPitch);
  float zStart = app.Single(id::kTapZStart);
  float depth = app.Single(id::kTapDepth);
  float clearance = app.Single(id::kTapClearance);
  bool leftHand = app.Checked(id::kLeftHand);

  // Not Z Start + Tap Depth: the move ends at Tap Depth - Z Start (Z Start .5, Tap Depth -1
  // taps to Z-1.5), and the clearance plane stands Clearance above Z Start.
  float zDepth = depth - zStart;
  float zClear = clearance + zStart;
  op.Comment(app.Text(id::kTapComment));
  SpindleBlock(app, op, "Major Diameter", majorDia, true, leftHand ? " M4" : " M3");
  op.Block(" G0" + op.Word('Z', zClear, 4));
  op.Block(" X0");
  if (app.Checked(id::kG84)) {
    op.Block(" G84" + op.Word('Z', zDepth, 4) + op.Word('F', pitch, 4));
    op.Block(" G80" + op.Word('Z', zClear, 4));
  } else {
    std::string g = app.Checked(id::kTapG32) ? " G32" : " G33";
    op.Block(g + op.Word('Z', zDepth, 4) + op.Word('F', pitch, 4));
    // The spindle reverses to back the tap out along the same lead.
    op.Block(std::string(" G0") + (leftHand ? " M3" : " M4"));
    op.Block(g + op.Word('Z', zClear, 4) + op.Word('F', pitch, 4));
  }
  op.RapidMode() = 0;
  WriteOperation(app, op);
}

}  // namespace tbx
