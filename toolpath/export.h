#pragma once
// The program for another control. Built on the one move list: a cycle is never expanded
// here, only written out from the moves the expander made.
//
// As written: the text byte for byte. Moves only: the same dialect with every canned cycle
// (G70, G71, G72, G76, G83, G84 and the G80 that ends one) replaced by its moves, and the
// contour blocks that follow a G71 or G72 left out (comments kept), blocks renumbered from N10
// by 10, comments kept. LinuxCNC: a complete program for a lathe configuration, written from
// the moves, with no word whose meaning differs between the two dialects.
#include <string>
#include <string_view>
#include <vector>

#include "toolpath/toolpath.h"

namespace tbx::toolpath {

enum class Dialect { AsWritten, MovesOnly, LinuxCnc };

struct DialectName {
  Dialect dialect;
  const char* id;       // on the command line: "as-written", "moves-only", "linuxcnc"
  const char* display;  // in the window: "As written", "Moves only", "LinuxCNC"
};

// Every dialect, in the order a list shows them.
const std::vector<DialectName>& Dialects();
// False when no dialect has that command-line id.
bool DialectFromId(std::string_view id, Dialect& dialect);
// "inch" or "mm": the unit system an export is written in.
const char* UnitSystemName(bool metric);

struct ExportResult {
  std::string text;
  // Blocks that could not be read (left out) and what the dialect could not carry, in
  // program order; empty for As written.
  std::vector<Finding> findings;
  // The blocks left out because they cannot be read, each with its line and text as written:
  // with any, the export is not the program's toolpath, and callers write it only when the
  // user says to go on.
  std::vector<Finding> dropped;
  // LinuxCNC: the tool table for NAME.tbl beside NAME.ngc, a line per tool the program calls
  // with the library's diameter (D, in inches: a table is in the machine's units) and tip
  // orientation in LinuxCNC's numbering (Q).
  std::string toolTable;
};

// Our tip orientation (Fanuc's, +X up) in LinuxCNC's numbering.
int LinuxCncOrientation(int orientation);

// The program text in the dialect, read in the units and from the tool-change position of
// the settings.
ExportResult ExportProgram(std::string_view text, Dialect dialect, const ToolpathSettings& settings);

}  // namespace tbx::toolpath
