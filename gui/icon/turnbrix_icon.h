#pragma once
#include <QIcon>

namespace tbx {

// The program's own icon, drawn at every size a window system asks for: a stepped shaft with
// a thread, and a cutting insert against it.
QIcon TurnbrixIcon();

}  // namespace tbx
