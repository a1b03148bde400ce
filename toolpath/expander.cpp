#include "toolpath/expander.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "program/numbers.h"
#include "toolpath/reader.h"
#include "toolpath/run_time.h"

namespace tbx::toolpath {

namespace {

constexpr double kEps = 1e-6;
// Bounds that keep hostile programs cheap: the retract check looks at the latest cuts and the
// first rapids after the last cut, and expansion stops at kMaxMoves.
constexpr std::size_t kCheckedCuts = 256;
constexpr std::size_t kCheckedRapids = 8;
constexpr double kMmPerInch = 25.4;
constexpr double kDegrees = 3.14159265358979323846 / 180;

std::string Num(double v) { return PlainDecimal(v, 4); }

// A whole number a control takes as a code (G0, M30, T0101); empty for fractions and for
// values no code has.
std::optional<int> CodeNumber(double value) {
  if (!(value >= 0 && value < 1000000) || value != std::floor(value)) return std::nullopt;
  return static_cast<int>(value);
}

// The words of one block, letter by letter, with a note of which ones a construct used.
class BlockWords {
 public:
  explicit BlockWords(const Block& b) : block_(b), used_(b.words.size(), false) {}

  // The last word of the letter (a control keeps the last when one is repeated).
  const Word* Take(char letter) {
    const Word* found = nullptr;
    for (std::size_t i = 0; i < block_.words.size(); ++i) {
      if (block_.words[i].letter == letter) {
        found = &block_.words[i];
        used_[i] = true;
      }
    }
    return found;
  }
  bool Has(char letter) const {
    return std::any_of(block_.words.begin(), block_.words.end(), [&](const Word& w) { return w.letter == letter; });
  }
  std::vector<const Word*> All(char letter) {
    std::vector<const Word*> all;
    for (std::size_t i = 0; i < block_.words.size(); ++i) {
      if (block_.words[i].letter == letter) all.push_back(&block_.words[i]);
    }
    return all;
  }
  void MarkUsed(const Word* w) { used_[static_cast<std::size_t>(w - block_.words.data())] = true; }
  std::vector<const Word*> Unused() const {
    std::vector<const Word*> rest;
    for (std::size_t i = 0; i < block_.words.size(); ++i) {
      if (!used_[i]) rest.push_back(&block_.words[i]);
    }
    return rest;
  }
  int Line() const { return block_.line; }

 private:
  const Block& block_;
  std::vector<bool> used_;
};

enum class Motion { None, Rapid, Linear, ArcCw, ArcCcw, Thread, PeckDrill, Tap };

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

// A cut the rapid check compares later rapids with: the material lies on `side` of it.
struct Cut {
  Point a, b;
  int side;  // +1 material at smaller diameters (outside work), -1 at larger (bores), 0 unknown
  std::size_t move;
  int approach;  // the side the last rapid in X before the cut came in from: +1 from larger X
};

class Expander {
 public:
  explicit Expander(const ToolpathSettings& s)
      : settings_(s), metric_(s.metric), pos_(s.toolChange) {}

