#include "toolpath/reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tbx::toolpath {

namespace {

// Longer numbers are no coordinate a lathe can reach; reading stops there so a huge one
// costs nothing.
constexpr std::size_t kMaxNumberChars = 32;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsLetter(char c) { return Upper(c) >= 'A' && Upper(c) <= 'Z'; }

std::string Shown(char c) {
  if (c >= 0x21 && c <= 0x7e) return std::string("'") + c + "'";
  static const char* hex = "0123456789ABCDEF";
  const auto u = static_cast<unsigned char>(c);
  return std::string("byte 0x") + hex[u >> 4] + hex[u & 15];
}

bool IsPercentLine(std::string_view line) {
  std::size_t p = 0;
  while (p < line.size() && IsBlank(line[p])) ++p;
  return p < line.size() && line[p] == '%';
}

class LineReader {
 public:
  LineReader(std::string_view line, int number) : s_(line), line_(number) {}

  // Appends the line's words; false with a diagnostic when the line cannot be read (some of its
  // words may stand appended then).
  bool Read(std::vector<Word>& words, Finding& diag, int& sequence) {
    sequence = -1;
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == '%') return ExpectOnlyComments(diag, pos_ + 1);
    if (pos_ < s_.size() && Upper(s_[pos_]) == 'O' && pos_ + 1 < s_.size() && IsDigit(s_[pos_ + 1])) {
      std::size_t p = pos_ + 1;
      while (p < s_.size() && IsDigit(s_[p])) ++p;
      return ExpectOnlyComments(diag, p);
    }
    bool first = true;
    while (true) {
      SkipBlanks();
      if (pos_ >= s_.size()) return true;
      const char c = s_[pos_];
      if (c == '(') {
        if (!SkipComment(diag)) return false;
        continue;
      }
      Word w;
      w.column = static_cast<int>(pos_) + 1;
      if (c == ',' && pos_ + 1 < s_.size() && (Upper(s_[pos_ + 1]) == 'C' || Upper(s_[pos_ + 1]) == 'R')) {
        w.letter = Upper(s_[pos_ + 1]) == 'C' ? kCornerChamfer : kCornerRadius;
        pos_ += 2;
      } else if (!IsLetter(c)) {
        return Fail(diag, pos_, "unexpected " + Shown(c));
      } else {
        w.letter = Upper(c);
        ++pos_;
      }
      SkipBlanks();
      if (!ReadNumber(w, diag)) return false;
      // The sequence number is no word of the block: only cycles that name it read it.
      if (first && w.letter == 'N') {
        if (w.value >= 0 && w.value < 1e9 && w.value == std::floor(w.value)) sequence = static_cast<int>(w.value);
      } else {
        words.push_back(w);
      }
      first = false;
    }
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
  }

  bool Fail(Finding& diag, std::size_t at, std::string text) {
    diag = {line_, static_cast<int>(at) + 1, std::move(text)};
    return false;
  }

  bool SkipComment(Finding& diag) {
    const std::size_t open = pos_;
    const std::size_t close = s_.find(')', pos_ + 1);
    if (close == std::string_view::npos) return Fail(diag, open, "comment not closed");
    pos_ = close + 1;
    return true;
  }

  bool ExpectOnlyComments(Finding& diag, std::size_t from) {
    pos_ = from;
    while (true) {
      SkipBlanks();
      if (pos_ >= s_.size()) return true;
      if (s_[pos_] != '(') return Fail(diag, pos_, "unexpected " + Shown(s_[pos_]));
      if (!SkipComment(diag)) return false;
    }
  }

  bool ReadNumber(Word& w, Finding& diag) {
    const std::size_t start = pos_;
    std::size_t p = pos_;
    const bool negative = p < s_.size() && s_[p] == '-';
    if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
    // The digits as a whole number on the way, for the short numbers programs hold.
    std::uint64_t digits = 0;
    const std::size_t digitsFrom = p;
    for (; p < s_.size() && IsDigit(s_[p]); ++p) digits = digits * 10 + static_cast<unsigned>(s_[p] - '0');
    w.wholeDigits = static_cast<std::int16_t>(std::min<std::size_t>(p - digitsFrom, kMaxNumberChars + 1));
    int fractionDigits = 0;
    if (p < s_.size() && s_[p] == '.') {
      w.hasPoint = true;
      ++p;
      const std::size_t f = p;
      for (; p < s_.size() && IsDigit(s_[p]); ++p) digits = digits * 10 + static_cast<unsigned>(s_[p] - '0');
      fractionDigits = static_cast<int>(p - f);
    }
    if (w.wholeDigits + fractionDigits == 0) {
      const std::string letter = w.letter == kCornerChamfer ? ",C" : w.letter == kCornerRadius ? ",R" : std::string(1, w.letter);
      return Fail(diag, start, "no number after " + letter);
    }
    if (p - start > kMaxNumberChars) return Fail(diag, start, "number too long");
    // With at most 15 digits both the digits and the power of ten are exact doubles, and one
    // division rounds correctly: the value from_chars gives, at a fraction of its cost.
    static constexpr double kPowers[] = {1,    1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (w.wholeDigits + fractionDigits <= 15) {
      const double value = static_cast<double>(digits) / kPowers[fractionDigits];
      w.value = negative ? -value : value;
      pos_ = p;
      return true;
    }
    std::string_view number = s_.substr(start, p - start);
    if (number.front() == '+') number.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return Fail(diag, start, "number out of range");
    w.value = value;
    pos_ = p;
    return true;
  }

  std::string_view s_;
  int line_;
  std::size_t pos_ = 0;
};

}  // namespace

