#pragma once
// Program text to blocks of words. Reads what a lathe control reads: CR LF, LF or CR line
// ends, an optional N word, words of a letter and a number in either letter case with or
// without blanks, the corner words ",C" and ",R" (chamfer and radius), "( ... )" comments,
// "%" and "O1234" lines. A block it cannot read is skipped with a diagnostic naming its line
// and column; it never guesses.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolpath/toolpath.h"

namespace tbx::toolpath {

// The letters of the corner words: ",C" and ",R" read as these.
inline constexpr char kCornerChamfer = 'c';
inline constexpr char kCornerRadius = 'r';

struct Word {
  double value = 0;
  int column = 0;         // 1-based column of the letter (of the comma of a corner word)
  char letter = 0;        // upper case, or one of the corner letters
  bool hasPoint = false;  // "Q30" and "Q.003" differ on a control: see Increments()
  std::int16_t wholeDigits = 0;  // digits before the point ("T0101" has 4)
};

struct Block {
  int line = 0;  // 1-based line of the program text
  int sequence = -1;  // the number of its leading N word (P and Q of cycles name it), else -1
  std::span<const Word> words;  // in ReadResult::words
};

// The reader keeps this many diagnostics and counts the rest: a file of garbage costs a count,
// not a message per line.
inline constexpr std::size_t kMaxDiagnostics = 1000;

// The words of all blocks stand in one list (a long program costs no allocation per block), so
// a result moves but is not copied: the blocks point into it.
struct ReadResult {
  ReadResult() = default;
  ReadResult(ReadResult&&) = default;
  ReadResult& operator=(ReadResult&&) = default;
  ReadResult(const ReadResult&) = delete;
  ReadResult& operator=(const ReadResult&) = delete;

  std::vector<Word> words;
  std::vector<Block> blocks;  // blocks with at least one word besides N
  std::vector<Finding> diagnostics;  // the first kMaxDiagnostics, then one that counts the rest
  std::vector<int> unreadLines;      // every line that could not be read, in order
  // The line of a "%" after the first block: the end of the tape, nothing after it runs; 0 when
  // there is none.
  int closingPercentLine = 0;
};

ReadResult ReadProgram(std::string_view text);

// A place to read a text from: the start of a line, with the lines before it and whether they
// hold a block (a "%" after one closes the tape).
struct ReadPoint {
  std::size_t offset = 0;
  int lines = 0;
  bool sawBlock = false;
};

// The same a block at a time: the expander runs each block as it is read, so a long program
// is never held as blocks.
class BlockReader {
 public:
  // Reading from `from`, which must name a line start of `text` and what precedes it.
  explicit BlockReader(std::string_view text, ReadPoint from = {});
  // The next block with words, false at the end of the text; its words stay valid until the
  // next call.
  bool Next(Block& block);
  // What the lines read so far hold (whole once Next returned false), as in ReadResult.
  std::vector<Finding> TakeDiagnostics();
  const std::vector<int>& UnreadLines() const { return unreadLines_; }
  int ClosingPercentLine() const { return closingPercentLine_; }
  ReadPoint ClosingPercentAt() const { return closingPercentAt_; }
  // Where the line last read starts: that of the block Next gave, or once it gave false, that
  // of the text's last line (where reading may go on when more is added).
  ReadPoint LineAt() const { return lineAt_; }

 private:
  std::string_view text_;
  std::size_t start_ = 0;
  int line_ = 0;
  bool sawBlock_ = false;
  int closingPercentLine_ = 0;
  ReadPoint closingPercentAt_, lineAt_;
  std::vector<Word> words_;
  std::vector<Finding> diagnostics_;
  std::vector<int> unreadLines_;
};

// The blocks of the lines from `from` (see BlockReader) to line `lastLine`.
ReadResult ReadProgram(std::string_view text, ReadPoint from, int lastLine);

// Where the line that starts at `from` ends (its CR or LF, or the end of the text), and where
// the next one starts: CR LF is one line end, a lone CR or LF is one too.
std::size_t LineEnd(std::string_view text, std::size_t from);
std::size_t NextLine(std::string_view text, std::size_t end);

}  // namespace tbx::toolpath
