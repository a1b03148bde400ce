#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tbx {

// Saved output-box texts and block numbers; slots 0..undoCount-1 in use, newest last.
struct UndoHistory {
  std::array<std::string, 11> texts;
  std::array<std::int64_t, 11> blocks{};
  int undoCount = 0;

  // Keeps the box text and block number an operation starts from; the oldest entry goes
  // when the history is full.
  void Save(std::string text, std::int64_t blockNumber);
  // Takes back the newest entry; false (nothing changed) with an empty history.
  bool Restore(std::string& text, std::int64_t& blockNumber);
};

}  // namespace tbx