  Toolpath Run(std::string_view text) {
    ReadResult read = ReadProgram(text);
    for (Diagnostic& d : read.diagnostics) path_.diagnostics.push_back({d.line, d.column, std::move(d.text)});
    // Most blocks make one move or none; cycles make more and grow the list once or twice.
    path_.moves.reserve(read.blocks.size() * 2);
    for (const Block& b : read.blocks) {
      if (ended_) break;
      if (path_.moves.size() >= kMaxMoves) {
        Warn(b.line, "more than " + std::to_string(kMaxMoves) + " moves: the rest is not expanded");
        break;
      }
      Execute(b);
    }
    CloseOperation();
    TimeToolpath(path_, settings_.machine, metric_);
    for (const Move& m : path_.moves) Extend(m);
    std::stable_sort(path_.warnings.begin(), path_.warnings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(path_);
  }

 private:
  // ---- findings -------------------------------------------------------------------------
  void Warn(int line, std::string text, int column = 0) {
    for (auto it = path_.warnings.rbegin(); it != path_.warnings.rend() && it->line == line; ++it) {
      if (it->text == text) return;
    }
    path_.warnings.push_back({line, column, std::move(text)});
  }

  double Increment() const { return metric_ ? 0.001 : 0.0001; }
  // Depth words of the cycles: a number without a point is in least increments.
  double Depth(const Word& w) const { return w.hasPoint ? w.value : w.value * Increment(); }

  // ---- the move list --------------------------------------------------------------------
  Move& Add(MoveKind kind, Point to, int line) {
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
    if (to.x < -kEps || pos_.x < -kEps) Warn(line, "move past the centre line (X" + Num(std::min(to.x, pos_.x)) + ")");
    pos_ = to;
    path_.moves.push_back(m);
    Move& added = path_.moves.back();
    if (kind == MoveKind::Rapid && std::fabs(added.end.x - added.start.x) > kEps) {
      approach_ = added.start.x > added.end.x ? 1 : -1;
    }
    if (kind == MoveKind::Feed || kind == MoveKind::Thread) {
      lastCutMove_ = path_.moves.size();
      cuts_.push_back({added.start, added.end, 0, path_.moves.size() - 1, approach_});
    }
    return added;
  }

  double RpmLimit() const { return rpmClamp_ > 0 ? rpmClamp_ : settings_.machine.maxRpm; }

  void FeedMove(Point to, int line, MoveKind kind = MoveKind::Feed, double lead = 0) {
    Move& m = Add(kind, to, line);
    if (kind == MoveKind::Thread) {
      m.feed = lead;
      CheckThread(m);
    } else {
      m.feed = feed_;
      m.feedPerMinute = perMinute_;
      CheckFeed(m);
    }
  }

  void CheckFeed(const Move& m) {
    if (!(m.feed > 0)) Warn(m.line, "feed move with F 0");
    else if (!m.feedPerMinute && m.spindle == Spindle::Stopped) Warn(m.line, "feed move with the spindle stopped");
  }

  void CheckThread(const Move& m) {
    if (!(m.feed > 0)) {
      Warn(m.line, "thread with a lead of 0");
      return;
    }
    if (m.spindle == Spindle::Stopped) {
      Warn(m.line, "thread with the spindle stopped");
      return;
    }
    const double limit = metric_ ? settings_.machine.maxZFeedMmPerMin : settings_.machine.maxZFeedMmPerMin / kMmPerInch;
    const double rpm = m.surfaceSpeed > 0 ? std::max(m.rpm, ConstantSurfaceRpm(m.surfaceSpeed, m.start.x, m.rpmLimit, metric_)) : m.rpm;
    if (m.feed * rpm > limit + kEps) {
      Warn(m.line, "thread lead x rpm is " + Num(m.feed * rpm) + " per minute, above the Z axis limit of " + Num(limit));
    }
  }

  void Extend(const Move& m) {
    auto add = [&](Point p) {
      Extents& e = path_.extents;
      if (e.empty) {
        e = {false, p.x, p.x, p.z, p.z};
        return;
      }
      e.minX = std::min(e.minX, p.x);
      e.maxX = std::max(e.maxX, p.x);
      e.minZ = std::min(e.minZ, p.z);
      e.maxZ = std::max(e.maxZ, p.z);
    };
    add(m.start);
    add(m.end);
  }

  // ---- operations and the rapid check ---------------------------------------------------
  void OpenOperation(int tool, int line) {
    CloseOperation();
    OperationSummary op;
    op.tool = tool;
    op.line = line;
    op.firstMove = path_.moves.size();
    path_.operations.push_back(op);
    approach_ = 0;
    open_ = true;
  }

  void CloseOperation() {
    if (!open_) {
      if (path_.moves.empty()) return;
      // Moves before any T word form an operation of their own.
      path_.operations.insert(path_.operations.begin(), OperationSummary{0, path_.moves.front().line, 0, 0, 0, 0});
      open_ = true;
    }
    OperationSummary& op = path_.operations.back();
    op.endMove = path_.moves.size();
    CheckRetract(op);
    cuts_.clear();
    open_ = false;
  }

  // Rapids after an operation's last cut run toward the tool change: none may pass through
  // the material left by the operation's cuts.
  void CheckRetract(const OperationSummary& op) {
    if (cuts_.empty()) return;
    // Bounded work on huge operations: the cuts nearest the retract decide.
    const std::size_t from = cuts_.size() > kCheckedCuts ? cuts_.size() - kCheckedCuts : 0;
    std::vector<Cut> cuts;
    for (std::size_t i = from; i < cuts_.size(); ++i) {
      Cut c = cuts_[i];
      c.side = MaterialSide(c);
      if (c.side == 0) continue;
      // A plunge stands against the material at its deepest point.
      if (std::fabs(c.b.z - c.a.z) < kEps) c.a.x = c.b.x;
      cuts.push_back(c);
    }
    std::size_t rapids = 0;
    for (std::size_t i = std::max(op.firstMove, lastCutMove_); i < op.endMove && rapids < kCheckedRapids; ++i) {
      const Move& r = path_.moves[i];
      if (r.kind != MoveKind::Rapid) continue;
      ++rapids;
      if (const Cut* c = ThroughMaterial(r, cuts)) {
        Warn(r.line, "rapid to X" + Num(r.end.x) + " Z" + Num(r.end.z) + " runs through the part (cut to X" +
                         Num(c->b.x) + " at Z" + Num(c->b.z) + ")");
        return;  // the first such rapid is the fault; the ones after only follow it
      }
    }
  }

  // Which side of a cut the material is on. A cut clearly steeper than 45 degrees is a plunge and
  // feeds toward its material, unless it climbs straight on from a cut along Z: then it is the
  // shoulder or floor of a profile (the finish pass out along a shoulder, down the bottom of a
  // bore), whose material lies beside it in Z, not beyond it in X. A cut along Z (45 degrees
  // included: a chamfer's side is no more its direction than its retract's) has it on the far
  // side from the first rapid in X after it, else from the side the last rapid in X came in
  // from (not from where that rapid started: a finish pass often comes in from below its
  // diameter, where the chamfer's roughing left the tool).
  int MaterialSide(const Cut& c) const {
    const auto sign = [](double v) { return v > kEps ? 1 : v < -kEps ? -1 : 0; };
    // 45 degree moves written to four places come out a little either side of 45 degrees.
    constexpr double kBeyond45 = 1.2;
    const auto steep = [](Point a, Point b) { return std::fabs(b.x - a.x) / 2 > kBeyond45 * std::fabs(b.z - a.z); };
    const auto alongZ = [](Point a, Point b) { return kBeyond45 * std::fabs(b.x - a.x) / 2 < std::fabs(b.z - a.z); };
    if (steep(c.a, c.b)) {
      const Move* before = PreviousMotion(c.move);
      const bool continuesProfile = before && (before->kind == MoveKind::Feed || before->kind == MoveKind::Thread) &&
                                    alongZ(before->start, before->end);
      return continuesProfile ? 0 : sign(c.a.x - c.b.x);
    }
    // The cuts that follow it in one stroke share its side; the retract that ends them tells.
    for (std::size_t i = c.move + 1; i < path_.moves.size() && i < c.move + 64; ++i) {
      const Move& m = path_.moves[i];
      if (m.kind != MoveKind::Rapid) continue;
      const int away = sign(m.end.x - m.start.x);
      if (away != 0) return away;
      break;
    }
    return c.approach;
  }

  // The move that brought the tool to where move `index` starts (dwells stand still).
  const Move* PreviousMotion(std::size_t index) const {
    for (std::size_t i = index; i-- > 0;) {
      const Move& m = path_.moves[i];
      if (m.kind == MoveKind::Dwell) continue;
      return m.kind == MoveKind::ToolChange ? nullptr : &m;
    }
    return nullptr;
  }

  // The Z span a cut stands against. The Z where a cut along Z began is left out: that is
  // where the tool met the work, not inside it.
  static std::pair<double, double> ZSpan(const Cut& c) {
    if (std::fabs(c.b.z - c.a.z) < kEps) return {c.a.z - kEps, c.a.z + kEps};
    const double dir = c.b.z > c.a.z ? 1 : -1;
    const double from = c.a.z + dir * 2 * kEps, to = c.b.z + dir * kEps;
    return {std::min(from, to), std::max(from, to)};
  }

  // The first cut whose remaining material the rapid enters: material stands beyond every cut
  // of the same side at that Z (the deepest cut there is the surface left).
  static const Cut* ThroughMaterial(const Move& r, const std::vector<Cut>& cuts) {
    const double dz = r.end.z - r.start.z, dx = r.end.x - r.start.x;
    std::vector<double> ts{0, 1};
    if (std::fabs(dz) >= kEps) {
      for (const Cut& c : cuts) {
        const auto [lo, hi] = ZSpan(c);
        for (double z : {lo, hi}) {
          const double t = (z - r.start.z) / dz;
          if (t > 0 && t < 1) ts.push_back(t);
        }
      }
      std::sort(ts.begin(), ts.end());
    }
    constexpr double kTolerance = 1e-4;
    for (std::size_t k = 1; k < ts.size(); ++k) {
      const double mid = r.start.z + dz * (ts[k - 1] + ts[k]) / 2;
      for (int side : {1, -1}) {
        double lo = ts[k - 1], hi = ts[k];
        const Cut* covering = nullptr;
        for (const Cut& c : cuts) {
          if (c.side != side) continue;
          const auto [zlo, zhi] = ZSpan(c);
          if (mid < zlo || mid > zhi) continue;
          covering = &c;
          // g(t) = side (cutX(z(t)) - x(t)) - tolerance must stay above 0.
          const double span = c.b.z - c.a.z;
          const double slope = std::fabs(span) < kEps ? 0 : (c.b.x - c.a.x) / span;
          const double base = std::fabs(span) < kEps ? c.b.x : c.a.x + slope * (r.start.z - c.a.z);
          const double g0 = side * (base - r.start.x) - kTolerance;
          const double g1 = side * (slope * dz - dx);
          if (std::fabs(g1) < 1e-12) {
            if (g0 <= 0) hi = lo - 1;
          } else if (g1 > 0) {
            lo = std::max(lo, -g0 / g1);
          } else {
            hi = std::min(hi, -g0 / g1);
          }
          if (lo > hi) break;
        }
        if (covering && lo <= hi) return covering;
      }
    }
    return nullptr;
  }

  // ---- blocks ---------------------------------------------------------------------------
  void Execute(const Block& b) {
    BlockWords w(b);
    const int line = b.line;
    std::optional<Motion> motion;
    bool dwell = false, g76 = false, g80 = false, g50 = false;

    for (const Word* g : w.All('G')) {
      const std::optional<int> code = CodeNumber(g->value);
      bool known = true;
      switch (code.value_or(-1)) {
        case 0: motion = Motion::Rapid; break;
        case 1: motion = Motion::Linear; break;
        case 2: motion = Motion::ArcCw; break;
        case 3: motion = Motion::ArcCcw; break;
        case 32: case 33: motion = Motion::Thread; break;
        case 83: motion = Motion::PeckDrill; break;
        case 84: motion = Motion::Tap; break;
        case 4: dwell = true; break;
        case 76: g76 = true; break;
        case 80: g80 = true; break;
        case 50: g50 = true; break;
        case 96: css_ = true; break;
        case 97: css_ = false; break;
        // Plane, cutter-compensation cancel and work offsets change nothing drawn here.
        case 18: case 40: case 54: case 55: case 56: case 57: case 58: case 59: break;
        case 94: case 98: perMinute_ = true; break;
        case 95: case 99: perMinute_ = false; break;
        case 20: case 21:
          if ((*code == 21) != metric_) {
            Warn(line, std::string("G") + std::to_string(*code) + " changes units; the program is read in " +
                           (metric_ ? "mm" : "inch"), g->column);
          }
          break;
        default: known = false;
      }
      if (known) w.MarkUsed(g);
    }

    // Tool change first: the tool is called where it stands.
    if (const Word* t = w.Take('T')) ToolWord(*t, line);
    if (const Word* f = w.Take('F')) feed_ = f->value;
    if (const Word* s = w.Take('S')) {
      if (g50) {
        rpmClamp_ = s->value;
      } else {
        sWord_ = s->value;
      }
    }
    if (g50 && (w.Has('X') || w.Has('Z'))) {
      Warn(line, "G50 with X or Z (coordinate setting) is not followed");
      w.Take('X');
      w.Take('Z');
    }

    bool stopAfter = false, endAfter = false;
    for (const Word* m : w.All('M')) {
      bool known = true;
      switch (CodeNumber(m->value).value_or(-1)) {
        case 3: spindle_ = Spindle::Clockwise; break;
        case 4: spindle_ = Spindle::CounterClockwise; break;
        case 5: stopAfter = true; break;
        case 0: case 1: case 8: case 9: break;
        case 2: case 30: endAfter = true; break;
        default: known = false;
      }
      if (known) w.MarkUsed(m);
    }

    if (dwell) Dwell(w, line);
    if (g80) {
      // The cycle ends; axis words with the G80 are the retract, a rapid.
      motion_ = Motion::Rapid;
      peck_ = 0;
      cycleDwell_ = 0;
    }
    if (motion) motion_ = *motion;
    if (g76) {
      Cycle76(w, line);
    } else if (!dwell) {
      MotionWords(w, line);
    }

    if (stopAfter) spindle_ = Spindle::Stopped;
    if (endAfter) ended_ = true;
    for (const Word* u : w.Unused()) {
      Warn(line, std::string("word ") + u->letter + Num(u->value) + " is not understood here", u->column);
    }
  }

  void ToolWord(const Word& t, int line) {
    const std::optional<int> code = CodeNumber(t.value);
    if (!code || *code > 9999) {
      Warn(line, "tool word T" + Num(t.value) + " is not a tool and offset", t.column);
      return;
    }
    // T0305: tool 03, offset 05; T3: tool 3.
    tool_ = t.wholeDigits >= 3 ? *code / 100 : *code;
    OpenOperation(tool_, line);
    Move& m = Add(MoveKind::ToolChange, pos_, line);
    m.tool = tool_;
  }

  void Dwell(BlockWords& w, int line) {
    double seconds = 0;
    if (const Word* p = w.Take('P')) seconds = p->value / 1000;
    else if (const Word* x = w.Take('X')) seconds = x->value;
    else if (const Word* u = w.Take('U')) seconds = u->value;
    if (seconds < 0) {
      Warn(line, "dwell of " + Num(seconds) + " s");
      seconds = 0;
    }
    Move& m = Add(MoveKind::Dwell, pos_, line);
    m.seconds = seconds;
  }

  // The target of the block's axis words (absolute X Z, incremental U W); empty when none.
  std::optional<Point> Target(BlockWords& w) {
    Point to = pos_;
    bool any = false;
    if (const Word* x = w.Take('X')) { to.x = x->value; any = true; }
    if (const Word* z = w.Take('Z')) { to.z = z->value; any = true; }
    if (const Word* u = w.Take('U')) { to.x = pos_.x + u->value; any = true; }
    if (const Word* v = w.Take('W')) { to.z = pos_.z + v->value; any = true; }
    if (!any) return std::nullopt;
    return to;
  }

  void MotionWords(BlockWords& w, int line) {
    // Cycle words are read even without a move, as a control keeps them modal.
    if (motion_ == Motion::PeckDrill || motion_ == Motion::Tap) {
      if (const Word* q = w.Take('Q')) peck_ = Depth(*q);
      if (const Word* p = w.Take('P')) cycleDwell_ = p->value / 1000;
    }
    const std::optional<Point> to = Target(w);
    if (!to) return;
    switch (motion_) {
      case Motion::None:
      case Motion::Rapid: Add(MoveKind::Rapid, *to, line); break;
      case Motion::Linear: FeedMove(*to, line); break;
      case Motion::ArcCw:
      case Motion::ArcCcw: Arc(w, *to, line); break;
      case Motion::Thread: FeedMove(*to, line, MoveKind::Thread, feed_); break;
      case Motion::PeckDrill: PeckDrill(*to, line); break;
      case Motion::Tap: Tap(*to, line); break;
    }
  }

  void Arc(BlockWords& w, Point to, int line) {
    const Point from = pos_;
    Point centre = from;
    const Word* i = w.Take('I');
    const Word* k = w.Take('K');
    const Word* r = w.Take('R');
    if (i || k) {
      centre.x = from.x + 2 * (i ? i->value : 0);  // I is a radius
      centre.z = from.z + (k ? k->value : 0);
    } else if (r) {
      // The centre on the side the direction gives; R < 0 takes the longer arc.
      const double ax = from.x / 2, az = from.z, bx = to.x / 2, bz = to.z;
      const double mx = (ax + bx) / 2, mz = (az + bz) / 2;
      const double dx = bx - ax, dz = bz - az;
      const double chord = std::hypot(dx, dz);
      const double radius = std::fabs(r->value);
      if (chord < kEps || radius < chord / 2 - kEps) {
        Warn(line, "arc radius R" + Num(r->value) + " cannot join its ends; cut as a line");
        FeedMove(to, line);
        return;
      }
      const double h = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
      // Left of the chord (in Z right, X up) is counter-clockwise's centre for the short arc.
      double sign = motion_ == Motion::ArcCcw ? 1 : -1;
      if (r->value < 0) sign = -sign;
      centre.z = mz - sign * h * dx / chord;
      centre.x = 2 * (mx + sign * h * dz / chord);
    } else {
      Warn(line, "arc without I, K or R; cut as a line");
      FeedMove(to, line);
      return;
    }
    const double r0 = std::hypot((from.x - centre.x) / 2, from.z - centre.z);
    const double r1 = std::hypot((to.x - centre.x) / 2, to.z - centre.z);
    if (std::fabs(r0 - r1) > 0.001 * std::max(1.0, r0)) {
      Warn(line, "arc ends are not the same distance from the centre");
    }
    FeedMove(to, line);
    Move& m = path_.moves.back();
    m.arc = motion_ == Motion::ArcCw ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
    m.centre = centre;
  }

  // G83: pecks of Q from the start point, a full retract to it after each, back down at
  // rapid to the clearance above the last depth, the last peck short; dwell at the bottom.
  void PeckDrill(Point to, int line) {
    if (std::fabs(to.x - pos_.x) > kEps) Add(MoveKind::Rapid, {to.x, pos_.z}, line);
    const double start = pos_.z;
    const double bottom = to.z;
    const double depth = std::fabs(bottom - start);
    const double dir = bottom < start ? -1 : 1;
    if (!(peck_ > 0)) {
      Warn(line, "G83 with a peck Q of 0 or less never reaches its depth");
      return;
    }
    if (depth / peck_ > kMaxCyclePasses) {
      Warn(line, "G83 would need more than " + std::to_string(kMaxCyclePasses) + " pecks");
      return;
    }
    const double clearance = metric_ ? settings_.machine.g83ClearanceMm : settings_.machine.g83ClearanceInch;
    double reached = 0;
    while (reached < depth - kEps) {
      const double next = std::min(depth, reached + peck_);
      if (reached > 0) Add(MoveKind::Rapid, {pos_.x, start + dir * std::max(0.0, reached - clearance)}, line);
      FeedMove({pos_.x, start + dir * next}, line);
      reached = next;
      if (reached >= depth - kEps && cycleDwell_ > 0) DwellAt(cycleDwell_, line);
      Add(MoveKind::Rapid, {pos_.x, start}, line);
    }
  }

  // G84: in at the lead with the spindle as it runs, out at the lead with it reversed.
  void Tap(Point to, int line) {
    if (std::fabs(to.x - pos_.x) > kEps) Add(MoveKind::Rapid, {to.x, pos_.z}, line);
    const double start = pos_.z;
    FeedMove({pos_.x, to.z}, line, MoveKind::Thread, feed_);
    if (cycleDwell_ > 0) DwellAt(cycleDwell_, line);
    const Spindle running = spindle_;
    spindle_ = running == Spindle::Clockwise ? Spindle::CounterClockwise
               : running == Spindle::CounterClockwise ? Spindle::Clockwise : running;
    FeedMove({pos_.x, start}, line, MoveKind::Thread, feed_);
    spindle_ = running;
  }

  void DwellAt(double seconds, int line) {
    Move& m = Add(MoveKind::Dwell, pos_, line);
    m.seconds = seconds;
  }

  // ---- G76 ------------------------------------------------------------------------------
  void Cycle76(BlockWords& w, int line) {
    const bool hasEnd = w.Has('X') || w.Has('Z') || w.Has('U') || w.Has('W');
    if (!hasEnd) {
      // First block of the two-block form: P m r a, Q minimum cut, R finishing allowance.
      if (const Word* p = w.Take('P')) {
        const std::optional<int> field =
            p->value <= 999999 && !p->hasPoint ? CodeNumber(p->value) : std::nullopt;
        if (!field) {
          Warn(line, "G76 P" + Num(p->value) + " is not a six-digit m r a field", p->column);
        } else {
          otPasses_ = *field / 10000;
          otChamfer_ = *field / 100 % 100;
          otAngle_ = *field % 100;
        }
      }
      if (const Word* q = w.Take('Q')) otMinCut_ = Depth(*q);
      if (const Word* r = w.Take('R')) otFinish_ = Depth(*r);
      return;
    }
    const Point start = pos_;
    const std::optional<Point> end = Target(w);
    ThreadCycle c;
    c.start = start;
    c.end = *end;
    const Word* k = w.Take('K');
    if (k || w.Has('D')) {
      // One-block form: K height, D first cut, I taper, A tool angle; the rest from settings.
      const Word* d = w.Take('D');
      const Word* i = w.Take('I');
      const Word* a = w.Take('A');
      c.height = k ? k->value : 0;
      c.firstCut = d ? Depth(*d) : 0;
      c.taper = i ? i->value : 0;
      c.angle = a ? a->value : 0;
      const MachineSettings& m = settings_.machine;
      c.minCut = metric_ ? m.g76MinCutMm : m.g76MinCutInch;
      c.finish = metric_ ? m.g76FinishMm : m.g76FinishInch;
      c.finishPasses = m.g76FinishPasses;
      c.lead = feed_;
      c.chamfer = m.g76ChamferLeads * c.lead;
    } else {
      const Word* p = w.Take('P');
      const Word* q = w.Take('Q');
      const Word* r = w.Take('R');
      c.height = p ? Depth(*p) : 0;
      c.firstCut = q ? Depth(*q) : 0;
      c.taper = r ? r->value : 0;
      c.minCut = otMinCut_;
      c.finish = otFinish_;
      c.finishPasses = otPasses_;
      c.angle = otAngle_;
      c.lead = feed_;
      c.chamfer = otChamfer_ / 10.0 * c.lead;
    }
    ExpandThreadCycle(c, line);
  }

  // Depths of the passes (radius, from the crest): first cut × √n, at least the minimum cut
  // deeper than the pass before, up to height − allowance; then the finishing passes at the
  // full height.
  std::vector<double> PassDepths(const ThreadCycle& c, int line) {
    std::vector<double> depths;
    const double rough = c.height - c.finish;
    if (rough > kEps) {
      double bound = (rough / c.firstCut) * (rough / c.firstCut) + 1;
      if (c.minCut > 0) bound = std::min(bound, rough / c.minCut + 1);
      if (!(bound <= kMaxCyclePasses)) {
        Warn(line, "G76 would need more than " + std::to_string(kMaxCyclePasses) + " passes");
        return {};
      }
      double depth = std::min(c.firstCut, rough);
      depths.push_back(depth);
      for (int n = 2; depth < rough - kEps; ++n) {
        double next = c.firstCut * std::sqrt(static_cast<double>(n));
        if (next - depth < c.minCut) next = depth + c.minCut;
        depth = std::min(next, rough);
        depths.push_back(depth);
      }
    }
    for (int i = 0; i < std::max(1, c.finishPasses); ++i) depths.push_back(c.height);
    return depths;
  }

  void ExpandThreadCycle(const ThreadCycle& c, int line) {
    if (!(c.height > 0) || !(c.firstCut > 0)) {
      Warn(line, "G76 can never finish: thread height and first cut must be greater than 0");
      return;
    }
    if (!(c.lead > 0)) {
      Warn(line, "G76 without a lead F greater than 0");
      return;
    }
    if (!(c.angle >= 0 && c.angle < 180)) {
      Warn(line, "G76 tool angle " + Num(c.angle) + " is not an angle");
      return;
    }
    const std::vector<double> depths = PassDepths(c, line);
    if (depths.empty()) return;
    const double outward = c.start.x >= c.end.x ? 1 : -1;  // outside threads stand above the root
    const double dir = c.end.z < c.start.z ? -1 : 1;
    const double flank = std::tan(c.angle / 2 * kDegrees);
    const double length = std::fabs(c.end.z - c.start.z);
    const double chamfer = std::min(c.chamfer, length);
    for (double depth : depths) {
      const double left = c.height - depth;
      // Flank infeed: the full-depth pass runs on the programmed line, the rough ones stand
      // back toward the start by what is left to cut times tan(a / 2).
      const double shift = -dir * left * flank;
      const double xEnd = c.end.x + outward * 2 * left;
      const Point from{xEnd + 2 * c.taper, c.start.z + shift};
      const Point to{xEnd, c.end.z + shift};
      Add(MoveKind::Rapid, from, line);
      if (chamfer > kEps) {
        const double fraction = length > 0 ? (length - chamfer) / length : 0;
        const Point pull{from.x + (to.x - from.x) * fraction, to.z - dir * chamfer};
        FeedMove(pull, line, MoveKind::Thread, c.lead);
        FeedMove({to.x + outward * 2 * chamfer, to.z}, line, MoveKind::Thread, c.lead);
      } else {
        FeedMove(to, line, MoveKind::Thread, c.lead);
      }
      Add(MoveKind::Rapid, {c.start.x, pos_.z}, line);
      Add(MoveKind::Rapid, c.start, line);
    }
  }

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
  bool ended_ = false;
  bool open_ = false;
  // Two-block G76 first block, kept until the next.
  int otPasses_ = 1, otChamfer_ = 0, otAngle_ = 0;
  double otMinCut_ = 0, otFinish_ = 0;
  // Drilling cycles.
  double peck_ = 0, cycleDwell_ = 0;
  // Rapid check.
  int approach_ = 0;
  std::size_t lastCutMove_ = 0;
  std::vector<Cut> cuts_;
};

}  // namespace

Toolpath ExpandProgram(std::string_view text, const ToolpathSettings& settings) {
  return Expander(settings).Run(text);
}

}  // namespace tbx::toolpath
