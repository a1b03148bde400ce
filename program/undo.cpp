#include "program/undo.h"

#include <utility>

namespace tbx {

void UndoHistory::Save(std::string text, std::int64_t blockNumber) {
  texts[undoCount] = std::move(text);
  blocks[undoCount] = blockNumber;
  undoCount += 1;
  if (undoCount == 10) {
    // Slot 10 is never written: it hands an empty entry to slot 9, beyond those in use.
    // Moved, not copied: each entry may hold a long program.
    for (int i = 0; i <= 9; ++i) {
      texts[i] = std::move(texts[i + 1]);
      blocks[i] = blocks[i + 1];
    }
    texts[10].clear();
    undoCount = 9;
  }
}

bool UndoHistory::Restore(std::string& text, std::int64_t& blockNumber) {
  if (undoCount <= 0) return false;
  undoCount -= 1;
  text = std::move(texts[undoCount]);
  texts[undoCount].clear();
  blockNumber = blocks[undoCount];
  return true;
}

}  // namespace tbx
