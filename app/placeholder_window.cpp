#include <algorithm>

#include "platform/draw.h"
#include "platform/window.h"
#include "app/entry.h"

namespace app {

namespace {

int64_t PlaceholderProc(platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
  using namespace platform;
  switch (msg) {
    case WM_PAINT: {
      PaintStruct ps;
      DC* dc = BeginPaint(h, &ps);
      if (dc) dc->FillSolid(ps.rcPaint, GetSysColor(COLOR_BTNFACE));
      EndPaint(h, &ps);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == uint64_t(VK_ESCAPE)) PostMessage(h, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(h, msg, wParam, lParam);
  }
}

}  // namespace

int RunPlaceholderWindow() {
  using namespace platform;
  const int width = 640, height = 480;
  Rect screen = GetScreenRect();
  int left = screen.left + std::max(0, (screen.Width() - width) / 2);
  int top = screen.top + std::max(0, (screen.Height() - height) / 2);
  CreateWindowParams p;
  p.title = "Tolvaran";
  p.rect = {left, top, left + width, top + height};
  p.style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER;
  p.proc = PlaceholderProc;
  HWND h = CreateWindow(p);
  if (!h) return 1;
  SetFocus(h);
  Message m;
  while (GetMessage(m)) DispatchMessage(m);
  return int(m.wParam);
}

}  // namespace app
