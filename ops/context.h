#pragma once
// What every generator needs besides its own tab's inputs: the values of the always-visible
// part of the window and the state the program text carries from one operation to the next.
#include "data/settings.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kSpm = "shared.spm";
}  // namespace key

struct OpContext {
  bool metric = false;
  double pi = kPi;
  int rapidMode = 0;         // RapidMode as the operation finds it
  float surfaceSpeed = 0;    // the SPM box in single precision
  ToolChange toolChange;     // the tool and the position the operation returns to
};

}  // namespace tbx
