#include "toolpath/export.h"

#include "toolpath/compensation.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "program/numbers.h"
#include "toolpath/codes.h"
#include "toolpath/expander.h"
#include "toolpath/reader.h"

namespace tbx::toolpath {

namespace {

constexpr double kEps = 1e-6;

// ---- the program as lines --------------------------------------------------------------

// The same line ends the reader takes: CR LF, a lone CR or a lone LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = LineEnd(text, start);
    lines.push_back(text.substr(start, end - start));
    start = NextLine(text, end);
  }
  return lines;
}

// The line end the program uses (its first), CR LF for a program of one line.
std::string NewLineOf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\r\n";
  if (text[end] == '\r') return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
  return "\n";
}

// "( ... )" comments of a line, parentheses included; an unclosed one is not a comment.
std::vector<std::string_view> Comments(std::string_view line) {
  std::vector<std::string_view> comments;
  for (std::size_t open = line.find('('); open != std::string_view::npos; open = line.find('(', open)) {
    const std::size_t close = line.find(')', open + 1);
    if (close == std::string_view::npos) break;
    comments.push_back(line.substr(open, close - open + 1));
    open = close + 1;
  }
  return comments;
}

bool HasCode(const Block& b, std::initializer_list<Code> codes) {
  return std::any_of(codes.begin(), codes.end(), [&](Code c) { return BlockHas(b, c); });
}

bool HasLetter(const Block& b, std::string_view letters) {
  return std::any_of(b.words.begin(), b.words.end(),
                     [&](const Word& w) { return letters.find(w.letter) != std::string_view::npos; });
}

// Everything both writers read: the lines, the block and the moves of each.
struct Source {
  std::vector<std::string_view> lines;
  std::vector<const Block*> blocks;  // by line (index 0 unused), null where none
  std::vector<bool> unread;          // by line: the reader could not read it
  ReadResult read;
  Toolpath path;
  // moves[firstMove[line], firstMove[line + 1]) were made by the line.
  std::vector<std::size_t> firstMove;

  // The moves as programmed: G41/G42 are written for the control to follow.
  Source(std::string_view text, const ToolpathSettings& settings)
      : lines(SplitLines(text)), read(ReadProgram(text)), path(ExpandRead(read, Programmed(settings))) {
    const std::size_t n = lines.size() + 2;
    blocks.assign(n, nullptr);
    unread.assign(n, false);
    for (const Block& b : read.blocks) blocks[static_cast<std::size_t>(b.line)] = &b;
    for (int line : read.unreadLines) unread[static_cast<std::size_t>(line)] = true;
    firstMove.assign(n + 1, path.moves.size());
    for (std::size_t i = path.moves.size(); i-- > 0;) {
      firstMove[static_cast<std::size_t>(path.moves[i].line)] = i;
    }
    for (std::size_t line = n; line-- > 0;) firstMove[line] = std::min(firstMove[line], firstMove[line + 1]);
    MarkContours();
  }

  // The contour blocks right after a G71 or G72 make no moves of their own (the control goes
  // on after block Q): neither export writes them, or the other control would run them.
  std::vector<bool> contour;  // by line

  void MarkContours() {
    contour.assign(lines.size() + 2, false);
    const auto numbered = [&](std::size_t from, double n) -> const Block* {
      for (std::size_t i = from; i < read.blocks.size(); ++i) {
        if (read.blocks[i].sequence == n) return &read.blocks[i];
      }
      return nullptr;
    };
    for (std::size_t i = 0; i < read.blocks.size(); ++i) {
      const Block& b = read.blocks[i];
      if (!BlockHas(b, Code::RoughTurnCycle) && !BlockHas(b, Code::RoughFaceCycle)) continue;
      const Word *p = nullptr, *q = nullptr;
      for (const Word& w : b.words) {
        if (w.letter == 'P') p = &w;
        if (w.letter == 'Q') q = &w;
      }
      if (!p || !q) continue;
      const Block* first = numbered(i + 1, p->value);
      const Block* last = first ? numbered(static_cast<std::size_t>(first - read.blocks.data()), q->value) : nullptr;
      if (!last) continue;
      for (int line = b.line + 1; line <= last->line; ++line) contour[static_cast<std::size_t>(line)] = true;
    }
  }

