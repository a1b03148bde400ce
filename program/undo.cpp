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
  entries_[count_] = Entry{box_, box_->size(), blockNumber};
  count_ += 1;
  if (count_ == static_cast<int>(entries_.size())) {
    // The tenth entry pushes out the oldest: nine are kept.
    std::move(entries_.begin() + 1, entries_.end(), entries_.begin());
    entries_.back() = Entry{};
    count_ -= 1;
  }
}

void UndoHistory::Append(std::string_view text, std::uint64_t revision) {
  box_->append(text);
  revision_ = revision;
}

UndoHistory::Restored UndoHistory::Restore(std::uint64_t revision, std::int64_t& blockNumber) {
  if (count_ <= 0) return Restored::Nothing;
  count_ -= 1;
  Entry entry = std::exchange(entries_[count_], Entry{});
  const bool cut = Knows(revision) && entry.text == box_;
  // Entries below that share this text were saved while it was no longer than this one's
  // length (it only grows between them), so cutting it keeps them whole.
  box_ = std::move(entry.text);
  box_->resize(entry.length);
  blockNumber = entry.blockNumber;
  return cut ? Restored::Cut : Restored::Whole;
}

}  // namespace tbx
