#include "program/undo.h"

#include "app/app.h"

namespace tbx {

void PushUndo(App& app, int mode) {
  UndoHistory& u = app.undo;
  if (mode != 0) {
    app.Enable(id::kUndo);
    u.texts[u.undoCount] = app.Text(id::kOutput);
    u.blocks[u.undoCount] = app.program.blockNumber;
    u.undoCount += 1;
    if (u.undoCount == 10) {
      // Slot 10 is never written: it hands an empty entry to slot 9, beyond those in use.
      for (int i = 0; i <= 9; ++i) {
        u.texts[i] = u.texts[i + 1];
        u.blocks[i] = u.blocks[i + 1];
      }
      u.undoCount = 9;
    }
    return;
  }
  // The button is disabled with an empty history; a stray restore changes nothing.
  if (u.undoCount <= 0) return;
  u.undoCount -= 1;
  app.SetText(id::kOutput, u.texts[u.undoCount]);
  app.program.blockNumber = u.blocks[u.undoCount];
  if (u.undoCount == 0) app.Disable(id::kUndo);
}

}  // namespace tbx
