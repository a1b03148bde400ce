#pragma once
// The shared constant Pi and the material speeds.
#include "data/tables.h"

namespace tbx {

// The ten-digit value every spindle-speed formula uses, not the full-precision constant.
inline constexpr double kPi = 3.141592654;

enum class SpeedSet { Turning, Threading };

// The surface speed of a material record for the set and tool material; a material without
// this speed borrows it from the first material.
float MaterialSpeed(const MaterialTable& materials, int record, SpeedSet set, bool carbide);

}  // namespace tbx