  static ToolpathSettings Programmed(ToolpathSettings settings) {
    settings.tools = nullptr;
    return settings;
  }

  std::size_t MovesFrom(std::size_t line) const { return firstMove[line]; }
  std::size_t MovesEnd(std::size_t line) const { return firstMove[line + 1]; }
  // M2 or M30: the control reads no further.
  static bool Ends(const Block* b) { return b && BlockHas(*b, Code::ProgramEnd); }
  // The closing "%": the tape ends there.
  bool TapeEnds(std::size_t line) const {
    return read.closingPercentLine > 0 && line >= static_cast<std::size_t>(read.closingPercentLine);
  }
};

// The classes of words the exports write.
enum class WordClass {
  Axis,     // X Z I K of moves
  Lead,     // F of feeds, K of threads
  Decimal,  // seconds of G4, an S or D that is no whole number
  Whole,    // P in milliseconds, T, a whole S: no point
};

// Decimal places of each class, inch and mm: the one table both dialects write by.
struct ClassPlaces {
  WordClass word;
  int inch, mm;
};
constexpr ClassPlaces kPlaces[] = {
    {WordClass::Axis, 4, 3},
    {WordClass::Lead, 6, 6},
    {WordClass::Decimal, 4, 4},
    {WordClass::Whole, 0, 0},
};

// Words of a program: every number through the program's one formatter with the places of its
// class, and refused when it would not print as a plain number.
class Words {
 public:
  explicit Words(bool metric) : metric_(metric) {}

  std::string Word(char letter, WordClass wordClass, double value) {
    int places = 0;
    for (const ClassPlaces& p : kPlaces) {
      if (p.word == wordClass) places = metric_ ? p.mm : p.inch;
    }
    std::string text = FormatValue(value, places);
    if (!IsPlainNumber(text)) {
      if (refused_.empty()) refused_ = std::string(1, letter) + text;
      text = "0";
    }
    if (wordClass == WordClass::Whole && text.back() == '.') text.pop_back();
    return std::string(" ") + letter + text;
  }
  std::string Axis(char letter, double value) { return Word(letter, WordClass::Axis, value); }
  const std::string& Refused() const { return refused_; }

 private:
  bool metric_;
  std::string refused_;
};

// The axis words that differ from where the tool stands; Z alone when none does, so that
// every move stays a block of its own.
std::string AxisWords(Words& words, const Move& m, bool bothAlways) {
  const std::string x = words.Axis('X', m.end.x), z = words.Axis('Z', m.end.z);
  const bool moveX = bothAlways || x != words.Axis('X', m.start.x);
  const bool moveZ = bothAlways || z != words.Axis('Z', m.start.z);
  if (!moveX && !moveZ) return z;
  return (moveX ? x : "") + (moveZ ? z : "");
}

bool IsWhole(double v) { return std::fabs(v - std::round(v)) < 1e-9; }

bool Reversed(Spindle a, Spindle b) {
  return (a == Spindle::Clockwise && b == Spindle::CounterClockwise) ||
         (a == Spindle::CounterClockwise && b == Spindle::Clockwise);
}

const char* SpindleCode(Spindle s) {
  switch (s) {
    case Spindle::Clockwise: return " M3";
    case Spindle::CounterClockwise: return " M4";
    case Spindle::Stopped: return " M5";
  }
  return "";
}

// ---- Moves only ------------------------------------------------------------------------

enum class Modal { Rapid, Linear, ArcCw, ArcCcw, Thread };

Modal ModalOf(const Move& m) {
  switch (m.kind) {
    case MoveKind::Feed:
      return m.arc == ArcDirection::Clockwise ? Modal::ArcCw
             : m.arc == ArcDirection::CounterClockwise ? Modal::ArcCcw : Modal::Linear;
    case MoveKind::Thread: return Modal::Thread;
    default: return Modal::Rapid;
  }
}

