// Basic value types of the emulated desktop: handles, rectangles, colours, messages,
// virtual-key codes. The numbers are the classic desktop ones so that the runtime and
// the stage above can be written exactly as their behaviour is described.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// A window handle. 0 names no window. Handles are never reused within a run.
using HWND = uint32_t;
// 0x00BBGGRR, as the runtime stores colours.
using COLORREF = uint32_t;

inline constexpr COLORREF Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
inline constexpr uint8_t GetR(COLORREF c) { return uint8_t(c); }
inline constexpr uint8_t GetG(COLORREF c) { return uint8_t(c >> 8); }
inline constexpr uint8_t GetB(COLORREF c) { return uint8_t(c >> 16); }

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Half-open: right and bottom are one past the last pixel.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};
Rect Intersect(const Rect& a, const Rect& b);  // empty rects come back as {0,0,0,0}
Rect Union(const Rect& a, const Rect& b);      // bounding box; an empty operand is ignored
// What is left of `from` after cutting every hole out of it, as rectangles that do not
// overlap (in bands, top to bottom); empty when the holes cover it all.
std::vector<Rect> SubtractRects(const Rect& from, std::span<const Rect> holes);

// Messages. wParam/lParam follow the classic packing where it matters:
// key messages: wParam = virtual key, lParam bit 30 = previous state, bit 31 = release;
// mouse messages: lParam = x | (y << 16) in client coordinates of the target window
// (each 16-bit, two's complement), wParam = button/modifier flags (MK_*).
enum : uint32_t {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUERYENDSESSION = 0x0011,
  WM_QUIT = 0x0012,
  WM_SHOWWINDOW = 0x0018,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_TIMER = 0x0113,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_MOUSEWHEEL = 0x020A,  // wParam high 16 bits: signed wheel delta (120 per notch)
  WM_CAPTURECHANGED = 0x0215,
  // Sent where WM_PAINT would be while painting waits for the frame to be read (headless
  // runs): a procedure that keeps state in step with its paints does that part here.
  // GetUpdateRect still tells the area; nothing may be drawn.
  WM_PAINTDEFERRED = 0x0380,
  WM_USER = 0x0400,
};

enum : uint32_t { MK_LBUTTON = 1, MK_RBUTTON = 2, MK_SHIFT = 4, MK_CONTROL = 8 };

// Virtual-key codes.
enum : int {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02,
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D,
  VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
  VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_INSERT = 0x2D, VK_DELETE = 0x2E,
  // '0'..'9' are 0x30..0x39, 'A'..'Z' are 0x41..0x5A.
  VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
  VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
  VK_F1 = 0x70, VK_F12 = 0x7B,
  VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4, VK_RMENU = 0xA5,
};

struct Message {
  HWND hwnd = 0;
  uint32_t message = WM_NULL;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  uint32_t time = 0;  // tick count when it was posted
};

inline constexpr int64_t MakeLParam(int x, int y) {
  return int64_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16));
}
inline constexpr int LParamX(int64_t l) { return int16_t(uint16_t(l)); }
inline constexpr int LParamY(int64_t l) { return int16_t(uint16_t(l >> 16)); }

}  // namespace platform
