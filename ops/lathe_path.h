#pragma once
// Straight moves of the turning tabs (Face, Turn, Part-off), written modally: G0 under the
// rapid rule, G1 only when a feed follows a rapid, F only when the feed changes. X words are
// diameters.
#include <initializer_list>
#include <optional>
#include <vector>

#include "program/program_text.h"

namespace tbx {

class LathePath {
 public:
  explicit LathePath(Operation& op) : op_(op) {}

  void Rapid(std::optional<double> x, std::optional<double> z);
  void Feed(std::optional<double> x, std::optional<double> z, double feed);
  // Leaves RapidMode as the last move left it, for the return block.
  void Finish();

 private:
  std::string Words(std::optional<double> x, std::optional<double> z);

  Operation& op_;
  bool feeding_ = false;
  std::optional<double> feed_;
};

// The levels of passes that go from `from` to `to` in equal steps of at most maxStep: every
// level after `from`, the last exactly `to`; none when they are equal. The caller refuses a
// step of 0 or less; a step so small that the passes could never fit the block limit refuses
// the operation here, before any of them is built.
std::vector<double> PassLevels(Operation& op, double from, double to, double maxStep);

}  // namespace tbx

namespace tbx {
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
void RequireNumbers(Operation& op, std::initializer_list<NamedValue> boxes);
}  // namespace tbx