const char* ModalCode(Modal m) {
  switch (m) {
    case Modal::Rapid: return " G0";
    case Modal::Linear: return " G1";
    case Modal::ArcCw: return " G2";
    case Modal::ArcCcw: return " G3";
    case Modal::Thread: return " G32";
  }
  return "";
}

std::optional<Modal> ModalOfBlock(const Block& b) {
  switch (MotionOf(b).value_or(Code::NoEffect)) {
    case Code::Rapid: return Modal::Rapid;
    case Code::Linear: return Modal::Linear;
    case Code::ArcCw: return Modal::ArcCw;
    case Code::ArcCcw: return Modal::ArcCcw;
    case Code::Thread: return Modal::Thread;
    default: return std::nullopt;
  }
}

// The text of one word as written ("T0101", "m8"), from its column.
std::string_view WordText(std::string_view line, const Word& w) {
  std::size_t p = static_cast<std::size_t>(w.column);
  while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) ++p;
  while (p < line.size() && ((line[p] >= '0' && line[p] <= '9') || line[p] == '.')) ++p;
  return line.substr(static_cast<std::size_t>(w.column) - 1, p - static_cast<std::size_t>(w.column) + 1);
}

class MovesOnlyWriter {
 public:
  MovesOnlyWriter(const Source& src, std::string newLine, bool metric)
      : src_(src), nl_(std::move(newLine)), words_(metric) {}

  std::string Write(bool metric) {
    out_ = std::string("(Moves only, ") + UnitSystemName(metric) + ")" + nl_;
    bool cycleMode = false, ended = false;
    for (std::size_t line = 1; line <= src_.lines.size(); ++line) {
      const std::string_view text = src_.lines[line - 1];
      const toolpath::Block* b = src_.blocks[line];
      ended = ended || src_.TapeEnds(line);
      if (ended || !b) {
        Keep(text, b, line);
        continue;
      }
      if (src_.contour[line]) {
        for (std::string_view c : Comments(text)) Put(" " + std::string(c));
        continue;
      }
      const bool cycle = HasCode(*b, {Code::ThreadCycle, Code::PeckDrill, Code::Tap, Code::CycleEnd, Code::FinishCycle,
                                      Code::RoughTurnCycle, Code::RoughFaceCycle}) ||
                         (cycleMode && !BlockHas(*b, Code::Dwell) && !ModalOfBlock(*b) && HasLetter(*b, "XZUWQP"));
      if (HasCode(*b, {Code::PeckDrill, Code::Tap})) cycleMode = true;
      else if (ModalOfBlock(*b)) cycleMode = false;
      if (cycle) {
        Replace(text, *b, line);
      } else {
        Keep(text, b, line);
      }
      ended = Source::Ends(b);
    }
    return out_;
  }

  const std::string& Refused() const { return words_.Refused(); }

 private:
  void Put(const std::string& words) {
    out_ += "N" + std::to_string(number_) + words + nl_;
    number_ += 10;
  }

