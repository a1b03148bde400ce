#pragma once
// The surface speeds of the materials of data.txt.
#include "data/tables.h"

namespace tbx {

enum class SpeedSet { Turning, Threading };

// The surface speed of a material record for the set and tool material; a material without
// this speed borrows it from the first material.
float MaterialSpeed(const MaterialTable& materials, int record, SpeedSet set, bool carbide);

}  // namespace tbx
