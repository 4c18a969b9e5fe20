// The system timer's resolution while a saver window lives. A window timer fires on the system's
// tick, 15.6 ms unless raised, which stretches the 33 ms frame to 46.9 ms; and since Windows 10
// version 2004 another program's raised resolution no longer counts for ours.
#pragma once

namespace vizo::win32 {

// Asks for 1 ms, or the nearest the system offers (its wPeriodMin..wPeriodMax); once, however
// often it is called.
void RaiseTimerResolution();
// Gives back what was asked, once; nothing when nothing was. Called on every way out.
void RestoreTimerResolution();

}  // namespace vizo::win32