  // A block as written, renumbered; a motion code or F word added where the moves written
  // for a cycle before it left another one in force.
  void Keep(std::string_view text, const toolpath::Block* b, std::size_t line) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    const bool numbered = p < text.size() && (text[p] == 'N' || text[p] == 'n');
    if (!numbered && !b) {
      out_ += std::string(text) + nl_;
      return;
    }
    std::string_view rest = text;
    if (numbered) {
      std::size_t q = p + 1;
      while (q < text.size() && (text[q] == ' ' || text[q] == '\t')) ++q;
      if (q < text.size() && (text[q] == '+' || text[q] == '-')) ++q;
      while (q < text.size() && ((text[q] >= '0' && text[q] <= '9') || text[q] == '.')) ++q;
      rest = text.substr(q);
    } else {
      rest = text.substr(p);
    }
    std::string added, appended;
    if (b) {
      const std::optional<Modal> written = ModalOfBlock(*b);
      for (std::size_t i = src_.MovesFrom(line); i < src_.MovesEnd(line); ++i) {
        const toolpath::Move& m = src_.path.moves[i];
        if (m.kind == MoveKind::Dwell || m.kind == MoveKind::ToolChange) continue;
        if (!written && ModalOf(m) != modal_) added = ModalCode(ModalOf(m));
        if (!HasLetter(*b, "F") && (m.kind == MoveKind::Feed || m.kind == MoveKind::Thread) && m.feed != feed_) {
          appended = words_.Word('F', WordClass::Lead, m.feed);
          feed_ = m.feed;
        }
        modal_ = ModalOf(m);
        break;
      }
      if (written) modal_ = *written;
      for (const Word& w : b->words) {
        if (w.letter == 'F') feed_ = w.value;
      }
    }
    std::string body(rest);
    if (!body.empty() && body.front() != ' ' && body.front() != '\t') body.insert(0, " ");
    Put(added + body + appended);
  }

  // A cycle block: its comments, the words that are not the cycle's, then its moves.
  void Replace(std::string_view text, const toolpath::Block& b, std::size_t line) {
    for (std::string_view c : Comments(text)) Put(" " + std::string(c));
    std::string others;
    for (const Word& w : b.words) {
      if (w.letter == 'G' && IsMotionOrCycle(CodeOf(w).value_or(Code::NoEffect))) continue;
      if (std::string_view("XZUWPQRKDIAF").find(w.letter) != std::string_view::npos) continue;
      others += " " + std::string(WordText(text, w));
    }
    if (!others.empty()) Put(others);
    const std::size_t from = src_.MovesFrom(line), end = src_.MovesEnd(line);
    std::optional<Spindle> running;
    Spindle spindle = Spindle::Stopped;
    for (std::size_t i = from; i < end; ++i) {
      const toolpath::Move& m = src_.path.moves[i];
      if (m.kind == MoveKind::ToolChange) continue;
      if (!running) running = spindle = m.spindle;
      if (m.spindle != spindle) {
        Put(SpindleCode(m.spindle));  // the tap reverses out
        spindle = m.spindle;
      }
      WriteMove(m);
    }
    if (running && spindle != *running) Put(SpindleCode(*running));
  }

  void WriteMove(const toolpath::Move& m) {
    if (m.kind == MoveKind::Dwell) {
      const double ms = m.seconds * 1000;
      // P is whole milliseconds here; a fraction of one goes in seconds.
      Put(" G4" + (IsWhole(ms) ? words_.Word('P', WordClass::Whole, ms) : words_.Word('X', WordClass::Decimal, m.seconds)));
      return;
    }
    std::string w;
    const Modal modal = ModalOf(m);
    if (modal != modal_) w += ModalCode(modal);
    modal_ = modal;
    w += AxisWords(words_, m, false);
    if (m.arc != ArcDirection::None) {
      w += words_.Axis('I', (m.centre.x - m.start.x) / 2) + words_.Axis('K', m.centre.z - m.start.z);
    }
    if ((m.kind == MoveKind::Feed || m.kind == MoveKind::Thread) && m.feed != feed_) {
      w += words_.Word('F', WordClass::Lead, m.feed);
      feed_ = m.feed;
    }
    Put(w);
  }

  const Source& src_;
  std::string nl_;
  Words words_;
  std::string out_;
  std::int64_t number_ = 10;
  Modal modal_ = Modal::Rapid;
  double feed_ = 0;
};

// ---- LinuxCNC --------------------------------------------------------------------------