std::size_t LineEnd(std::string_view text, std::size_t from) {
  // Two searches of one character each, as the library does them many bytes at a time
  // (find_first_of with a set of two searches the set per character), a window at a time, so
  // that a text without one of them is not searched to its end for every line.
  constexpr std::size_t kWindow = 256;
  const char* p = text.data() + from;
  const char* const end = text.data() + text.size();
  while (p < end) {
    const std::size_t window = std::min(kWindow, static_cast<std::size_t>(end - p));
    const char* stop = p + window;
    const void* lf = std::memchr(p, '\n', window);
    if (lf != nullptr) stop = static_cast<const char*>(lf);
    if (const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(stop - p)); cr != nullptr) {
      return static_cast<std::size_t>(static_cast<const char*>(cr) - text.data());
    }
    if (lf != nullptr) return static_cast<std::size_t>(stop - text.data());
    p = stop;
  }
  return text.size();
}

std::size_t NextLine(std::string_view text, std::size_t end) {
  if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
  return end + 1;
}

BlockReader::BlockReader(std::string_view text, ReadPoint from)
    : text_(text), start_(from.offset), line_(from.lines), sawBlock_(from.sawBlock), lineAt_(from) {}

bool BlockReader::Next(Block& block) {
  while (start_ < text_.size()) {
    lineAt_ = {start_, line_, sawBlock_};
    const std::size_t end = LineEnd(text_, start_);
    const std::string_view line = text_.substr(start_, end - start_);
    start_ = NextLine(text_, end);
    ++line_;
    Finding diag;
    words_.clear();
    int sequence = -1;
    if (!LineReader(line, line_).Read(words_, diag, sequence)) {
      unreadLines_.push_back(line_);
      if (unreadLines_.size() <= kMaxDiagnostics) diagnostics_.push_back(std::move(diag));
      continue;
    }
    if (!words_.empty()) {
      sawBlock_ = true;
      block.line = line_;
      block.sequence = sequence;
      block.words = words_;
      return true;
    }
    if (closingPercentLine_ == 0 && sawBlock_ && IsPercentLine(line)) {
      closingPercentLine_ = line_;
      closingPercentAt_ = lineAt_;
    }
  }
  return false;
}

std::vector<Finding> BlockReader::TakeDiagnostics() {
  if (unreadLines_.size() > kMaxDiagnostics) {
    diagnostics_.push_back({unreadLines_[kMaxDiagnostics], 0,
                            std::to_string(unreadLines_.size() - kMaxDiagnostics) + " more lines cannot be read"});
  }
  return std::move(diagnostics_);
}

namespace {

ReadResult ReadLines(std::string_view text, ReadPoint from, int lastLine) {
  ReadResult result;
  std::vector<std::size_t> begins;  // of each block's words
  if (from.offset == 0 && lastLine == std::numeric_limits<int>::max()) {
    // One block a line at most: the list is allocated once (a part of the text, which a cycle
    // reads again, is not counted out: it is short, and the text may be long).
    const auto lineFeeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    const std::size_t lines =
        (lineFeeds > 0 ? lineFeeds : static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'))) + 1;
    result.blocks.reserve(lines);
    begins.reserve(lines);
    // Most blocks have a few words; the list grows past this only for long lines.
    result.words.reserve(std::min<std::size_t>(lines * 4, text.size() / 2 + 1));
  }
  BlockReader reader(text, from);
  Block block;
  while (reader.Next(block) && block.line <= lastLine) {
    begins.push_back(result.words.size());
    result.words.insert(result.words.end(), block.words.begin(), block.words.end());
    result.blocks.push_back({block.line, block.sequence, {}});
  }
  // The list of words is complete: the blocks can point into it.
  for (std::size_t i = 0; i < result.blocks.size(); ++i) {
    const std::size_t end = i + 1 < begins.size() ? begins[i + 1] : result.words.size();
    result.blocks[i].words = std::span<const Word>(result.words.data() + begins[i], end - begins[i]);
  }
  result.diagnostics = reader.TakeDiagnostics();
  result.unreadLines = reader.UnreadLines();
  result.closingPercentLine = reader.ClosingPercentLine();
  return result;
}

}  // namespace

ReadResult ReadProgram(std::string_view text) { return ReadLines(text, {}, std::numeric_limits<int>::max()); }

ReadResult ReadProgram(std::string_view text, ReadPoint from, int lastLine) { return ReadLines(text, from, lastLine); }

}  // namespace tbx::toolpath
