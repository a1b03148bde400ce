#include "toolpath/compensation.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "data/nose_path.h"

namespace tbx::toolpath {

void CompensationEvents::Read(const Block& block) {
  CompensationEvent event{block.line};
  for (const Word& w : block.words) {
    if (w.letter == 'T' && w.value >= 0 && w.value <= 9999 && w.value == std::floor(w.value)) {
      // T0305: tool 3, offset 5, as the interpreter reads it; T3: tool 3 with its own offset.
      const int code = static_cast<int>(w.value);
      event.number = w.wholeDigits >= 3 ? code / 100 : code;
      event.offset = w.wholeDigits >= 3 ? code % 100 : code;
    }
    if (w.letter == 'G' && (w.value == 40 || w.value == 41 || w.value == 42)) event.code = static_cast<int>(w.value);
  }
  if (event.number < 0 && event.code == 0) return;
  any_ = any_ || event.code == 41 || event.code == 42;
  events_.push_back(event);
}

namespace {

std::string Word(int number, int offset) {
  auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  return "T" + two(number) + two(offset);
}

class Compensator {
 public:
  Compensator(Toolpath& path, const ToolpathSettings& settings) : path_(path), settings_(settings) {}

  void Run(const std::vector<CompensationEvent>& events) {
    MoveList moves = std::move(path_.moves);
    path_.moves.clear();
    path_.moves.reserve(moves.size() + 16);
    // Where each move lands, for the operations' ranges (a tool change ends any stretch, so
    // no range starts or ends inside one).
    std::vector<std::size_t> moved(moves.size() + 1);
    std::size_t e = 0;
    for (std::size_t index = 0; index < moves.size(); ++index) {
      Move& m = moves[index];
      for (; e < events.size() && events[e].line <= m.line; ++e) {
        const CompensationEvent& ev = events[e];
        if (ev.number >= 0) number_ = ev.number, offset_ = ev.offset;
        if (ev.code != 0) {
          const int side = ev.code == 40 ? 0 : ev.code;
          if (side != side_ && !run_.empty()) EndRun();
          side_ = side;
        }
      }
      const bool motion = m.kind == MoveKind::Rapid || m.kind == MoveKind::Feed;
      if (side_ != 0 && motion) {
        if (run_.empty()) runSide_ = side_;
        run_.push_back(m);
        runIndices_.push_back(index);
        continue;
      }
      if (!run_.empty()) {
        EndRun();
        if (m.kind != MoveKind::Dwell && m.kind != MoveKind::ToolChange && side_ != 0)
          Warn(m.line, "compensation cannot follow a thread or a cycle: it is cut as programmed from here");
      }
      // The move that leaves compensation starts where the compensated path ended.
      if (end_) {
        m.start = *end_;
        if (m.kind == MoveKind::Dwell || m.kind == MoveKind::ToolChange) m.end = *end_;
        else end_.reset();
      }
      moved[index] = path_.moves.size();
      path_.moves.push_back(m);
    }
    if (!run_.empty()) EndRun();
    for (const auto& [index, to] : placed_) moved[index] = to;
    moved[moves.size()] = path_.moves.size();
    for (OperationSummary& op : path_.operations) {
      op.firstMove = moved[op.firstMove];
      op.endMove = moved[op.endMove];
    }
    std::stable_sort(path_.warnings.begin(), path_.warnings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
  }

 private:
  void Warn(int line, std::string text) { path_.warnings.push_back({line, 0, std::move(text)}); }

  std::optional<Tool> ToolInForce() const {
    if (!settings_.tools || number_ < 0) return std::nullopt;
    const Tool* tool = settings_.tools->Find(number_, offset_);
    if (!tool) return std::nullopt;
    return tool->InUnits(settings_.tools->metric, settings_.metric);
  }

  // The programmed moves of one stretch under G41 or G42 made the control's.
  void EndRun() {
    std::vector<Move> run = std::move(run_);
    run_.clear();
    for (std::size_t index : runIndices_) placed_.emplace_back(index, path_.moves.size());
    runIndices_.clear();
    const std::optional<Tool> tool = ToolInForce();
    const char* code = runSide_ == 41 ? "G41" : "G42";
    if (!tool || (!HasInsert(tool->kind) && !HasBlade(tool->kind))) {
      Warn(run.front().line, std::string(code) + " needs the tool " +
                                 (number_ < 0 ? std::string("in force") : Word(number_, offset_)) +
                                 " with a nose radius in the tool library: the programmed path is drawn");
      path_.moves.insert(path_.moves.end(), run.begin(), run.end());
      end_.reset();
      return;
    }
    NosePath profile{{run.front().start.z, run.front().start.x / 2}, {}};
    for (const Move& m : run) {
      NoseSegment s{{m.end.z, m.end.x / 2}};
      if (m.arc != ArcDirection::None) {
        s.arc = true;
        s.clockwise = m.arc == ArcDirection::Clockwise;
        s.centre = {m.centre.z, m.centre.x / 2};
      }
      profile.segments.push_back(s);
    }
    std::vector<NoseIssue> issues;
    const NoseSide side = runSide_ == 41 ? NoseSide::Left : NoseSide::Right;
    const NosePath centre = NoseCentrePath(profile, side, tool->radius, tool->orientation, &issues);
    for (const NoseIssue& i : issues) Warn(run[i.segment].line, "compensation cannot follow: " + i.text);
    const NosePoint tip = TipDirection(tool->orientation);
    const NosePath programmed = ShiftedPath(centre, {tool->radius * tip.z, tool->radius * tip.r});
    Point at = run.front().start;
    for (const NoseSegment& s : programmed.segments) {
      Move m = run[std::min(s.source, run.size() - 1)];
      m.start = at;
      m.end = {2 * s.end.r, s.end.z};
      m.arc = !s.arc ? ArcDirection::None : s.clockwise ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
      m.centre = s.arc ? Point{2 * s.centre.r, s.centre.z} : Point{};
      path_.moves.push_back(m);
      at = m.end;
    }
    end_ = at;
  }

  Toolpath& path_;
  const ToolpathSettings& settings_;
  int number_ = -1, offset_ = -1;
  int side_ = 0, runSide_ = 0;  // 0, 41 or 42: in force, and of the stretch being gathered
  std::vector<Move> run_;
  std::vector<std::size_t> runIndices_;                      // of run_ in the expander's list
  std::vector<std::pair<std::size_t, std::size_t>> placed_;  // and where they went
  std::optional<Point> end_;  // where the last compensated stretch left the tool
};

}  // namespace

void Compensate(Toolpath& path, const CompensationEvents& events, const ToolpathSettings& settings) {
  if (!events.AnyCompensation() || !settings.tools) return;
  Compensator(path, settings).Run(events.Events());
}

}  // namespace tbx::toolpath