// Comments LinuxCNC acts on (messages, log files, probe files, Python): a comment that reads
// like one is kept as text by a leading "- ".
bool ActiveInLinuxCnc(std::string_view comment) {
  std::string squeezed;
  for (char c : comment) {
    if (c != ' ' && c != '\t') squeezed += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (const char* word : {"msg", "debug", "print", "log", "probe", "py", "abort"}) {
    if (squeezed.rfind(word, 0) == 0) return true;
  }
  return false;
}

class LinuxCncWriter {
 public:
  LinuxCncWriter(const Source& src, bool metric) : src_(src), words_(metric), metric_(metric) {}

  std::string Write() {
    Put(std::string("(LinuxCNC, ") + UnitSystemName(metric_) + ")");
    // XZ plane, X on the diameter, feed per revolution, no compensation, no cycle, absolute.
    Put(std::string("G18 G7 ") + (metric_ ? "G21" : "G20") + " G40 G80 G90 G95 G97");
    for (std::size_t line = 1; line <= src_.lines.size() && !src_.TapeEnds(line); ++line) {
      if (src_.unread[line]) continue;
      WriteLine(src_.lines[line - 1], src_.blocks[line], line);
      if (Source::Ends(src_.blocks[line])) break;
    }
    Put("M2");
    return out_;
  }

  const std::string& Refused() const { return words_.Refused(); }
  std::vector<Finding>& Notes() { return notes_; }

 private:
  void Put(const std::string& block) { out_ += block + "\n"; }

  // Comments first, then the tool change, coolant, the moves, and the stops LinuxCNC makes
  // after the motion of a block.
  void WriteLine(std::string_view text, const Block* b, std::size_t line) {
    for (std::string_view c : Comments(text)) {
      std::string inner(c.substr(1, c.size() - 2));
      inner.erase(std::remove(inner.begin(), inner.end(), '('), inner.end());
      Put("(" + std::string(ActiveInLinuxCnc(inner) ? "- " : "") + inner + ")");
    }
    std::string coolant, stops;
    bool spindleStop = false;
    if (b && !src_.contour[line]) {
      for (const Word& w : b->words) {
        if (w.letter == 'G' && (w.value == 40 || w.value == 41 || w.value == 42))
          compensation_ = "G" + std::to_string(static_cast<int>(w.value)) + " ";
        if (w.letter != 'M') continue;
        const Code code = CodeOf(w).value_or(Code::NoEffect);
        const std::string written = "M" + std::to_string(static_cast<int>(w.value));
        if (code == Code::Coolant || code == Code::CoolantOff) coolant += " " + written;
        if (code == Code::Stop) stops += " " + written;
        if (code == Code::SpindleStop) spindleStop = true;
      }
    }
    const std::size_t end = src_.MovesEnd(line);
    for (std::size_t i = src_.MovesFrom(line); i < end; ++i) {
      const Move& m = src_.path.moves[i];
      if (m.kind != MoveKind::ToolChange && !coolant.empty()) {
        Put(coolant.substr(1));
        coolant.clear();
      }
      if (i >= writtenUpTo_) WriteMove(i);
    }
    if (!coolant.empty()) Put(coolant.substr(1));
    // A G40, G41 or G42 of a block without moves stands alone; the next move follows it.
    if (!compensation_.empty()) Put(std::exchange(compensation_, std::string()).substr(0, 3));
    if (spindleStop && spindle_ != Spindle::Stopped) {
      Put("M5");
      spindle_ = Spindle::Stopped;
    }
    if (!stops.empty()) Put(stops.substr(1));
  }

  // The tap's way out: after `in` (and dwells there), the same line back with the spindle
  // reversed. 0 when the move is no tap.
  std::size_t TapOut(std::size_t in) {
    const auto& moves = src_.path.moves;
    const Move& a = moves[in];
    if (a.kind != MoveKind::Thread || std::fabs(a.end.x - a.start.x) > kEps) return 0;
    std::size_t j = in + 1;
    while (j < moves.size() && moves[j].kind == MoveKind::Dwell) ++j;
    if (j >= moves.size()) return 0;
    const Move& o = moves[j];
    const bool back = o.kind == MoveKind::Thread && std::fabs(o.end.x - a.start.x) < kEps &&
                      std::fabs(o.end.z - a.start.z) < kEps && std::fabs(o.start.z - a.end.z) < kEps;
    return back && Reversed(a.spindle, o.spindle) ? j : 0;
  }

  void WriteMove(std::size_t i) {
    const Move& m = src_.path.moves[i];
    switch (m.kind) {
      case MoveKind::ToolChange:
        // T0101 is tool 1; G43 takes its offsets from the tool table.
        Put("T" + words_.Word('T', WordClass::Whole, m.tool).substr(2) + " M6" + (m.tool > 0 ? " G43" : " G49"));
        spindle_ = Spindle::Stopped;  // M6 stops the spindle
        return;
      case MoveKind::Dwell:
        SpindleFor(m);
        Put("G4" + words_.Word('P', WordClass::Decimal, m.seconds));  // seconds here
        return;
      case MoveKind::Rapid:
        SpindleFor(m);
        Put(std::exchange(compensation_, std::string()) + "G0" + Axes(m));
        return;
      case MoveKind::Feed: {
        SpindleFor(m);
        std::string w = std::exchange(compensation_, std::string());
        w += m.feedPerMinute != perMinute_ ? (m.feedPerMinute ? "G94 " : "G95 ") : "";
        perMinute_ = m.feedPerMinute;
        w += m.arc == ArcDirection::None ? "G1" : m.arc == ArcDirection::Clockwise ? "G2" : "G3";
        w += Axes(m);
        // I stays a radius in diameter mode.
        if (m.arc != ArcDirection::None) {
          w += words_.Axis('I', (m.centre.x - m.start.x) / 2) + words_.Axis('K', m.centre.z - m.start.z);
        }
        if (m.feed != feed_) w += words_.Word('F', WordClass::Lead, m.feed);
        feed_ = m.feed;
        Put(w);
        return;
      }
      case MoveKind::Thread: {
        SpindleFor(m);
        const std::size_t out = TapOut(i);
        if (out == 0) {
          Put("G33" + Axes(m) + words_.Word('K', WordClass::Lead, m.feed));
          return;
        }
        // G33.1 reverses the spindle at the bottom and comes back on its own.
        Put("G33.1" + words_.Axis('Z', m.end.z) + words_.Word('K', WordClass::Lead, m.feed));
        writtenUpTo_ = out + 1;
        if (out > i + 1) notes_.push_back({m.line, 0, "dwell at the bottom of the tap left out: G33.1 reverses at once"});
        z_ = words_.Axis('Z', src_.path.moves[out].end.z);
        return;
      }
    }
  }

  // The axes that change; both on the first move, where LinuxCNC's position is its own.
  std::string Axes(const Move& m) {
    const std::string x = words_.Axis('X', m.end.x), z = words_.Axis('Z', m.end.z);
    std::string w = (x != x_ ? x : "") + (z != z_ ? z : "");
    if (w.empty()) w = z;
    x_ = x;
    z_ = z;
    return w;
  }

  // Speed, surface speed and direction as the move needs them, before it.
  void SpindleFor(const Move& m) {
    if (m.spindle == Spindle::Stopped) {
      if (spindle_ != Spindle::Stopped) Put("M5");
      spindle_ = Spindle::Stopped;
      return;
    }
    std::string w;
    if (m.surfaceSpeed > 0) {
      // LinuxCNC's clamp of G96 is D; its G50 is no clamp at all.
      if (!(surface_ == m.surfaceSpeed && limit_ == m.rpmLimit)) {
        w += " G96" + words_.Word('D', WordClass::Decimal, m.rpmLimit) + words_.Word('S', WordClass::Decimal, m.surfaceSpeed);
      }
      surface_ = m.surfaceSpeed;
      limit_ = m.rpmLimit;
    } else {
      if (surface_ != 0 || m.rpm != rpm_) {
        w += " G97" + words_.Word('S', IsWhole(m.rpm) ? WordClass::Whole : WordClass::Decimal, m.rpm);
      }
      surface_ = 0;
      rpm_ = m.rpm;
    }
    if (m.spindle != spindle_) w += SpindleCode(m.spindle);
    spindle_ = m.spindle;
    if (!w.empty()) Put(w.substr(1));
  }

  const Source& src_;
  Words words_;
  bool metric_;
  std::string out_;
  std::vector<Finding> notes_;
  std::string compensation_;  // "G42 " for the block's first move
  std::size_t writtenUpTo_ = 0;        // moves before it were written by a G33.1 already
  std::string x_, z_;                  // the axis words in force, empty before the first move
  Spindle spindle_ = Spindle::Stopped;
  double rpm_ = -1, surface_ = 0, limit_ = 0, feed_ = -1;
  bool perMinute_ = false;
};

}  // namespace

