#include "toolpath/interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "program/numbers.h"
#include "toolpath/codes.h"
#include "toolpath/expander.h"
#include "toolpath/run_time.h"

namespace tbx::toolpath {

namespace {

std::string Num(double v) { return PlainDecimal(v, 4); }

// Unknown words of one block are one warning, however many there are.
constexpr std::size_t kListedWords = 5;

}  // namespace

const Word* BlockWords::Take(char letter) {
  const Word* found = nullptr;
  for (std::size_t i = 0; i < block_.words.size(); ++i) {
    if (block_.words[i].letter == letter) {
      found = &block_.words[i];
      used_[i] = true;
    }
  }
  return found;
}

bool BlockWords::Has(char letter) const {
  return std::any_of(block_.words.begin(), block_.words.end(), [&](const Word& w) { return w.letter == letter; });
}

void Interpreter::Reserve(std::size_t moves) {
  // Expansion stops near kMaxMoves: more room than that is never needed at the start.
  path_.moves.reserve(std::min(moves, kMaxMoves));
}

void Interpreter::Step(const Block& b, int closingPercentLine) {
  if (limitReached_) return;
  if (!endedBy_ && closingPercentLine > 0 && b.line > closingPercentLine) endedBy_ = "the closing %";
  if (endedBy_) {
    if (neverRun_++ == 0) neverRunLine_ = b.line;
    neverRunLast_ = b.line;
    return;
  }
  // The contour blocks right after a G71 or G72: the control goes on after block Q.
  if (b.line <= skipThrough_) return;
  if (path_.moves.size() >= kMaxMoves) {
    Warn(b.line, "more than " + std::to_string(kMaxMoves) + " moves: the rest is not expanded");
    limitReached_ = true;
    return;
  }
  Execute(b);
}

Toolpath Interpreter::Finish() {
  if (neverRun_ == 1) {
    Warn(neverRunLine_, std::string("block after ") + endedBy_ + " is never run");
  } else if (neverRun_ > 1) {
    Warn(neverRunLine_, std::to_string(neverRun_) + " blocks after " + endedBy_ + " are never run (to line " +
                            std::to_string(neverRunLast_) + ")");
  }
  CloseOperation();
  return std::move(path_);
}

// Warnings of the interpreter are few per block (each construct warns once); the same text
// twice on one line is said once.
void Interpreter::Warn(int line, std::string text, int column) {
  for (auto it = path_.warnings.rbegin(); it != path_.warnings.rend() && it->line == line; ++it) {
    if (it->text == text) return;
  }
  path_.warnings.push_back({line, column, std::move(text)});
}

void Interpreter::Room(std::size_t more) {
  MoveList& moves = path_.moves;
  const std::size_t need = moves.size() + std::min(more, kMaxMoves);
  if (need > moves.capacity()) moves.reserve(std::max(need, 2 * moves.capacity()));
}

Move& Interpreter::Add(MoveKind kind, Point to, int line) {
  Move m;
  m.kind = kind;
  m.start = pos_;
  m.end = to;
  m.spindle = spindle_;
  m.tool = tool_;
  m.line = line;
  if (css_) {
    m.surfaceSpeed = sWord_;
    m.rpmLimit = RpmLimit();
    m.rpm = ConstantSurfaceRpm(sWord_, to.x, m.rpmLimit, metric_);
  } else {
    m.rpm = spindle_ == Spindle::Stopped ? 0 : sWord_;
  }
  pos_ = to;
  path_.moves.push_back(m);
  return path_.moves.back();
}

void Interpreter::FeedMove(Point to, int line, MoveKind kind, double lead) {
  Move& m = Add(kind, to, line);
  if (kind == MoveKind::Thread) {
    m.feed = lead;
  } else {
    m.feed = feed_;
    m.feedPerMinute = perMinute_;
  }
}

void Interpreter::OpenOperation(int tool, int line) {
  CloseOperation();
  OperationSummary op;
  op.tool = tool;
  op.line = line;
  op.firstMove = path_.moves.size();
  path_.operations.push_back(op);
  open_ = true;
}

void Interpreter::CloseOperation() {
  if (!open_) {
    if (path_.moves.empty()) return;
    // Moves before any T word form an operation of their own.
    path_.operations.insert(path_.operations.begin(), OperationSummary{0, path_.moves.front().line, 0, 0, 0, 0});
    open_ = true;
  }
  path_.operations.back().endMove = path_.moves.size();
  open_ = false;
}

void Interpreter::Execute(const Block& b) {
  BlockWords w(b, used_);
  const int line = b.line;
  std::optional<Motion> motion;
  bool dwell = false, g76 = false, g80 = false, g50 = false, unitsWarned = false;
  std::optional<Code> contourCycle;
  const bool wasSurfaceSpeed = css_;

  for (std::size_t i = 0; i < b.words.size(); ++i) {
    const Word& g = b.words[i];
    if (g.letter != 'G') continue;
    const std::optional<Code> code = CodeOf(g);
    if (!code) continue;
    switch (*code) {
      case Code::Rapid: motion = Motion::Rapid; break;
      case Code::Linear: motion = Motion::Linear; break;
      case Code::ArcCw: motion = Motion::ArcCw; break;
      case Code::ArcCcw: motion = Motion::ArcCcw; break;
      case Code::Thread: motion = Motion::Thread; break;
      case Code::PeckDrill: motion = Motion::PeckDrill; break;
      case Code::Tap: motion = Motion::Tap; break;
      case Code::Dwell: dwell = true; break;
      case Code::ThreadCycle: g76 = true; break;
      case Code::FinishCycle:
      case Code::RoughTurnCycle:
      case Code::RoughFaceCycle: contourCycle = *code; break;
      case Code::CycleEnd: g80 = true; break;
      case Code::SpindleClamp: g50 = true; break;
      case Code::SurfaceSpeed: css_ = true; break;
      case Code::SpindleRpm: css_ = false; break;
      case Code::PerMinute: perMinute_ = true; break;
      case Code::PerRev: perMinute_ = false; break;
      case Code::Inch:
      case Code::Metric:
        if ((*code == Code::Metric) != metric_ && !unitsWarned) {
          Warn(line, std::string("G") + (*code == Code::Metric ? "21" : "20") + " changes units; the program is read in " +
                         (metric_ ? "mm" : "inch"), g.column);
          unitsWarned = true;
        }
        break;
      default: break;
    }
    w.MarkUsed(i);
  }

  // Tool change first: the tool is called where it stands.
  if (const Word* t = w.Take('T')) ToolWord(*t, line);
  if (const Word* f = w.Take('F')) feed_ = f->value;
  SpindleWords(w, line, wasSurfaceSpeed, g50);
  if (g50 && (w.Has('X') || w.Has('Z'))) {
    Warn(line, "G50 with X or Z (coordinate setting) is not followed");
    w.Take('X');
    w.Take('Z');
  }

  bool stopAfter = false;
  const char* endAfter = nullptr;
  for (std::size_t i = 0; i < b.words.size(); ++i) {
    const Word& m = b.words[i];
    if (m.letter != 'M') continue;
    const std::optional<Code> code = CodeOf(m);
    if (!code) continue;
    switch (*code) {
      case Code::SpindleCw: spindle_ = Spindle::Clockwise; break;
      case Code::SpindleCcw: spindle_ = Spindle::CounterClockwise; break;
      case Code::SpindleStop: stopAfter = true; break;
      case Code::ProgramEnd: endAfter = m.value == 2 ? "M2" : "M30"; break;
      default: break;
    }
    w.MarkUsed(i);
  }

  if (dwell) Dwell(w, line);
  if (g80) {
    // The cycle ends; axis words with the G80 are the retract, a rapid.
    motion_ = Motion::Rapid;
    peck_.reset();
    cycleDwell_ = 0;
  }
  if (motion) motion_ = *motion;
  if (g76) {
    Cycle76(w, line);
  } else if (contourCycle) {
    ContourCycle(w, line, *contourCycle);
  } else if (!dwell) {
    MotionWords(w, line);
  }

  if (stopAfter) spindle_ = Spindle::Stopped;
  if (endAfter) endedBy_ = endAfter;
  std::size_t unknown = 0;
  std::string listed;
  int column = 0;
  for (std::size_t i = 0; i < b.words.size(); ++i) {
    if (w.Used(i)) continue;
    const Word& u = b.words[i];
    if (unknown++ == 0) column = u.column;
    const std::string letter = u.letter == kCornerChamfer ? ",C" : u.letter == kCornerRadius ? ",R" : std::string(1, u.letter);
    if (unknown <= kListedWords) listed += std::string(listed.empty() ? "" : " ") + letter + Num(u.value);
  }
  if (unknown == 1) {
    Warn(line, "word " + listed + " is not understood here", column);
  } else if (unknown > 1) {
    Warn(line, std::to_string(unknown) + " words are not understood here: " + listed + (unknown > kListedWords ? " ..." : ""),
         column);
  }
}

void Interpreter::ToolWord(const Word& t, int line) {
  const bool whole = t.value >= 0 && t.value <= 9999 && t.value == std::floor(t.value);
  if (!whole) {
    Warn(line, "tool word T" + Num(t.value) + " is not a tool and offset", t.column);
    return;
  }
  const int code = static_cast<int>(t.value);
  // T0305: tool 03, offset 05; T3: tool 3.
  tool_ = t.wholeDigits >= 3 ? code / 100 : code;
  OpenOperation(tool_, line);
  Move& m = Add(MoveKind::ToolChange, pos_, line);
  m.tool = tool_;
}

// The target of the block's axis words (absolute X Z, incremental U W); empty when none.
std::optional<Point> Interpreter::Target(BlockWords& w) {
  Point to = pos_;
  bool any = false;
  if (const Word* x = w.Take('X')) { to.x = x->value; any = true; }
  if (const Word* z = w.Take('Z')) { to.z = z->value; any = true; }
  if (const Word* u = w.Take('U')) { to.x = pos_.x + u->value; any = true; }
  if (const Word* v = w.Take('W')) { to.z = pos_.z + v->value; any = true; }
  if (!any) return std::nullopt;
  return to;
}

void Interpreter::MotionWords(BlockWords& w, int line) {
  // Cycle words are read even without a move, as a control keeps them modal.
  if (motion_ == Motion::PeckDrill || motion_ == Motion::Tap) {
    if (const Word* q = w.Take('Q')) peck_ = Depth(*q);
    if (const Word* p = w.Take('P')) cycleDwell_ = p->value / 1000;
  }
  const std::optional<Point> to = Target(w);
  if (!to) return;
  switch (motion_) {
    case Motion::Rapid: Add(MoveKind::Rapid, *to, line); break;
    case Motion::Linear: FeedMove(*to, line); break;
    case Motion::ArcCw:
    case Motion::ArcCcw: Arc(w, *to, line); break;
    case Motion::Thread: FeedMove(*to, line, MoveKind::Thread, feed_); break;
    case Motion::PeckDrill: PeckDrill(*to, line); break;
    case Motion::Tap: Tap(*to, line); break;
  }
}

}  // namespace tbx::toolpath
