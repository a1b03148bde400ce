#include "program/undo.h"

#include <algorithm>
#include <utility>

namespace tbx {

void UndoHistory::Rebase(std::string text, std::uint64_t revision) {
  // Entries cut from the old text keep it alive; it is no longer the box.
  box_ = std::make_shared<std::string>(std::move(text));
  revision_ = revision;
}

void UndoHistory::Save(std::int64_t blockNumber) {
  entries[undoCount] = Entry{box_, box_->size(), blockNumber};
  undoCount += 1;
  if (undoCount == static_cast<int>(entries.size())) {
    // The tenth entry pushes out the oldest: nine are kept.
    std::move(entries.begin() + 1, entries.end(), entries.begin());
    entries.back() = Entry{};
    undoCount -= 1;
  }
}

void UndoHistory::Append(std::string_view text, std::uint64_t revision) {
  box_->append(text);
  revision_ = revision;
}

UndoHistory::Restored UndoHistory::Restore(std::uint64_t revision, std::int64_t& blockNumber) {
  if (undoCount <= 0) return Restored::Nothing;
  undoCount -= 1;
  Entry entry = std::exchange(entries[undoCount], Entry{});
  const bool cut = Knows(revision) && entry.text == box_;
  // The entries still sharing this text were saved before this one, when it was no longer:
  // cutting it keeps them whole.
  box_ = std::move(entry.text);
  box_->resize(entry.length);
  blockNumber = entry.blockNumber;
  return cut ? Restored::Cut : Restored::Whole;
}

}  // namespace tbx