const std::vector<DialectName>& Dialects() {
  static const std::vector<DialectName> dialects = {
      {Dialect::AsWritten, "as-written", "As written"},
      {Dialect::MovesOnly, "moves-only", "Moves only"},
      {Dialect::LinuxCnc, "linuxcnc", "LinuxCNC"},
  };
  return dialects;
}

bool DialectFromId(std::string_view id, Dialect& dialect) {
  for (const DialectName& d : Dialects()) {
    if (id == d.id) {
      dialect = d.dialect;
      return true;
    }
  }
  return false;
}

const char* UnitSystemName(bool metric) { return metric ? "mm" : "inch"; }

int LinuxCncOrientation(int orientation) {
  // LinuxCNC numbers the tips as seen with +X down: the corners and the X sides swap.
  static constexpr int kSwapped[] = {0, 4, 3, 2, 1, 5, 8, 7, 6, 9};
  return orientation >= 0 && orientation <= 9 ? kSwapped[orientation] : 0;
}

std::string LinuxCncToolTable(const ReadResult& read, const ToolpathSettings& settings) {
  CompensationEvents events;
  for (const Block& b : read.blocks) events.Read(b);
  std::string table;
  std::vector<int> listed;
  for (const CompensationEvent& e : events.Events()) {
    if (e.number <= 0 || std::find(listed.begin(), listed.end(), e.number) != listed.end()) continue;
    listed.push_back(e.number);
    const std::string n = std::to_string(e.number);
    table += "T" + n + " P" + n + " X0 Z0";
    const Tool* tool = settings.tools ? settings.tools->Find(e.number, e.offset) : nullptr;
    if (tool && tool->orientation > 0) {
      // The table is in the machine's units, not the program's: inches, as rs274 runs alone.
      const double radius = tool->InUnits(settings.tools->metric, false).radius;
      table += " D" + PlainDecimal(2 * radius, 6) + " Q" + std::to_string(LinuxCncOrientation(tool->orientation));
    }
    table += " ;" + (tool ? tool->Word() + " " + tool->name : std::string("not in the tool library")) + "\n";
  }
  return table;
}

