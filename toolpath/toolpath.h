#pragma once
// The one list of moves a program makes. The reader and the cycle expander build it; the
// run time, the warnings, the drawings and every export read it and nothing else.
//
// Coordinates are those of the program: X is a diameter, Z runs along the spindle, both in
// the program's units (inch or mm). A canned cycle is already expanded into the moves the
// control makes, each carrying the line of the block that made it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/machine_file.h"
#include "data/tool_library.h"
#include "toolpath/huge_pages.h"

namespace tbx::toolpath {

enum class MoveKind : std::uint8_t {
  Rapid,       // G0 and the rapid parts of cycles
  Feed,        // G1, G2, G3 and the feed parts of G83
  Thread,      // moves locked to the spindle: G32, G33, G76 passes, G84
  Dwell,       // G4 and cycle dwells: start == end
  ToolChange,  // a T word: start == end, where the tool was when it was called
};

enum class Spindle : std::uint8_t { Stopped, Clockwise, CounterClockwise };  // M5, M3, M4
enum class ArcDirection : std::uint8_t { None, Clockwise, CounterClockwise };  // G2, G3 (Z right, X up)

struct Point {
  double x = 0;  // diameter
  double z = 0;
};

// A long program makes hundreds of thousands of these: the small fields are packed together.
struct Move {
  MoveKind kind = MoveKind::Rapid;
  Spindle spindle = Spindle::Stopped;
  ArcDirection arc = ArcDirection::None;
  bool feedPerMinute = false;  // the feed is per minute (G94/G98), else per revolution
  int tool = 0;                // tool number of a ToolChange (T0305 gives 3), else the tool in use
  int line = 0;                // 1-based line of the block that made the move
  Point start, end;
  // Feed: F per revolution (or per minute when feedPerMinute); Thread: the lead; else 0.
  double feed = 0;
  // Spindle speed at the end of the move, rpm, as the program asks for it (under G96 it
  // follows the diameter); the run time clamps it at the machine's maximum.
  double rpm = 0;
  // G96: surface speed (ft/min or m/min) and the clamp in force; 0 under G97.
  double surfaceSpeed = 0;
  double rpmLimit = 0;
  Point centre;        // of an arc
  double seconds = 0;  // the time this move takes (dwell and tool change included)
};

// From one tool change to the next (moves before the first T form an operation of tool 0).
struct OperationSummary {
  int tool = 0;
  int line = 0;               // the line of its T word (or of its first move)
  std::size_t firstMove = 0;  // [firstMove, endMove) in Toolpath::moves
  std::size_t endMove = 0;
  double cutLength = 0;  // length of feed and thread moves
  double seconds = 0;    // time of all its moves
};

struct Extents {
  bool empty = true;
  double minX = 0, maxX = 0, minZ = 0, maxZ = 0;  // X as diameters
};

struct Finding {
  int line = 0;
  int column = 0;  // 0 when about the whole block
  std::string text;
};

using MoveList = std::vector<Move, HugePageAllocator<Move>>;

// The bar (or tube) a program starts from, in the program's units; X words are diameters, so
// the stock's are too.
struct Stock {
  double outerDia = 0;  // 0: no stock known
  double bore = 0;      // 0 for a bar
  double frontZ = 0;    // its front face (face stock stands beyond Z0)
  double length = 0;    // from the front face towards the chuck; 0: into the jaws and beyond
  double chuckZ = 0;    // the face of the jaws
  // The jaws' outline: the diameter they reach out to (0: the bar's diameter and a quarter of
  // it again) and how far they grip along Z from their face (0: a third of the bar's diameter).
  double jawDia = 0;
  double jawLength = 0;
  bool Known() const { return outerDia > 0; }
  bool operator==(const Stock&) const = default;
};

struct Simulation;  // toolpath/simulation.h

struct Toolpath {
  MoveList moves;
  std::vector<OperationSummary> operations;
  Extents extents;
  double seconds = 0;
  // What the reader could not read (those blocks were skipped) and what a careful programmer
  // wants to know before running, both in program order.
  std::vector<Finding> diagnostics;
  std::vector<Finding> warnings;
  // What the moves did to the stock, when one is known (ToolpathSettings::stock); null else.
  std::shared_ptr<const Simulation> simulation;
};

// What the expander takes from outside the program text.
struct ToolpathSettings {
  bool metric = false;          // program units until a G20/G21
  Point toolChange{4, 6};       // where the tool stands before the first block
  MachineSettings machine;
  // The tools whose radius and orientation G41/G42 compensate with (a T word it lacks is a
  // warning); none: the moves stay as programmed, as an export that keeps G41/G42 wants them.
  const ToolLibrary* tools = nullptr;
  // Known: the moves are simulated against it and its exact checks replace the inferred
  // "runs through the part" one.
  Stock stock;
};

}  // namespace tbx::toolpath
