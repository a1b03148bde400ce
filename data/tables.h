#pragma once
#include <array>
#include <string>

namespace tbx {

// Record 0 holds zeros; records 1.. follow the data file (list position p is record p + 1).
struct ThreadRecord {
  float majorDia = 0;
  float pitch = 0;
};
using ThreadTable = std::array<ThreadRecord, 201>;

struct MaterialRecord {
  float carbide = 0, hss = 0, carbideThreading = 0, hssThreading = 0;
};
using MaterialTable = std::array<MaterialRecord, 151>;

// A drill of the data file, its diameter in the units of the lists.
struct DrillRecord {
  std::string name;
  float diameter = 0;
};

inline constexpr int kMaxDrills = 250;
inline constexpr int kMaxThreads = 200;
inline constexpr int kMaxMaterials = 150;

}  // namespace tbx
