#include "data/material_speeds.h"

namespace tbx {

namespace {
float PickSpeed(const MaterialRecord& m, SpeedSet set, bool carbide) {
  if (set == SpeedSet::Threading) return carbide ? m.carbideThreading : m.hssThreading;
  return carbide ? m.carbide : m.hss;
}
}  // namespace

float MaterialSpeed(const MaterialTable& materials, int record, SpeedSet set, bool carbide) {
  float speed = PickSpeed(materials[static_cast<std::size_t>(record)], set, carbide);
  if (speed == 0) speed = PickSpeed(materials[1], set, carbide);
  return speed;
}

}  // namespace tbx
