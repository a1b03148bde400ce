// Dwells and the spindle: G4, S under G96/G97, the G50 clamp.
#include "program/numbers.h"
#include "toolpath/interpreter.h"
#include "toolpath/run_time.h"

namespace tbx::toolpath {

void Interpreter::Dwell(BlockWords& w, int line) {
  double seconds = 0;
  if (const Word* p = w.Take('P')) seconds = p->value / 1000;
  else if (const Word* x = w.Take('X')) seconds = x->value;
  else if (const Word* u = w.Take('U')) seconds = u->value;
  if (seconds < 0) {
    Warn(line, "dwell of " + PlainDecimal(seconds, 4) + " s");
    seconds = 0;
  }
  DwellAt(seconds, line);
}

void Interpreter::DwellAt(double seconds, int line) {
  Move& m = Add(MoveKind::Dwell, pos_, line);
  m.seconds = seconds;
}

double Interpreter::RpmLimit() const { return rpmClamp_ > 0 ? rpmClamp_ : settings_.machine.maxRpm; }

// S is the clamp with G50, the surface speed under G96, else the rpm. G97 without an S after
// G96 keeps the spindle at the speed it turns at, as a control does.
void Interpreter::SpindleWords(BlockWords& w, int line, bool wasSurfaceSpeed, bool clamp) {
  const Word* s = w.Take('S');
  if (s && clamp) {
    rpmClamp_ = s->value;
    return;
  }
  if (s) {
    sWord_ = s->value;
  } else if (wasSurfaceSpeed && !css_) {
    sWord_ = ConstantSurfaceRpm(sWord_, pos_.x, RpmLimit(), metric_);
  }
  const double max = settings_.machine.maxRpm;
  if (s && !css_ && s->value > max) {
    Warn(line, "S" + PlainDecimal(s->value, 4) + " is above the machine's maximum of " + PlainDecimal(max, 4) + " rpm",
         s->column);
  }
}

}  // namespace tbx::toolpath
