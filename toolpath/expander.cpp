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

}  // namespace

Toolpath ExpandRead(const ReadResult& read, const ToolpathSettings& settings) {
  Interpreter interpreter(settings);
  // Most blocks make one move or none; cycles make more and grow the list once or twice.
  interpreter.Reserve(read.blocks.size() * 2);
  CompensationEvents compensation;
  for (const Block& b : read.blocks) {
    interpreter.Step(b, read.closingPercentLine);
    compensation.Read(b);
  }
  Toolpath path = interpreter.Finish();
  path.diagnostics = read.diagnostics;
  Compensate(path, compensation, settings);
  Finish(path, settings);
  return path;
}

// Each block runs as it is read: the program is never held as blocks.
Toolpath ExpandProgram(std::string_view text, const ToolpathSettings& settings) {
  Interpreter interpreter(settings);
  interpreter.Reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) * 2);
  BlockReader reader(text);
  Block block;
  CompensationEvents compensation;
  while (reader.Next(block)) {
    interpreter.Step(block, reader.ClosingPercentLine());
    compensation.Read(block);
  }
  Toolpath path = interpreter.Finish();
  path.diagnostics = reader.TakeDiagnostics();
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
