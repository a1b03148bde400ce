#pragma once
// The moves of an operation as blocks, written modally: a G code only when another one is in
// force, F only when the feed or lead changes. X words are diameters.
#include <optional>
#include <string>
#include <string_view>

#include "program/program_text.h"

namespace tbx {

// The end of a move; an axis left empty does not move and writes no word.
struct Point {
  std::optional<double> x = std::nullopt;
  std::optional<double> z = std::nullopt;
};

class BlockWriter {
 public:
  // Starts from the motion the operation found: G0 in force when its RapidMode is 1.
  explicit BlockWriter(Operation& op);

  // `extra` words follow the axis words (" M4" with the G0 that reverses a tap).
  void Rapid(const Point& to, std::string_view extra = "");
  // The drill onto the centre line, written " X0" as the drilling tabs always have.
  void RapidToCentre();
  void Feed(const Point& to, double feed);
  // Threading at `lead`; code " G32" or " G33", the lead printed in `leadClass`.
  void Thread(const Point& to, double lead, WordClass leadClass, std::string_view code);
  // An arc to `to` around the centre `i` along X (on the radius) from its start.
  void Arc(bool clockwise, const Point& to, double i, double feed);
  // The same with the centre `k` along Z from the start as well.
  void Arc(bool clockwise, const Point& to, double i, double k, double feed);
  // No block for a dwell of 0.
  void Dwell(double milliseconds);
  // A canned-cycle block ("G83 Z.. Q.. F.."): the control moves itself, so no motion is known
  // in force after it.
  void Cycle(std::string words);
  // " G80" ending the cycle; its axis words are a rapid.
  void CancelCycle(const Point& to);

  // Words the next block starts with, before its motion code: " G42", " G40".
  void Prefix(std::string words) { prefix_ = std::move(words); }

  // The next move writes its G code even when it is in force.
  void StateCode();
  // The next feed or threading move writes its F even when it is in force.
  void StateFeed();

  // Leaves RapidMode as the last move left it, for the return block: 1 when G0 is in force.
  void Finish();

 private:
  enum class Motion { Unknown, Rapid, Feed, Other };
  // The code (unless in force) and the axis words of a move.
  std::string Words(Motion motion, std::string_view code, const Point& to);
  std::string FeedWord(double value, WordClass wordClass);
  void Emit(std::string words);

  Operation& op_;
  Motion motion_;
  std::optional<double> feed_;
  std::string prefix_;
};

}  // namespace tbx
