#pragma once
// The program box: operations written into it, the undo history of it, Copy.
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {
struct OperationDescriptor;
}

namespace tbx {
struct App;

// The context of the always-visible controls as the form holds them now.
OpContext ContextOf(const App& app);

// The operation protocol: tool change, the operation's blocks, RapidMode as the operation
// left it, return, appended to the program box. A refused operation shows its reason in a
// "TBX Error" box instead and writes nothing. Returns whether it was written. The job gains
// a step: an operation step with the values of the tab `made` (and the shared controls), or,
// without one, a text step.
bool WriteOperation(App& app, const Operation& op, const OperationDescriptor* made = nullptr);

// Keeps the box as it stands and the block number an operation starts from; enables Undo.
// Reads the box only when something other than the history changed it since. A new change:
// nothing is left to redo.
void SaveUndo(App& app);
// Typing in the box has paused: what was typed since the job last held the box's text becomes
// a change of its own, which Undo takes back before anything older. Nothing when nothing was
// typed.
void EndTyping(App& app);
// The box's text when the undo history knows it (nothing else changed it since the last
// operation or Undo), else null: what the box holds, without reading it.
const std::string* KnownProgram(const App& app);
// Undo button: the box, block number and steps as the newest change found them. An edit under
// way is left first. What it takes back can be redone.
void RestoreUndo(App& app);
// Redo: brings back what the last Undo took back, program and steps together, and keeps what
// it replaces for Undo. False when there is nothing to redo.
bool RedoChange(App& app);
bool CanRedo(const App& app);
// Copy button: the output box as it stands, user edits included, to the clipboard.
void CopyProgram(App& app);

}  // namespace tbx
