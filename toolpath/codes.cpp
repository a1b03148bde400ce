#include "toolpath/codes.h"

#include <array>
#include <optional>

namespace tbx::toolpath {

namespace {

struct Meaning {
  char letter;
  int number;
  Code code;
};

constexpr std::array kCodes = {
    Meaning{'G', 0, Code::Rapid},          Meaning{'G', 1, Code::Linear},
    Meaning{'G', 2, Code::ArcCw},          Meaning{'G', 3, Code::ArcCcw},
    Meaning{'G', 4, Code::Dwell},          Meaning{'G', 18, Code::NoEffect},
    Meaning{'G', 20, Code::Inch},          Meaning{'G', 21, Code::Metric},
    Meaning{'G', 32, Code::Thread},        Meaning{'G', 33, Code::Thread},
    Meaning{'G', 40, Code::NoEffect},      Meaning{'G', 41, Code::NoEffect},
    Meaning{'G', 42, Code::NoEffect},      Meaning{'G', 50, Code::SpindleClamp},
    Meaning{'G', 54, Code::NoEffect},      Meaning{'G', 55, Code::NoEffect},
    Meaning{'G', 56, Code::NoEffect},      Meaning{'G', 57, Code::NoEffect},
    Meaning{'G', 58, Code::NoEffect},      Meaning{'G', 59, Code::NoEffect},
    Meaning{'G', 70, Code::FinishCycle},   Meaning{'G', 71, Code::RoughTurnCycle},
    Meaning{'G', 72, Code::RoughFaceCycle},
    Meaning{'G', 76, Code::ThreadCycle},   Meaning{'G', 80, Code::CycleEnd},
    Meaning{'G', 83, Code::PeckDrill},     Meaning{'G', 84, Code::Tap},
    Meaning{'G', 94, Code::PerMinute},     Meaning{'G', 95, Code::PerRev},
    Meaning{'G', 96, Code::SurfaceSpeed},  Meaning{'G', 97, Code::SpindleRpm},
    Meaning{'G', 98, Code::PerMinute},     Meaning{'G', 99, Code::PerRev},
    Meaning{'M', 0, Code::Stop},           Meaning{'M', 1, Code::Stop},
    Meaning{'M', 2, Code::ProgramEnd},     Meaning{'M', 3, Code::SpindleCw},
    Meaning{'M', 4, Code::SpindleCcw},     Meaning{'M', 5, Code::SpindleStop},
    Meaning{'M', 7, Code::Coolant},        Meaning{'M', 8, Code::Coolant},
    Meaning{'M', 9, Code::CoolantOff},     Meaning{'M', 30, Code::ProgramEnd},
};

// The table above laid out by letter and number, so that a word's meaning is one lookup: every
// block asks it of each of its words.
constexpr auto kByNumber = [] {
  std::array<std::array<std::optional<Code>, 100>, 2> table{};
  for (const Meaning& m : kCodes) table[m.letter == 'G' ? 0 : 1][m.number] = m.code;
  return table;
}();

}  // namespace

std::optional<Code> CodeOf(const Word& word) {
  if (word.letter != 'G' && word.letter != 'M') return std::nullopt;
  if (!(word.value >= 0 && word.value < 100)) return std::nullopt;
  const int number = static_cast<int>(word.value);
  if (number != word.value) return std::nullopt;
  return kByNumber[word.letter == 'G' ? 0 : 1][number];
}

bool BlockHas(const Block& block, Code code) {
  for (const Word& w : block.words) {
    if (CodeOf(w) == code) return true;
  }
  return false;
}

bool IsMotionOrCycle(Code code) {
  switch (code) {
    case Code::Rapid: case Code::Linear: case Code::ArcCw: case Code::ArcCcw: case Code::Thread:
    case Code::PeckDrill: case Code::Tap: case Code::CycleEnd: case Code::ThreadCycle:
    case Code::FinishCycle: case Code::RoughTurnCycle: case Code::RoughFaceCycle:
      return true;
    default: return false;
  }
}

std::optional<Code> MotionOf(const Block& block) {
  std::optional<Code> motion;
  for (const Word& w : block.words) {
    const std::optional<Code> c = CodeOf(w);
    if (!c) continue;
    switch (*c) {
      case Code::Rapid: case Code::CycleEnd: motion = Code::Rapid; break;
      case Code::Linear: case Code::ArcCw: case Code::ArcCcw: case Code::Thread: motion = c; break;
      default: break;
    }
  }
  return motion;
}

}  // namespace tbx::toolpath
