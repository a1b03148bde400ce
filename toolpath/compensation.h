#pragma once
// G41 and G42 as the control follows them: a step after the expander, like the interpreter's
// own, that replaces the programmed moves from the block with G41/G42 to the one with G40 by
// the path of the tool's programmed point while its nose centre runs the programmed path
// offset by the nose radius (data/nose_path.h), with the radius and tip orientation the tool
// library gives the T word in force.
#include <vector>

#include "toolpath/reader.h"
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

// What compensation reads of a block: its T word's halves and its G40, G41 or G42.
struct CompensationEvent {
  int line = 0;
  int number = -1, offset = -1;  // T0305: 3 and 5; -1 without a T word
  int code = 0;                  // 40, 41, 42; 0 without one
};

// Gathers the events block by block as the expander runs them.
class CompensationEvents {
 public:
  void Read(const Block& block);
  const std::vector<CompensationEvent>& Events() const { return events_; }
  bool AnyCompensation() const { return any_; }

 private:
  std::vector<CompensationEvent> events_;
  bool any_ = false;
};

// The moves of the compensated stretches replaced; what compensation cannot follow (no tool,
// an arc too small, a short entry) is a warning on its line. Nothing changes without a G41/G42
// or without a tool library in the settings.
void Compensate(Toolpath& path, const CompensationEvents& events, const ToolpathSettings& settings);

}  // namespace tbx::toolpath
