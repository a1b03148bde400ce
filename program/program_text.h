#pragma once
// The text of the operation being generated, block numbering and the blocks that open and
// close every operation.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tbx {

struct App;

struct ProgramState {
  std::string programText;
  std::string newLine = "\r\n";
  // Wider than 16 bits so that numbering never wraps to negative or repeated numbers.
  std::int64_t blockNumber = 10;
  int rapidMode = 0;
};

// The most blocks one operation may write (tool change and return included).
inline constexpr int kMaxOperationBlocks = 9999;
inline constexpr const char* kTooManyBlocks = "The operation would write more than 9999 blocks";

void AddBlockNumber(App& app);
void ToolChangeBlock(App& app);
void ReturnBlock(App& app);
// Copy button: the output box as it stands, user edits included, to the clipboard.
void CopyProgram(App& app);

// The own blocks of one operation, gathered and checked before anything is written so that a
// refused operation leaves no trace (no text, no undo entry, the block counter unchanged).
class Operation {
 public:
  // rapidMode: RapidMode as the operation finds it, for generators that apply the rapid rule.
  explicit Operation(int rapidMode) : rapidMode_(rapidMode) {}

  // " X.475": a word of the letter and FormatValue(value, places). A value that does not
  // print as a plain number refuses the operation.
  std::string Word(char letter, double value, int places);
  // " S1996": a whole-number word, FormatValue(value, 0) without its point.
  std::string WholeWord(char letter, double value);
  // " G0" under the rapid rule: only while RapidMode is 0, which it then sets to 1.
  std::string Rapid();

  // One block's words, each with its leading blank; the number and line end come on writing.
  void Block(std::string words);
  // "( text )" block, written only when the text is not empty.
  void Comment(std::string_view text);
  // Refuses the operation with the message shown to the user (the first reason is kept).
  void Refuse(std::string message);

  int& RapidMode() { return rapidMode_; }
  int RapidMode() const { return rapidMode_; }
  const std::vector<std::string>& Blocks() const { return blocks_; }
  const std::string& Refusal() const { return refusal_; }

 private:
  int rapidMode_;
  std::vector<std::string> blocks_;
  std::string refusal_;
};

// The operation protocol: tool change, the operation's blocks, RapidMode as the operation
// left it, return, and the output box updated. A refused operation shows its reason in a
// "TBX Error" box instead and writes nothing. Returns whether it was written.
bool WriteOperation(App& app, const Operation& op);

}  // namespace tbx
