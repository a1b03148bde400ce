#pragma once
#include <string>

namespace tbx {

struct TapDrillInputs {
  float tapDia = 0, pitch = 0;
  double percentThread = 0;
  bool standardTap = true;  // cutting tap; false for a forming tap
};

// The tap drill diameter as the result label shows it; empty when it is not a plain number.
std::string TapDrillText(const TapDrillInputs& in);

// The percent of thread a drill gives a tap: the calculator's rule turned round.
double PercentOfThread(double major, double pitch, double drill, bool standardTap);

}  // namespace tbx
