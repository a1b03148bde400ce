#include "toolpath/expander.h"

#include <algorithm>

#include "toolpath/checks.h"
#include "toolpath/interpreter.h"
#include "toolpath/run_time.h"

namespace tbx::toolpath {

Toolpath ExpandRead(const ReadResult& read, const ToolpathSettings& settings) {
  Toolpath path = Interpreter(settings).Run(read);
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
  std::vector<Finding> merged;
  merged.reserve(path.warnings.size() + checks.size());
  std::merge(std::make_move_iterator(path.warnings.begin()), std::make_move_iterator(path.warnings.end()),
             std::make_move_iterator(checks.begin()), std::make_move_iterator(checks.end()), std::back_inserter(merged),
             [](const Finding& a, const Finding& b) { return a.line < b.line; });
  path.warnings = std::move(merged);
  return path;
}

Toolpath ExpandProgram(std::string_view text, const ToolpathSettings& settings) {
  return ExpandRead(ReadProgram(text), settings);
}

}  // namespace tbx::toolpath
