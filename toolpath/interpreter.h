#pragma once
// Inside the expander: the modal state of the control and the blocks run against it. The
// cycle families live in files of their own (cycle_thread.cpp, cycle_drill.cpp, arc.cpp,
// dwell_spindle.cpp); the checks of the finished move list in checks.h.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "toolpath/codes.h"
#include "toolpath/reader.h"
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

enum class Motion { Rapid, Linear, ArcCw, ArcCcw, Thread, PeckDrill, Tap };

// The centre of a G2 (clockwise) or G3 from `from` to `to`, from I and K (I a radius) or from
// R (R < 0: the longer arc); empty when none can be made. `why` says what is wrong, also
// when a centre is made (ends not equally far from it).
std::optional<Point> ArcCentre(Point from, Point to, bool clockwise, const Word* i, const Word* k, const Word* r,
                               std::string& why);

// Where a cycle finds the blocks its P and Q name: the program is read a block at a time.
class SequenceLookup {
 public:
  virtual ~SequenceLookup() = default;
  // The blocks from the one numbered `p` (the first after line `after`, else the first in the
  // program) to the first numbered `q` from there on, valid until the next call; empty when
  // either is not found, `found` saying which (0 none, 1 P only, 2 both); 3 (and empty) when
  // the lines from P to Q would take the cycles of the program past kMaxContourLines in all.
  virtual std::span<const Block> Blocks(int p, int q, int after, int& found) = 0;
};

// The words of one block, letter by letter, with a note of which ones a construct used.
class BlockWords {
 public:
  // `used` is the interpreter's, cleared and reused block after block.
  BlockWords(const Block& b, std::vector<char>& used) : block_(b), used_(used) { used_.assign(b.words.size(), 0); }

  // The last word of the letter (a control keeps the last when one is repeated).
  const Word* Take(char letter);
  bool Has(char letter) const;
  void MarkUsed(std::size_t index) { used_[index] = true; }
  bool Used(std::size_t index) const { return used_[index]; }

 private:
  const Block& block_;
  std::vector<char>& used_;
};

// Everything one pass-by-pass expansion of a G76 needs, in program units, radii for depths.
struct ThreadCycle {
  Point start;
  Point end;            // root diameter at the final pass, Z end
  double taper = 0;     // radius at the start minus radius at the end
  double height = 0;    // thread height (radius)
  double firstCut = 0;  // depth of the first pass
  double minCut = 0;
  double finish = 0;    // finishing allowance
  int finishPasses = 1;
  double chamfer = 0;   // pull-out length along Z
  double angle = 0;     // tool angle, degrees
  double lead = 0;
};

class Interpreter {
 public:
  explicit Interpreter(const ToolpathSettings& s) : settings_(s), metric_(s.metric), pos_(s.toolChange) {}
  // The blocks G70, G71 and G72 name their contours in; without it those cycles are not run.
  void SetLookup(SequenceLookup* lookup) { lookup_ = lookup; }

  // Room for the moves of a program of that many lines, allocated once.
  void Reserve(std::size_t moves);
  // Runs the next block of the program (blocks after the end of the program are counted as
  // never run, and those after the move limit left).
  void Step(const Block& b, int closingPercentLine);
  // The moves and operations of the blocks (untimed), the warnings of the blocks, and as
  // diagnostics the cycles that could not be run.
  Toolpath Finish();

 private:
  void Warn(int line, std::string text, int column = 0);
  double Increment() const { return metric_ ? 0.001 : 0.0001; }
  // Depth words of the cycles: a number without a point is in least increments.
  double Depth(const Word& w) const { return w.hasPoint ? w.value : w.value * Increment(); }

  Move& Add(MoveKind kind, Point to, int line);
  // Room for `more` moves before a cycle writes them, so that a cycle of thousands of passes
  // grows the list once rather than doubling it again and again.
  void Room(std::size_t more);
  void FeedMove(Point to, int line, MoveKind kind = MoveKind::Feed, double lead = 0);
  void OpenOperation(int tool, int line);
  void CloseOperation();


  void Execute(const Block& b);
  void ToolWord(const Word& t, int line);
  std::optional<Point> Target(BlockWords& w);
  void MotionWords(BlockWords& w, int line);

  // dwell_spindle.cpp
  void Dwell(BlockWords& w, int line);
  void DwellAt(double seconds, int line);
  void SpindleWords(BlockWords& w, int line, bool wasSurfaceSpeed, bool clamp);
  double RpmLimit() const;
  // arc.cpp
  void Arc(BlockWords& w, Point to, int line);
  // cycle_drill.cpp
  void PeckDrill(Point to, int line);
  void Tap(Point to, int line);
  // cycle_contour.cpp: G70, G71, G72 (`code` is one of them)
  void ContourCycle(BlockWords& w, int line, Code code);
  void Refuse(int line, std::string text);
  // cycle_thread.cpp
  void Cycle76(BlockWords& w, int line);
  std::vector<double> PassDepths(const ThreadCycle& c, int line);
  void ExpandThreadCycle(const ThreadCycle& c, int line);

  const ToolpathSettings& settings_;
  bool metric_;
  Toolpath path_;
  Point pos_;
  Motion motion_ = Motion::Rapid;
  double feed_ = 0;
  bool perMinute_ = false;
  double sWord_ = 0;
  bool css_ = false;
  double rpmClamp_ = 0;
  Spindle spindle_ = Spindle::Stopped;
  int tool_ = 0;
  const char* endedBy_ = nullptr;  // "M30", "M2", "the closing %": the control reads no further
  int neverRunLine_ = 0, neverRunLast_ = 0;
  std::size_t neverRun_ = 0;
  bool limitReached_ = false;
  bool open_ = false;
  // Two-block G76 first block, kept until the next; without one the settings stand in.
  bool otRead_ = false, otDefaultsWarned_ = false;
  int otPasses_ = 1, otChamfer_ = 0, otAngle_ = 0;
  double otMinCut_ = 0, otFinish_ = 0;
  // Drilling cycles: the Q of G83 is kept until G80; without one G83 drills in one feed.
  std::optional<double> peck_;
  double cycleDwell_ = 0;
  // G71 and G72: the first block's depth of cut and retract, kept until the second; the
  // blocks after a cycle up to its Q line, which the control does not run.
  struct RoughFirst {
    bool read = false;
    double depth = 0, retract = 0;
  } rough_[2];
  SequenceLookup* lookup_ = nullptr;
  int skipThrough_ = 0;
  std::vector<char> used_;  // BlockWords' marks
};

}  // namespace tbx::toolpath
