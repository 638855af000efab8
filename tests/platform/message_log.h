// A window procedure that records what it receives, for the queue and tree tests.
#pragma once
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/window.h"

namespace platform::testing {

struct Logged {
  HWND hwnd;
  uint32_t message;
  uint64_t wParam;
  int64_t lParam;
};

class MessageLog {
 public:
  WndProc Proc() {
    return [this](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
      entries.push_back({h, m, w, l});
      return DefWindowProc(h, m, w, l);
    };
  }
  std::vector<uint32_t> Messages(HWND h) const {
    std::vector<uint32_t> out;
    for (const Logged& e : entries)
      if (e.hwnd == h) out.push_back(e.message);
    return out;
  }
  std::vector<Logged> entries;
};

inline HWND MakeTop(WndProc proc, Rect r = {0, 0, 200, 100}, uint32_t style = WS_VISIBLE) {
  CreateWindowParams p;
  p.rect = r;
  p.style = style;
  p.proc = std::move(proc);
  p.title = "test";
  return CreateWindow(p);
}

inline HWND MakeChild(HWND parent, WndProc proc, Rect r, uint32_t style = WS_VISIBLE) {
  CreateWindowParams p;
  p.parent = parent;
  p.rect = r;
  p.style = style;
  p.proc = std::move(proc);
  return CreateWindow(p);
}

// Takes and dispatches everything that is ready now, without letting time pass.
inline std::vector<Message> Drain() {
  std::vector<Message> taken;
  Message m;
  while (PeekMessage(m, PM_REMOVE)) {
    taken.push_back(m);
    if (m.message == WM_QUIT) break;
    DispatchMessage(m);
  }
  return taken;
}

}  // namespace platform::testing
