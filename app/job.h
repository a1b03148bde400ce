#pragma once
// The job: the program as a list of steps. An operation step keeps the values its tab and the
// shared controls held at its OK and the text its generator wrote; a text step keeps text typed
// by hand. The program box holds the steps' texts in order, and rebuilding regenerates every
// operation step from its values.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/operation.h"
#include "app/tab_reader.h"
#include "program/program_text.h"
#include "toolpath/simulation.h"

namespace tbx {

struct App;

// A control's value as a step keeps it: the text of a box or of a list's chosen item, the
// state of a check box, toggle or option button.
struct FieldValue {
  ControlId id = 0;
  std::string text;
  bool checked = false;
  bool operator==(const FieldValue&) const = default;
};


struct JobStep {
  const OperationDescriptor* op = nullptr;  // null: a text step
  std::vector<FieldValue> values;  // the tab's fields, then the shared controls
  std::string text;                // its part of the program
  bool edited = false;             // an operation step typed over: its text goes in verbatim
  int blocks = 0;                  // numbered blocks the generator wrote
  // Numbering goes on from at least this after the step: a program opened from a file sets
  // it (10 after its highest N word); typing never moves it.
  std::int64_t next = 0;
  bool IsText() const { return op == nullptr; }
  bool Verbatim() const { return op == nullptr || edited; }
  bool operator==(const JobStep&) const = default;
};

// What an Undo took back, for Redo to bring back: the box, the numbering and the steps.
struct Undone {
  std::string box;
  std::int64_t blockNumber = 0;
  int rapidMode = 0;
  std::vector<JobStep> steps;
};

struct Job {
  std::vector<JobStep> steps;
  std::uint64_t revision = 0;  // of the program box when it last held the steps' texts
  // The step being edited (from 0; -1: none), and the values its tab and the shared controls
  // held before the edit began, given back when it ends.
  int editing = -1;
  std::vector<FieldValue> before;
  // Beside each undo entry: the steps to give back with it, where a step command made it;
  // empty for an OK, whose step the box's own undo takes back.
  std::vector<std::optional<std::vector<JobStep>>> undo;
  // What Undo took back, newest last; any new change empties it.
  std::vector<Undone> redo;
  // The bar it is cut from, as the Stock dialog or a script set it; not known: StockInEffect's
  // default. It writes no block, so Undo and Redo, which take back the program, leave it; the
  // job file keeps it and a change to it is a change to save.
  toolpath::Stock stock;
};

// How far behind the deepest Z of the job the jaws stand when the stock is not set: room for
// a parting blade and its clearance.
inline constexpr double kChuckBehindInch = 0.5;
inline constexpr double kChuckBehindMm = 12;
// The stock the drawing and the checks use: the job's own, or when it is not set one from the
// first Face step's Stock Dia and Z Start or the first outside Turn step's Start Dia and Z
// Start, its chuck kChuckBehind* behind `deepestZ` (the toolpath's) or the front face, which
// ever is deeper. None when neither step is in the job.
toolpath::Stock StockInEffect(const Job& job, double deepestZ);
// Why the stock cannot be cut from ("the bore must be smaller than the outer diameter"); empty
// when it can. A stock not known is fine: it is the default.
std::string StockProblem(const toolpath::Stock& stock);

// The controls besides a tab's own that a generator reads or that set what it reads: tool,
// offset, tool material, coolant, SPM, material, Metric and the tool-change position.
std::vector<ControlId> SharedControls();

// Whether a step keeps a field's value: boxes, lists, check boxes, toggles and option groups.
bool Kept(const Field& field);
// The fields a step of `op` keeps, in order: the tab's, then the shared controls' (each with the
// operation it belongs to).
void EachKeptField(const Operations& ops, const OperationDescriptor& op,
                   const std::function<void(const OperationDescriptor&, const Field&)>& visit);
// The values of a tab's fields and the shared controls as the form holds them now.
std::vector<FieldValue> ValuesOf(const App& app, const OperationDescriptor& op);

// The value of control `id` among `values`, or null.
const FieldValue* FindValue(const std::vector<FieldValue>& values, ControlId id);

// A step's values as a generator's source.
class StepSource : public FieldSource {
 public:
  explicit StepSource(const std::vector<FieldValue>& values) : values_(values) {}
  std::string Text(ControlId id) const override;
  bool Checked(ControlId id) const override;

 private:
  const FieldValue* Find(ControlId id) const;
  const std::vector<FieldValue>& values_;
};

// A text step holding `text`, numbering going on from at least `next` after it.
JobStep TextStep(std::string text, std::int64_t next = 0);

// The program the steps make: their texts in order.
std::string JobText(const Job& job);
// Block number and RapidMode as they stand after the first `count` steps, from a new program.
ProgramState StateAfter(const Job& job, std::size_t count);

// The lines (from 1) of each step's text in the program; an operation's leading line end, which
// only parts it from text typed before it without one, is not counted as its line.
struct StepLines {
  int first = 1, last = 1;
};
std::vector<StepLines> LinesOfSteps(const Job& job);
// The text of an operation step's Comment box; none for a step whose tab has none.
std::optional<std::string> StepComment(const JobStep& step);

// Puts `step` in at offset `at` of the job's text, splitting the step that holds `at`.
// Returns the index it took.
std::size_t InsertStep(Job& job, std::size_t at, JobStep step);

// Takes the box's text into the job: text typed between steps, before or after them, or in a
// text step is text; a change inside one operation step keeps the step, edited by hand.
// Nothing typed is lost: the steps' texts afterwards make `box` exactly.
void ReconcileJob(Job& job, std::string_view box);

// The program rebuilt from the steps, or the first refusal and the step (from 0) it came from.
struct Rebuilt {
  std::string text;
  ProgramState state;
  Refusal refusal;
  std::size_t step = 0;
};
// Regenerates every operation step not edited by hand, in order, with block numbers and
// RapidMode carried from step to step; text and edited steps go in verbatim. The steps take
// their new texts only when nothing was refused. The generators find the tools of their T words
// in `tools`. With `from`, only step `from` changed since the texts were made: the steps before
// it keep theirs, and so do those after it from the first that finds the numbering and
// RapidMode it found before.
Rebuilt RebuildJob(const Operations& ops, Job& job, const ToolLibrary* tools = nullptr, std::size_t from = 0);

// The job follows what was typed into the program box since it last held the steps' texts.
// Typing moves no block number: the next OK numbers on as before.
void SyncJob(App& app);
// The program box set to the rebuilt job. A refusal is shown ("JobStep N: ...") and nothing
// changes. Returns whether it was rebuilt.
bool RebuildProgram(App& app);

// Moving, deleting and duplicating steps (from 0, in range): the job changed and the program
// rebuilt. A rebuild refused leaves both as they were. Return whether done.
bool MoveStep(App& app, std::size_t from, std::size_t to);
bool DeleteStep(App& app, std::size_t index);
bool DuplicateStep(App& app, std::size_t index);

inline constexpr std::string_view kEditTitle = "Edit Step";
// Opens operation step `index` for editing: its tab shown holding every value it was made
// with, the shared controls too. A step edited by hand is opened only when the user agrees to
// replace the edits. False when it is a text step or the user declined.
bool EditStep(App& app, std::size_t index);
// OK of the tab being edited: the step takes the tab's values and the program is rebuilt; the
// tab and the shared controls then hold what they held before the edit. A refusal changes
// nothing and the edit goes on.
void UpdateStep(App& app);
// Ends the edit leaving the step as it was.
void CancelEdit(App& app);

}  // namespace tbx
