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

}  // namespace tbx
