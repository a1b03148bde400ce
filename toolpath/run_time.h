#pragma once
// Run time from the move list: rapids at the per-axis rates (the axes move together, the
// slower one decides), feeds at F × rpm (or F per minute), threading at lead × rpm along the
// longer axis, dwells as written, a tool-change time per T word. Under G96 the rpm follows
// the diameter along the move (C / D, clamped), and the time is integrated exactly. Every
// speed is clamped at the machine's maximum rpm, as the control clamps it.
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

// Seconds of one move in a program of the given units.
double MoveSeconds(const Move& move, const MachineSettings& machine, bool metric);
// The angle an arc turns through in the drawing plane (Z right, radius up), radians:
// positive counter-clockwise (G3), negative clockwise (G2); 0 for straight moves.
double ArcSweep(const Move& move);
// Length a move cuts (feed and thread moves; 0 for the rest), arcs along the arc.
double CutLength(const Move& move);
// Fills Move::seconds, the operations' lengths and times, and the total.
void TimeToolpath(Toolpath& path, const MachineSettings& machine, bool metric);
// Revolutions per minute at diameter d for surface speed v (ft/min or m/min):
// inch 12 v / (Pi d), metric 1000 v / (Pi d), with the program's Pi (3.141592654);
// clamped to limit (and the same at d = 0).
double ConstantSurfaceRpm(double v, double d, double limit, bool metric);

}  // namespace tbx::toolpath
