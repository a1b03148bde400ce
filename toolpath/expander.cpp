#include "toolpath/expander.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "toolpath/checks.h"
#include "toolpath/codes.h"
#include "toolpath/compensation.h"
#include "toolpath/interpreter.h"
#include "toolpath/run_time.h"
#include "toolpath/simulation.h"

namespace tbx::toolpath {

namespace {

// Times the moves, finds the extents and adds the checks of the finished list.
void Finish(Toolpath& path, const ToolpathSettings& settings) {
  TimeToolpath(path, settings.machine, settings.metric);
  Extents& e = path.extents;
  for (const Move& m : path.moves) {
    for (const Point& p : {m.start, m.end}) {
      if (e.empty) {
        e = {false, p.x, p.x, p.z, p.z};
        continue;
      }
      e.minX = std::min(e.minX, p.x);
      e.maxX = std::max(e.maxX, p.x);
      e.minZ = std::min(e.minZ, p.z);
      e.maxZ = std::max(e.maxZ, p.z);
    }
  }
  // Both lists are in line order; on one line the interpreter's come first.
  std::vector<Finding> checks = CheckMoves(path, settings);
  if (settings.stock.Known()) {
    auto sim = std::make_shared<Simulation>(Simulate(path, settings, settings.stock));
    std::vector<Finding> both;
    std::merge(std::make_move_iterator(checks.begin()), std::make_move_iterator(checks.end()),
               sim->findings.begin(), sim->findings.end(), std::back_inserter(both),
               [](const Finding& a, const Finding& b) { return a.line < b.line; });
    checks = std::move(both);
    path.simulation = std::move(sim);
  }
  std::vector<Finding> merged;
  merged.reserve(path.warnings.size() + checks.size());
  std::merge(std::make_move_iterator(path.warnings.begin()), std::make_move_iterator(path.warnings.end()),
             std::make_move_iterator(checks.begin()), std::make_move_iterator(checks.end()), std::back_inserter(merged),
             [](const Finding& a, const Finding& b) { return a.line < b.line; });
  path.warnings = std::move(merged);
}

// The numbered blocks of a program, indexed on the first cycle that asks: by number, the
// place of each in program order.
template <typename Place>
class SequenceIndex {
 public:
  struct Entry {
    int sequence, line;
    Place place;
  };
  bool built = false;
  std::vector<Entry> entries;  // by sequence, then line

  void Sort() {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.sequence != b.sequence ? a.sequence < b.sequence : a.line < b.line; });
    built = true;
  }
  // The first numbered `sequence` after `after`, else the first of all; null when none.
  const Entry* Find(int sequence, int after) const {
    auto lo = std::lower_bound(entries.begin(), entries.end(), sequence, [](const Entry& e, int s) { return e.sequence < s; });
    if (lo == entries.end() || lo->sequence != sequence) return nullptr;
    auto next = std::upper_bound(lo, entries.end(), std::pair{sequence, after},
                                 [](std::pair<int, int> key, const Entry& e) {
                                   return key.first != e.sequence ? key.first < e.sequence : key.second < e.line;
                                 });
    return next != entries.end() && next->sequence == sequence ? &*next : &*lo;
  }
  // The blocks P and Q name (Q the first from P's line on); `found` as SequenceLookup says.
  std::pair<const Entry*, const Entry*> Range(int p, int q, int after, int& found) {
    found = 0;
    const Entry* from = Find(p, after);
    if (!from) return {};
    found = 1;
    const Entry* to = Find(q, from->line - 1);
    if (!to || to->line < from->line) return {};
    const auto lines = static_cast<std::size_t>(to->line - from->line + 1);
    if (lines > budget) {
      found = 3;
      return {};
    }
    budget -= lines;
    found = 2;
    return {from, to};
  }
  std::size_t budget = kMaxContourLines;
};

