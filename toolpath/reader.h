#pragma once
// Program text to blocks of words. Reads what a lathe control reads: CR LF, LF or CR line
// ends, an optional N word, words of a letter and a number in either letter case with or
// without blanks, "( ... )" comments, "%" and "O1234" lines. A block it cannot read is
// skipped with a diagnostic naming its line and column; it never guesses.
#include <string>
#include <string_view>
#include <vector>

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

struct Diagnostic {
  int line = 0;
  int column = 0;  // 0 when the finding is about the whole block
  std::string text;
};

struct ReadResult {
  std::vector<Block> blocks;  // blocks with at least one word besides N
  std::vector<Diagnostic> diagnostics;
};

ReadResult ReadProgram(std::string_view text);

}  // namespace tbx::toolpath
