#pragma once
// Program text to blocks of words. Reads what a lathe control reads: CR LF, LF or CR line
// ends, an optional N word, words of a letter and a number in either letter case with or
// without blanks, "( ... )" comments, "%" and "O1234" lines. A block it cannot read is
// skipped with a diagnostic naming its line and column; it never guesses.
#include <string>
#include <string_view>
#include <vector>

#include "toolpath/toolpath.h"

namespace tbx::toolpath {

struct Word {
  char letter = 0;        // upper case
  double value = 0;
  bool hasPoint = false;  // "Q30" and "Q.003" differ on a control: see Increments()
  int wholeDigits = 0;    // digits before the point ("T0101" has 4)
  int column = 0;         // 1-based column of the letter
};

struct Block {
  int line = 0;  // 1-based line of the program text
  std::vector<Word> words;
};

// The reader keeps this many diagnostics and counts the rest: a file of garbage costs a count,
// not a message per line.
inline constexpr std::size_t kMaxDiagnostics = 1000;

struct ReadResult {
  std::vector<Block> blocks;  // blocks with at least one word besides N
  std::vector<Finding> diagnostics;  // the first kMaxDiagnostics, then one that counts the rest
  std::vector<int> unreadLines;      // every line that could not be read, in order
  // The line of a "%" after the first block: the end of the tape, nothing after it runs; 0 when
  // there is none.
  int closingPercentLine = 0;
};

ReadResult ReadProgram(std::string_view text);

}  // namespace tbx::toolpath
