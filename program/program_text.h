#pragma once
// The text of one operation: block numbering, the blocks that open and close every operation,
// and the operation's own blocks gathered and checked before anything is written.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tbx {

// The stable name of a field of a tab: the operation's short name, a point and the field's
// caption in lower case with every run of other characters one '_' ("thread.major_dia");
// "shared" for the always-visible controls. Option groups are named after their frame, their
// choices after it and the choice ("thread.code_type.g32_code").
using FieldKey = std::string_view;

namespace key {
inline constexpr FieldKey kXToolChange = "settings.x_axis_tool_change";
inline constexpr FieldKey kZToolChange = "settings.z_axis_tool_change";
}  // namespace key

// Why an operation cannot be written: the field to blame (empty when no one field is at
// fault) and a message template in which "{}" stands for that field's caption and "{key}" for
// the caption of another field; all else stands verbatim.
struct Refusal {
  std::string field;
  std::string text;
  bool empty() const { return text.empty(); }
};

// The message a refusal shows, its captions looked up by key.
std::string RefusalMessage(const Refusal& refusal,
                           const std::function<std::string(std::string_view key)>& captionOf);

// What the program text carries from one operation to the next.
struct ProgramState {
  std::string newLine = "\r\n";
  // Wider than 16 bits so that numbering never wraps to negative or repeated numbers.
  std::int64_t blockNumber = 10;
  int rapidMode = 0;
};

// The most blocks one operation may write (tool change and return included).
inline constexpr int kMaxOperationBlocks = 9999;
// Blocks every operation writes besides its own: the tool change and the three return blocks.
inline constexpr int kFrameBlocks = 4;
inline constexpr const char* kTooManyBlocks = "The operation would write more than 9999 blocks";

// The tool-change block and the return to the tool-change position, as the form holds them.
struct ToolChange {
  std::string tool;    // "T0101"'s T01
  std::string offset;  // and its 01
  bool coolant = false;
  std::string x, z;    // written as they stand
};

// The lines around a whole program, none of them numbered so that the operations between
// keep the numbers they have without them: "%", "O1000 (NAME)" (the O number in four
// digits), the units code and the codes the control wants first; then "M30" and "%".
struct ProgramFrame {
  int number = 1000;
  std::string name;        // empty: no comment
  std::string startCodes;  // "G18 G40 G99"
  bool metric = false;     // G21, else G20
};
std::string ProgramStartText(const ProgramFrame& frame, std::string_view newLine);
std::string ProgramEndText(std::string_view newLine);

// The classes of number words; each class prints with the decimal places of its row in the
// one table of program_text.cpp.
enum class WordClass {
  Axis,              // X Z I K R Q: positions and distances
  OtMetricDiameter,  // X of the OT G76 cycle in metric
  Feed,              // F of drilling, reaming, tapping and grooving
  OtLead,            // F of the OT G76 cycle
  Lead,              // F of the 6T cycle and of G32/G33 passes
  Whole,             // S P: whole numbers, written without a point
};

// The own blocks of one operation, gathered and checked before anything is written so that a
// refused operation leaves no trace (no text, no undo entry, the block counter unchanged).
class Operation {
 public:
  // rapidMode: RapidMode as the operation finds it: 1 while G0 is known to be in force.
  explicit Operation(int rapidMode) : rapidMode_(rapidMode) {}

  // " X.475": the letter and FormatValue(value, places of the class); whole-number words
  // without their point. A value that does not print as a plain number refuses the
  // operation.
  std::string Word(char letter, WordClass wordClass, double value);
  std::string Axis(char letter, double value) { return Word(letter, WordClass::Axis, value); }
  std::string Feed(double value) { return Word('F', WordClass::Feed, value); }
  std::string WholeWord(char letter, double value) { return Word(letter, WordClass::Whole, value); }
  // One block's words, each with its leading blank; the number and line end come on writing.
  void Block(std::string words);
  // "( text )" block, written only when the text is not empty. A parenthesis would end the
  // comment early and let the control run the rest as code, and a control character breaks
  // the block, so text holding one refuses the operation, blaming `field`.
  void Comment(FieldKey field, std::string_view text);
  // Refuses the operation, blaming `field` (the first reason is kept).
  void Refuse(FieldKey field, std::string text);

  int& RapidMode() { return rapidMode_; }
  int RapidMode() const { return rapidMode_; }
  const std::vector<std::string>& Blocks() const { return blocks_; }
  const struct Refusal& Refusal() const { return refusal_; }

 private:
  int rapidMode_;
  std::vector<std::string> blocks_;
  struct Refusal refusal_;
};

// Why the operation cannot be written with this tool change, empty when it can: the
// operation's own refusal first, then tool-change texts that are no plain numbers, then too
// many blocks.
Refusal WriteRefusal(const Operation& op, const ToolChange& toolChange);

// Appends the whole operation to `text`: tool change, the operation's blocks, the return;
// numbers the blocks from `state` and leaves RapidMode as the operation and the return left it.
void AppendOperation(std::string& text, ProgramState& state, const ToolChange& toolChange,
                     const Operation& op);

}  // namespace tbx
