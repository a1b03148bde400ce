#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

struct GrooveInputs {
  std::string comment;
  bool inside = false;
  float majorDia = 0, minorDia = 0, zStart = 0;
  float zAbsClr = 0;  // inside grooves: the Z the tool enters and leaves the bore at
  float xIncClr = 0, grooveWidth = 0, toolWidth = 0, percentStep = 0, feed = 0;
  float bottomStock = 0, wallStock = 0;
  bool finishPass = false;
  // Corner breaks of the finish pass: size, and radius rather than chamfer.
  float rightSize = 0, leftSize = 0;
  bool rightRadius = false, leftRadius = false;
};

Operation GrooveOperation(const GrooveInputs& in, const OpContext& ctx);

}  // namespace tbx