// Over a program already read: the blocks are at hand.
class ReadLookup final : public SequenceLookup {
 public:
  explicit ReadLookup(std::span<const Block> blocks) : blocks_(blocks) {}
  std::span<const Block> Blocks(int p, int q, int after, int& found) override {
    if (!index_.built) {
      for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i].sequence >= 0) index_.entries.push_back({blocks_[i].sequence, blocks_[i].line, i});
      }
      index_.Sort();
    }
    const auto [from, to] = index_.Range(p, q, after, found);
    if (found < 2) return {};
    return blocks_.subspan(from->place, to->place - from->place + 1);
  }

 private:
  std::span<const Block> blocks_;
  SequenceIndex<std::size_t> index_;
};

// Over the text being read a block at a time: the numbered lines found in one reading of it,
// the blocks from P to Q read again from P's line.
class TextLookup final : public SequenceLookup {
 public:
  explicit TextLookup(std::string_view text) : text_(text) {}
  std::span<const Block> Blocks(int p, int q, int after, int& found) override {
    if (!index_.built) {
      BlockReader reader(text_);
      Block b;
      while (reader.Next(b)) {
        if (b.sequence >= 0) index_.entries.push_back({b.sequence, b.line, reader.LineAt()});
      }
      index_.Sort();
    }
    const auto [from, to] = index_.Range(p, q, after, found);
    if (found < 2) return {};
    read_ = ReadProgram(text_, from->place, to->line);
    return read_.blocks;
  }

 private:
  std::string_view text_;
  SequenceIndex<ReadPoint> index_;
  ReadResult read_;
};

// The reader's diagnostics and the cycles', in line order.
std::vector<Finding> MergeDiagnostics(std::vector<Finding> read, std::vector<Finding> cycles) {
  if (cycles.empty()) return read;
  std::vector<Finding> merged;
  merged.reserve(read.size() + cycles.size());
  std::merge(std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()),
             std::make_move_iterator(cycles.begin()), std::make_move_iterator(cycles.end()), std::back_inserter(merged),
             [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return merged;
}

}  // namespace

Toolpath ExpandRead(const ReadResult& read, const ToolpathSettings& settings) {
  Interpreter interpreter(settings);
  ReadLookup lookup(read.blocks);
  interpreter.SetLookup(&lookup);
  // Most blocks make one move or none; cycles make more and grow the list once or twice.
  interpreter.Reserve(read.blocks.size() * 2);
  CompensationEvents compensation;
  for (const Block& b : read.blocks) {
    interpreter.Step(b, read.closingPercentLine);
    compensation.Read(b);
  }
  Toolpath path = interpreter.Finish();
  path.diagnostics = MergeDiagnostics(read.diagnostics, std::move(path.diagnostics));
  Compensate(path, compensation, settings);
  Finish(path, settings);
  return path;
}

// Each block runs as it is read: the program is never held as blocks.
Toolpath ExpandProgram(std::string_view text, const ToolpathSettings& settings) {
  Interpreter interpreter(settings);
  TextLookup lookup(text);
  interpreter.SetLookup(&lookup);
  interpreter.Reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) * 2);
  BlockReader reader(text);
  Block block;
  CompensationEvents compensation;
  while (reader.Next(block)) {
    interpreter.Step(block, reader.ClosingPercentLine());
    compensation.Read(block);
  }
  Toolpath path = interpreter.Finish();
  path.diagnostics = MergeDiagnostics(reader.TakeDiagnostics(), std::move(path.diagnostics));
  Compensate(path, compensation, settings);
  Finish(path, settings);
  return path;
}

int ProgramEndLine(std::string_view text) { return FindProgramEnd(text).line; }

ProgramEnd FindProgramEnd(std::string_view text, ReadPoint from) {
  if (from.offset > text.size()) from = {};
  BlockReader reader(text, from);
  Block block;
  while (reader.Next(block)) {
    if (reader.ClosingPercentLine() > 0) return {reader.ClosingPercentLine(), reader.ClosingPercentAt()};
    if (BlockHas(block, Code::ProgramEnd)) return {block.line, reader.LineAt()};
  }
  if (reader.ClosingPercentLine() > 0) return {reader.ClosingPercentLine(), reader.ClosingPercentAt()};
  return {0, reader.LineAt()};
}

}  // namespace tbx::toolpath
