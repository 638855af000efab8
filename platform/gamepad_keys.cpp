#include "platform/gamepad_keys.h"

#include <vector>

#include "platform/types.h"

namespace platform::detail {

namespace {

constexpr int kAxisSource = 100;

int AxisSource(int axis, bool positive) { return kAxisSource + axis * 2 + (positive ? 1 : 0); }

}  // namespace

int VirtualKeyForAxis(int axis, bool positive) {
  switch (axis) {
    case kPadLeftX: return positive ? VK_RIGHT : VK_LEFT;
    case kPadLeftY: return positive ? VK_DOWN : VK_UP;
    case kPadTriggerLeft: return positive ? '3' : 0;
    case kPadTriggerRight: return positive ? '4' : 0;
    default: return 0;
  }
}

int VirtualKeyForButton(int button) {
  switch (button) {
    case kPadLeft: return VK_LEFT;
    case kPadRight: return VK_RIGHT;
    case kPadUp: return VK_UP;
    case kPadDown: return VK_DOWN;
    case kPadSouth: return VK_SPACE;
    case kPadWest: return 'Z';
    case kPadNorth: return 'X';
    case kPadEast: return VK_RETURN;
    case kPadStart: return VK_RETURN;
    case kPadLeftShoulder: return '1';
    case kPadRightShoulder: return '2';
    case kPadBack: return '5';
    default: return 0;
  }
}

void PadKeys::Button(int32_t pad, int button, bool down) {
  Press(pad, button, VirtualKeyForButton(button), down);
}

void PadKeys::Press(int32_t pad, Source s, int vk, bool down) {
  if (vk <= 0 || vk > 0xFF) return;
  std::set<Source>& held = held_[pad];
  if (down) {
    if (!held.insert(s).second) return;
    if (holders_[size_t(vk)]++ == 0) sink_(vk, true);
  } else {
    if (!held.erase(s)) return;
    if (--holders_[size_t(vk)] == 0) sink_(vk, false);
  }
}

void PadKeys::Axis(int32_t pad, int axis, int value) {
  for (bool positive : {false, true}) {
    const int vk = VirtualKeyForAxis(axis, positive);
    if (!vk) continue;
    const int along = positive ? value : -value;  // how far the axis leans this way
    if (along >= kAxisPress) {
      Press(pad, AxisSource(axis, positive), vk, true);
    } else if (along < kAxisDeadZone) {
      Press(pad, AxisSource(axis, positive), vk, false);
    }
  }
}

void PadKeys::Removed(int32_t pad) {
  auto it = held_.find(pad);
  if (it == held_.end()) return;
  const std::vector<Source> sources(it->second.begin(), it->second.end());
  for (Source s : sources) {
    const int vk = s >= kAxisSource
                       ? VirtualKeyForAxis((s - kAxisSource) / 2, (s - kAxisSource) % 2 != 0)
                       : VirtualKeyForButton(s);
    Press(pad, s, vk, false);
  }
  held_.erase(pad);
}

void PadKeys::Forget() {
  held_.clear();
  holders_.fill(0);
}

}  // namespace platform::detail
