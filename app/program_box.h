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
// Reads the box only when something other than the history changed it since.
void SaveUndo(App& app);
// The box's text when the undo history knows it (nothing else changed it since the last
// operation or Undo), else null: what the box holds, without reading it.
const std::string* KnownProgram(const App& app);
// Undo button: the box and block number as the newest saved operation found them.
void RestoreUndo(App& app);
// Copy button: the output box as it stands, user edits included, to the clipboard.
void CopyProgram(App& app);

}  // namespace tbx
