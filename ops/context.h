#pragma once
// What every generator needs besides its own tab's inputs: the values of the always-visible
// part of the window and the state the program text carries from one operation to the next.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "data/tool_library.h"

#include "program/numbers.h"
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
  std::optional<Tool> tool;  // the tool library's tool of the T word, in the program's units
  // The number the program gives the operation's tool-change block; its own blocks follow
  // in tens. A cycle names its contour's blocks by them.
  std::int64_t firstBlock = 10;
};

// Refuses the operation, blaming `field`, unless `ok`.
inline void Require(Operation& op, bool ok, FieldKey field, const char* text) {
  if (!ok) op.Refuse(field, text);
}

struct NamedValue {
  FieldKey field;
  float value;
};
// Refuses the first box that does not hold a finite number ("INF." in a box): "Z Start must
// be a number".
inline void RequireNumbers(Operation& op, std::initializer_list<NamedValue> boxes) {
  for (const NamedValue& box : boxes) {
    if (!std::isfinite(box.value)) op.Refuse(box.field, "{} must be a number");
  }
}

}  // namespace tbx
