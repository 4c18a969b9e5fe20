// The display's state notices that Windows sends a window registered for them, brought into the
// program by the d3d9 stand-in: Wine's registration is a stub that never sends one.
#pragma once

// Once, from the program's first Direct3DCreate9 (before its saver window exists): the program's
// look-ups of the registration functions get logging ones, and a thread of the stand-in sends the
// notices a test asks for.
void BringDisplayNotices();
