// TOLVARAN_REPORT_LATENCY=1: the real window's timing, printed on stderr at exit. Two
// figures, each as p50 and p99: the gap between one present and the next, and the
// time from a key reaching the host (a key event, or a scripted key's due time) to the
// first present after the game has reacted to it, for every key and for presses alone
// (a release often shows nothing new: the hero just stops). The game reacts to held keys on its
// clocks, so "reacted" means the key message was dispatched and a timer tick was
// dispatched after it; the present that follows is the first that can show the key.
#pragma once
#include <cstdint>

namespace platform::detail {

// True when the switch is set (read once).
bool LatencyProbeOn();
// A key went down or up at the host `agoMs` milliseconds before now.
void ProbeKeyArrived(bool down, uint32_t agoMs = 0);
// The queue dispatched a message (key messages and WM_TIMER are the ones that count).
void ProbeDispatched(uint32_t message);
// A frame went to the screen.
void ProbePresented();

}  // namespace platform::detail
