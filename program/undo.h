#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tbx {

// Saved output-box texts and block numbers, newest last.
// Operations only add to the end of the box, so an entry is a length into a text it shares with
// the entries around it and with Box(), not a copy: saving costs nothing and taking back costs
// what is cut off. Only a box changed some other way (typed in, set, opened) is read and kept
// whole again, once.
struct UndoHistory {
  struct Entry {
    std::shared_ptr<std::string> text;  // the box is its first `length` characters
    std::size_t length = 0;
    std::int64_t blockNumber = 0;
  };
  // How a restore reaches the box.
  enum class Restored { Nothing, Cut, Whole };

  // Entries in use.
  int Count() const { return count_; }

  // Whether the box, now at `revision`, still holds Box(): nothing but this history has
  // changed it since Rebase, Append or Track.
  bool Knows(std::uint64_t revision) const { return box_ && revision == revision_; }
  // The box as this history last knew it; only after Rebase.
  const std::string& Box() const { return *box_; }
  // The box holds `text`, at `revision`, unknown to the history.
  void Rebase(std::string text, std::uint64_t revision);
  // Keeps Box() and the block number an operation starts from; the oldest entry goes when the
  // history is full.
  void Save(std::int64_t blockNumber);
  // `text` was added to the end of the box, which is now at `revision`.
  void Append(std::string_view text, std::uint64_t revision);
  // Takes back the newest entry into Box() and `blockNumber`. Cut when the box, now at
  // `revision`, only needs cutting to Box().size(); Whole when it must be set to Box(); Nothing
  // (nothing changed) with an empty history. Track the box's revision afterwards.
  Restored Restore(std::uint64_t revision, std::int64_t& blockNumber);
  // The box holds Box() again, now at `revision`.
  void Track(std::uint64_t revision) { revision_ = revision; }

 private:
  std::array<Entry, 10> entries_;
  int count_ = 0;
  std::shared_ptr<std::string> box_;
  std::uint64_t revision_ = 0;
};

}  // namespace tbx
