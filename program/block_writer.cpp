#include "program/block_writer.h"

#include <utility>

namespace tbx {

BlockWriter::BlockWriter(Operation& op)
    : op_(op), motion_(op.RapidMode() != 0 ? Motion::Rapid : Motion::Unknown) {}

std::string BlockWriter::Words(Motion motion, std::string_view code, const Point& to) {
  // Threading and arcs state their code on every block; so does anything after a cycle.
  std::string words = motion == motion_ && motion != Motion::Other ? "" : std::string(code);
  if (to.x) words += op_.Axis('X', *to.x);
  if (to.z) words += op_.Axis('Z', *to.z);
  motion_ = motion;
  return words;
}

std::string BlockWriter::FeedWord(double value, WordClass wordClass) {
  if (feed_ && *feed_ == value) return "";
  feed_ = value;
  return op_.Word('F', wordClass, value);
}

void BlockWriter::Emit(std::string words) { op_.Block(std::exchange(prefix_, std::string()) + words); }

void BlockWriter::Rapid(const Point& to, std::string_view extra) {
  Emit(Words(Motion::Rapid, " G0", to) + std::string(extra));
}

void BlockWriter::RapidToCentre() { Emit(Words(Motion::Rapid, " G0", {}) + " X0"); }

void BlockWriter::Feed(const Point& to, double feed) {
  std::string words = Words(Motion::Feed, " G1", to);
  Emit(words + FeedWord(feed, WordClass::Feed));
}

void BlockWriter::Thread(const Point& to, double lead, WordClass leadClass, std::string_view code) {
  std::string words = Words(Motion::Other, code, to);
  Emit(words + FeedWord(lead, leadClass));
}

void BlockWriter::Arc(bool clockwise, const Point& to, double i, double feed) {
  std::string words = Words(Motion::Other, clockwise ? " G2" : " G3", to);
  words += op_.Axis('I', i);
  Emit(words + FeedWord(feed, WordClass::Feed));
}

void BlockWriter::Arc(bool clockwise, const Point& to, double i, double k, double feed) {
  std::string words = Words(Motion::Other, clockwise ? " G2" : " G3", to);
  words += op_.Axis('I', i) + op_.Axis('K', k);
  Emit(words + FeedWord(feed, WordClass::Feed));
}

void BlockWriter::Dwell(double milliseconds) {
  if (milliseconds != 0) Emit(" G4" + op_.WholeWord('P', milliseconds));
}

void BlockWriter::Cycle(std::string words) {
  motion_ = Motion::Unknown;
  feed_.reset();
  Emit(std::move(words));
}

void BlockWriter::CancelCycle(const Point& to) {
  motion_ = Motion::Unknown;
  Emit(Words(Motion::Rapid, " G80", to));
}

void BlockWriter::StateCode() { motion_ = Motion::Unknown; }

void BlockWriter::StateFeed() { feed_.reset(); }

void BlockWriter::Finish() { op_.RapidMode() = motion_ == Motion::Rapid ? 1 : 0; }

}  // namespace tbx
