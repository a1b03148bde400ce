#pragma once
// The tool in the drawing: the library tool in force at the caret's move, its insert and
// holder to scale where that move ends (the program's end when the caret is on no move), and,
// where the reader compensated under G41/G42, the nose centre's path thin and dashed beside
// the programmed point's.
#include <QLineF>
#include <QTransform>
#include <optional>
#include <string_view>
#include <vector>

#include "data/tool_library.h"
#include "data/tool_outline.h"
#include "toolpath/toolpath.h"

class QPainter;

namespace tbx {

// An outline in drawing coordinates (x = Z, y = radius) through `view`: the holder under the
// insert, the nose centre marked.
void PaintToolOutline(QPainter& painter, const QTransform& view, const ToolOutline& outline);

class ToolPainter {
 public:
  // The program read back from `text` with `settings`: the tool in force at each move and
  // the stretches compensation ran over.
  void SetPath(const toolpath::Toolpath& path, std::string_view text, const toolpath::ToolpathSettings& settings);
  // The program line the caret is on; true when the tool moved.
  bool SetCaretLine(int line);
  // Over the moves; `view` maps drawing coordinates to the widget's.
  void Paint(QPainter& painter, const QTransform& view) const;

  // The tool drawn and where its programmed point stands (drawing coordinates); none when
  // the move's tool is not in the library.
  const std::optional<Tool>& ShownTool() const { return shown_; }
  NosePoint ShownAt() const { return at_; }
  // The nose centre's path, in drawing coordinates.
  const std::vector<QLineF>& NoseCentrePath() const { return nosePath_; }

 private:
  void Place();

  std::vector<std::optional<Tool>> tools_;  // the T words' library tools, in program units
  std::vector<int> toolOfMove_;             // index into tools_, -1 before any T word
  std::vector<int> lineOfMove_;
  std::vector<NosePoint> endOfMove_;
  std::vector<QLineF> nosePath_;
  bool metric_ = false;
  int caretLine_ = 0;
  std::optional<Tool> shown_;
  NosePoint at_;
};

}  // namespace tbx
