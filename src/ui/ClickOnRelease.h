// A static control that reports a click the way a push button does: on the
// release of the left button over the control, not on the press. A press
// that is dragged off the control and released elsewhere is no click.
#pragma once

#include <windows.h>

namespace tidemark {

// Subclasses the SS_NOTIFY static control: it then sends its parent
// WM_COMMAND with STN_CLICKED only when a press on it is released over it.
// The control's GWLP_USERDATA holds its original window procedure.
void MakeClickOnRelease(HWND control);

}  // namespace tidemark