ExportResult ExportProgram(std::string_view text, Dialect dialect, const ToolpathSettings& settings) {
  ExportResult result;
  if (dialect == Dialect::AsWritten) {
    result.text = std::string(text);
    return result;
  }
  const Source src(text, settings);
  for (int line : src.read.unreadLines) {
    result.dropped.push_back({line, 0, std::string(src.lines[static_cast<std::size_t>(line) - 1])});
  }
  std::string refused;
  if (dialect == Dialect::MovesOnly) {
    MovesOnlyWriter writer(src, NewLineOf(text), settings.metric);
    result.text = writer.Write(settings.metric);
    refused = writer.Refused();
  } else {
    LinuxCncWriter writer(src, settings.metric);
    result.text = writer.Write();
    result.toolTable = LinuxCncToolTable(src.read, settings);
    refused = writer.Refused();
    result.findings = std::move(writer.Notes());
  }
  for (const auto* list : {&src.path.diagnostics, &src.path.warnings}) {
    result.findings.insert(result.findings.end(), list->begin(), list->end());
  }
  std::stable_sort(result.findings.begin(), result.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  if (!refused.empty()) {
    result.text.clear();
    result.findings.push_back({0, 0, refused + " is not a plain number: nothing exported"});
  }
  return result;
}

}  // namespace tbx::toolpath
