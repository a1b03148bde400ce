#pragma once
// What each G and M code means on the lathe this program is read for: one table, read by the
// expander to run a block and by the exports to tell a cycle block from one they keep.
#include <optional>

#include "toolpath/reader.h"

namespace tbx::toolpath {

enum class Code {
  // Modal motions (G80 ends a cycle and leaves rapid in force).
  Rapid, Linear, ArcCw, ArcCcw, Thread, PeckDrill, Tap, CycleEnd,
  // One-shot.
  Dwell, ThreadCycle, SpindleClamp,
  FinishCycle, RoughTurnCycle, RoughFaceCycle,  // G70, G71, G72
  // Modal settings.
  SurfaceSpeed, SpindleRpm, PerMinute, PerRev, Inch, Metric,
  // Plane, compensation cancel, work offsets: taken, nothing drawn changes.
  NoEffect,
  // M codes.
  SpindleCw, SpindleCcw, SpindleStop, Coolant, CoolantOff, Stop, ProgramEnd,
};

// The meaning of a G or M word's value (a whole number the table has), else empty.
std::optional<Code> CodeOf(const Word& word);
// Whether a word of the block has that meaning.
bool BlockHas(const Block& block, Code code);

// G codes that set the motion or a cycle: a cycle block's own, left out when its moves are
// written instead.
bool IsMotionOrCycle(Code code);
// The motion a block sets, if any (G80 sets rapid).
std::optional<Code> MotionOf(const Block& block);

}  // namespace tbx::toolpath
