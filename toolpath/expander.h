#pragma once
// Program text to the moves a lathe control makes, canned cycles expanded, each move timed.
//
// Reads every form the tabs write: G0/G1/G2/G3, G32/G33 (taper and multi-start as written),
// the two-block G76 ("G76 P m r a Q R" then "G76 X Z R P Q F"), the one-block G76
// ("G76 X Z I K D F A"), G83 and G84 ended by G80, G4 dwell (P ms, X or U seconds), T words,
// S with G96 (constant surface speed, clamped by G50 S) or G97, G94/G98 and G95/G99, M3 M4 M5
// M8 M9 M0 M1 M2 M30, U and W as incremental X (diameter) and Z. Words without a decimal point
// count as written (X4 is 4), except the G76 depths (P, Q, D, the first block's R) and the
// G83 Q, which a control takes in least increments (0.0001 in, 0.001 mm) when written
// without one. Blocks after M2, M30 or a closing "%" are never run (one warning says so).
//
// Never fails: what cannot be read becomes a diagnostic, what can be read but is doubtful a
// warning, both with their line. Runs in time linear in the text and in the moves made; a
// cycle that would need more than kMaxCyclePasses passes or pecks is not expanded, and a
// program stops being expanded after kMaxMoves moves (warnings both).
#include <cstddef>
#include <string_view>

#include "toolpath/reader.h"
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

inline constexpr int kMaxCyclePasses = 10000;
// The lines all G70, G71 and G72 of a program may read as their contours (a diagnostic past it).
inline constexpr std::size_t kMaxContourLines = 500000;
// Expansion stops (with a warning) at the first block that finds this many moves made.
inline constexpr std::size_t kMaxMoves = 500000;

Toolpath ExpandProgram(std::string_view text, const ToolpathSettings& settings);
// The same from a program already read (the exports read it once for both).
Toolpath ExpandRead(const ReadResult& read, const ToolpathSettings& settings);

// The line where the control stops reading: that of the first block with M2 or M30, or of a
// closing "%" before it; 0 when the program runs to the end of its text.
int ProgramEndLine(std::string_view text);
// The same with where its line starts, read from `from` on (a place an earlier search of the
// same text, or of the text it grew from by additions after that place, gave). With no end,
// `at` is where a search of the grown text may go on from.
struct ProgramEnd {
  int line = 0;
  ReadPoint at;
};
ProgramEnd FindProgramEnd(std::string_view text, ReadPoint from = {});

}  // namespace tbx::toolpath
