// The contour of a G70/G71/G72 (blocks P to Q) and of the Profile operation's contour box.
#include <algorithm>
#include <cmath>

#include "data/roughing.h"
#include "program/numbers.h"
#include "toolpath/expander.h"
#include "toolpath/codes.h"
#include "toolpath/contour.h"
#include "toolpath/interpreter.h"

namespace tbx::toolpath {

namespace {

constexpr double kEps = 1e-7;

NosePoint Radial(Point p) { return {p.z, p.x / 2}; }

const Word* Last(const Block& b, char letter) {
  const Word* found = nullptr;
  for (const Word& w : b.words) {
    if (w.letter == letter) found = &w;
  }
  return found;
}

struct Line {
  NosePoint from, to;
  double Length() const { return std::hypot(to.z - from.z, to.r - from.r); }
  NosePoint Unit() const {
    const double l = Length();
    return {(to.z - from.z) / l, (to.r - from.r) / l};
  }
};

// The chamfer or radius a corner word asks for between the line ending at the corner and the
// line leaving it: the trimmed end of the first, the corner's own segment, the new start of
// the second. False with the reason when the corner cannot take it.
bool Corner(const Line& in, const Line& out, bool radius, double size, NosePoint& trimmed, NoseSegment& corner,
            std::string& why) {
  const NosePoint u1 = in.Unit(), u2 = out.Unit();
  const double turn = u1.z * u2.r - u1.r * u2.z, along = u1.z * u2.z + u1.r * u2.r;
  if (std::fabs(turn) < 1e-9) {
    why = "there is no corner here";
    return false;
  }
  // The distance from the corner to where the chamfer or radius meets each side.
  double t = size;
  if (radius) t = size * std::tan(std::acos(std::clamp(along, -1.0, 1.0)) / 2);
  if (!(size > 0) || t >= in.Length() - kEps || t >= out.Length() - kEps) {
    why = std::string(radius ? "radius ," : "chamfer ,") + (radius ? "R" : "C") + PlainDecimal(size, 4) +
          " is too large for its corner";
    return false;
  }
  const NosePoint c = in.to;
  trimmed = {c.z - t * u1.z, c.r - t * u1.r};
  corner = {};
  corner.end = {c.z + t * u2.z, c.r + t * u2.r};
  if (radius) {
    // The centre lies on the inner side of the turn, square to the first side.
    const double side = turn > 0 ? 1 : -1;
    corner.arc = true;
    corner.clockwise = turn < 0;
    corner.centre = {trimmed.z - side * size * u1.r, trimmed.r + side * size * u1.z};
  }
  return true;
}

}  // namespace

ContourRead ContourFromBlocks(std::span<const Block> blocks, Point from) {
  ContourRead out;
  Motion motion = Motion::Linear;
  double feed = 0;
  Point pos = from;
  // A corner word waits for the segment after it.
  const Word* pendingCorner = nullptr;
  int pendingLine = 0;
  auto issue = [&](int line, int column, std::string text) { out.issues.push_back({line, column, std::move(text)}); };
  for (std::size_t n = 0; n < blocks.size(); ++n) {
    const Block& b = blocks[n];
    for (const Word& g : b.words) {
      switch (CodeOf(g).value_or(Code::NoEffect)) {
        case Code::Rapid:
        case Code::Linear: motion = Motion::Linear; break;
        case Code::ArcCw: motion = Motion::ArcCw; break;
        case Code::ArcCcw: motion = Motion::ArcCcw; break;
        default: break;
      }
    }
    if (const Word* f = Last(b, 'F')) feed = f->value;
    Point to = pos;
    if (const Word* x = Last(b, 'X')) to.x = x->value;
    if (const Word* z = Last(b, 'Z')) to.z = z->value;
    if (const Word* u = Last(b, 'U')) to.x = pos.x + u->value;
    if (const Word* w = Last(b, 'W')) to.z = pos.z + w->value;
    const Word* chamfer = Last(b, kCornerChamfer);
    const Word* radius = Last(b, kCornerRadius);
    if (n == 0) {
      out.path.start = Radial(to);
      pos = to;
      if (chamfer || radius) issue(b.line, (chamfer ? chamfer : radius)->column, "the contour's first point has no corner");
      continue;
    }
    if (std::hypot(to.x - pos.x, to.z - pos.z) <= kEps) {
      if (chamfer || radius) issue(b.line, (chamfer ? chamfer : radius)->column, "a block without a move has no corner");
      continue;
    }
    NoseSegment seg;
    seg.end = Radial(to);
    seg.feed = feed;
    if (motion != Motion::Linear) {
      std::string why;
      const std::optional<Point> centre =
          ArcCentre(pos, to, motion == Motion::ArcCw, Last(b, 'I'), Last(b, 'K'), Last(b, 'R'), why);
      if (!why.empty()) issue(b.line, 0, centre ? why : why + "; taken as a line");
      if (centre) {
        seg.arc = true;
        seg.clockwise = motion == Motion::ArcCw;
        seg.centre = Radial(*centre);
      }
    }
    if (pendingCorner) {
      NoseSegment& before = out.path.segments.back();
      const NosePoint beforeStart = out.path.segments.size() > 1 ? out.path.segments[out.path.segments.size() - 2].end
                                                                 : out.path.start;
      std::string why = "a corner ,C or ,R needs a line on both sides";
      NosePoint trimmed;
      NoseSegment corner;
      if (!before.arc && !seg.arc &&
          Corner({beforeStart, before.end}, {before.end, seg.end}, pendingCorner->letter == kCornerRadius,
                 pendingCorner->value, trimmed, corner, why)) {
        before.end = trimmed;
        corner.feed = before.feed;
        out.path.segments.push_back(corner);
        out.lines.push_back(pendingLine);
      } else {
        issue(pendingLine, pendingCorner->column, why);
      }
      pendingCorner = nullptr;
    }
    out.path.segments.push_back(seg);
    out.lines.push_back(b.line);
    if (chamfer && radius) issue(b.line, radius->column, "a corner takes ,C or ,R, not both");
    pendingCorner = chamfer ? chamfer : radius;
    pendingLine = b.line;
    pos = to;
  }
  if (pendingCorner) issue(pendingLine, pendingCorner->column, "the contour's last point has no corner");
  return out;
}

namespace {

// The contour as a chain of chords (arcs in eight), each with the segment it comes from.
struct Chord {
  NosePoint a, b;
  std::size_t segment;
};

std::vector<Chord> Chords(const NosePath& path) {
  std::vector<Chord> out;
  NosePoint at = path.start;
  for (std::size_t i = 0; i < path.segments.size(); ++i) {
    const NoseSegment& s = path.segments[i];
    if (!s.arc) {
      out.push_back({at, s.end, i});
    } else {
      const double r = std::hypot(at.z - s.centre.z, at.r - s.centre.r);
      const double a0 = std::atan2(at.r - s.centre.r, at.z - s.centre.z);
      double sweep = std::atan2(s.end.r - s.centre.r, s.end.z - s.centre.z) - a0;
      const double turn = 2 * kPi;
      if (s.clockwise) {
        while (sweep >= 0) sweep -= turn;
      } else {
        while (sweep <= 0) sweep += turn;
      }
      NosePoint from = at;
      for (int k = 1; k <= 8; ++k) {
        const NosePoint to = k == 8 ? s.end
                                    : NosePoint{s.centre.z + r * std::cos(a0 + sweep * k / 8),
                                                s.centre.r + r * std::sin(a0 + sweep * k / 8)};
        out.push_back({from, to, i});
        from = to;
      }
    }
    at = s.end;
  }
  return out;
}

double Cross(NosePoint o, NosePoint a, NosePoint b) { return (a.z - o.z) * (b.r - o.r) - (a.r - o.r) * (b.z - o.z); }

// Whether two chords share a point other than the end they may have in common.
bool Meet(const Chord& p, const Chord& q, bool joined) {
  const double d1 = Cross(q.a, q.b, p.a), d2 = Cross(q.a, q.b, p.b), d3 = Cross(p.a, p.b, q.a), d4 = Cross(p.a, p.b, q.b);
  constexpr double kTiny = 1e-12;
  if (joined) {
    // Chords end to end meet again only by running back along each other.
    const double along = (p.b.z - p.a.z) * (q.b.z - q.a.z) + (p.b.r - p.a.r) * (q.b.r - q.a.r);
    return std::fabs(Cross(p.a, p.b, q.b)) <= kTiny && along < 0;
  }
  return ((d1 > kTiny && d2 < -kTiny) || (d1 < -kTiny && d2 > kTiny)) &&
         ((d3 > kTiny && d4 < -kTiny) || (d3 < -kTiny && d4 > kTiny));
}

}  // namespace

ContourRead ReadContour(std::string_view text) {
  const ReadResult read = ReadProgram(text);
  ContourRead out;
  if (!read.blocks.empty()) {
    const Block& first = read.blocks.front();
    if (!Last(first, 'X') || !Last(first, 'Z')) {
      out.issues.push_back({first.line, 0, "the contour's first line must give both X and Z"});
    }
    Point from;
    if (const Word* x = Last(first, 'X')) from.x = x->value;
    if (const Word* z = Last(first, 'Z')) from.z = z->value;
    ContourRead made = ContourFromBlocks(read.blocks, from);
    made.issues.insert(made.issues.begin(), out.issues.begin(), out.issues.end());
    out = std::move(made);
  }
  out.issues.insert(out.issues.end(), read.diagnostics.begin(), read.diagnostics.end());
  // A contour that turns back on itself, by the later of the two lines; boxes of a few hundred
  // lines at most, so every pair is looked at.
  const std::vector<Chord> chords = Chords(out.path);
  if (chords.size() <= 4000) {
    for (std::size_t j = 1; j < chords.size(); ++j) {
      for (std::size_t i = 0; i < j; ++i) {
        if (!Meet(chords[i], chords[j], i + 1 == j)) continue;
        out.issues.push_back({out.lines[chords[j].segment], 0,
                              "the contour turns back on itself, across line " + std::to_string(out.lines[chords[i].segment])});
        i = j = chords.size();
      }
    }
  }
  std::stable_sort(out.issues.begin(), out.issues.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return out;
}

}  // namespace tbx::toolpath

// The cycles, as the interpreter runs them.
namespace tbx::toolpath {

namespace {

bool MovesBoth(const Block& b) {
  bool x = false, z = false;
  for (const Word& w : b.words) {
    x = x || w.letter == 'X' || w.letter == 'U';
    z = z || w.letter == 'Z' || w.letter == 'W';
  }
  return x && z;
}

Point Diametral(NosePoint p) { return {2 * p.r, p.z}; }

}  // namespace

void Interpreter::Refuse(int line, std::string text) { path_.diagnostics.push_back({line, 0, std::move(text)}); }

void Interpreter::ContourCycle(BlockWords& w, int line, Code code) {
  const std::string name = code == Code::FinishCycle ? "G70" : code == Code::RoughTurnCycle ? "G71" : "G72";
  const bool face = code == Code::RoughFaceCycle;
  RoughFirst& first = rough_[face ? 1 : 0];
  const Word* p = w.Take('P');
  const Word* q = w.Take('Q');
  if (code != Code::FinishCycle && !p && !q) {
    // The first block: the depth of cut (U for G71, W for G72) and the retract.
    const Word* depth = w.Take(face ? 'W' : 'U');
    const Word* retract = w.Take('R');
    first = {true, depth ? Depth(*depth) : 0, retract ? Depth(*retract) : 0};
    if (!depth) Refuse(line, name + " without its depth of cut " + (face ? "W" : "U"));
    return;
  }
  if (!p || !q) {
    Refuse(line, name + " needs both P and Q");
    return;
  }
  const double u = [&] { const Word* a = w.Take('U'); return a ? a->value : 0; }();
  const double wz = [&] { const Word* a = w.Take('W'); return a ? a->value : 0; }();
  auto whole = [](const Word* a) { return a->value >= 0 && a->value < 1e9 && a->value == std::floor(a->value); };
  if (!whole(p) || !whole(q)) {
    Refuse(line, name + ": P and Q must be sequence numbers");
    return;
  }
  const int pn = static_cast<int>(p->value), qn = static_cast<int>(q->value);
  int found = 0;
  const std::span<const Block> blocks = lookup_ ? lookup_->Blocks(pn, qn, line, found) : std::span<const Block>{};
  if (found == 0) {
    Refuse(line, name + ": no block N" + std::to_string(pn) + " (P) in the program");
    return;
  }
  if (found == 3) {
    Refuse(line, name + ": the contours of the program's cycles are longer than " + std::to_string(kMaxContourLines) +
                     " lines in all");
    return;
  }
  if (found == 1) {
    Refuse(line, name + ": no block N" + std::to_string(qn) + " (Q) after N" + std::to_string(pn));
    return;
  }
  const int lastLine = blocks.back().line;
  // The control goes on after block Q when the contour follows the cycle.
  if (code != Code::FinishCycle && blocks.front().line > line) skipThrough_ = std::max(skipThrough_, lastLine);
  const ContourRead contour = ContourFromBlocks(blocks, pos_);
  for (const Finding& issue : contour.issues) Warn(line, name + ": contour line " + std::to_string(issue.line) + ": " + issue.text);
  const std::optional<Code> leadMotion = MotionOf(blocks.front());
  const bool leadRapid = leadMotion ? *leadMotion == Code::Rapid : motion_ == Motion::Rapid;

  if (code == Code::FinishCycle) {
    // The contour as programmed, with the F of its blocks, then back to the start at rapid.
    const Point start = pos_;
    Room(contour.path.segments.size() + 2);
    if (leadRapid) {
      Add(MoveKind::Rapid, Diametral(contour.path.start), line);
    } else {
      FeedMove(Diametral(contour.path.start), line);
    }
    for (const NoseSegment& s : contour.path.segments) {
      Move& m = Add(MoveKind::Feed, Diametral(s.end), line);
      m.feed = s.feed > 0 ? s.feed : feed_;
      m.feedPerMinute = perMinute_;
      if (s.arc) {
        m.arc = s.clockwise ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
        m.centre = Diametral(s.centre);
      }
    }
    Add(MoveKind::Rapid, start, line);
    return;
  }

  if (!first.read) {
    Refuse(line, name + " P Q needs the " + name + " block with the depth of cut before it");
    return;
  }
  RoughingCycle cycle;
  cycle.contour = contour.path;
  cycle.start = {pos_.z, pos_.x / 2};
  cycle.depthOfCut = first.depth;
  cycle.retract = first.retract;
  cycle.allowanceX = u;
  cycle.allowanceZ = wz;
  cycle.axis = face ? RoughingAxis::Face : RoughingAxis::Turn;
  // Type II when the contour's first block moves both axes.
  cycle.pockets = MovesBoth(blocks.front());
  cycle.entryAtRapid = leadRapid;
  cycle.maxPasses = kMaxCyclePasses;
  cycle.maxMoves = kMaxMoves - std::min(kMaxMoves, path_.moves.size());
  const RoughingPlan plan = PlanRoughing(cycle);
  if (plan.refusal) {
    const RoughingRefusal& r = *plan.refusal;
    const std::string where =
        r.segment < contour.lines.size() ? "contour line " + std::to_string(contour.lines[r.segment]) + ": " : "";
    Refuse(line, name + ": " + where + r.text);
    return;
  }
  Room(plan.moves.size());
  for (const RoughingMove& m : plan.moves) {
    if (m.rapid) {
      Add(MoveKind::Rapid, Diametral(m.path.end), line);
      continue;
    }
    FeedMove(Diametral(m.path.end), line);
    if (m.path.arc) {
      Move& made = path_.moves.back();
      made.arc = m.path.clockwise ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
      made.centre = Diametral(m.path.centre);
    }
  }
}

}  // namespace tbx::toolpath
