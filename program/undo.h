#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tbx {

struct App;

// Saved output-box texts and block numbers; slots 0..UndoCount-1 in use, newest last.
struct UndoHistory {
  std::array<std::string, 11> texts;
  std::array<std::int64_t, 11> blocks{};
  int undoCount = 0;
};

// mode != 0 saves the output box and BlockNumber; mode 0 restores the newest entry.
void PushUndo(App& app, int mode);

}  // namespace tbx
