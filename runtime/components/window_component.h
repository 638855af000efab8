// The `window` component: the form's own top-level window with its
// frame, caption buttons, start position, keys, background and music, and the close
// request.
//
// Own block, version 6: the fields of WindowFields() in order; an older version lacks
// the fields added after it.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"
#include "runtime/forms/component.h"
#include "runtime/forms/stored_fields.h"

namespace rt {

inline constexpr uint32_t kWindowTypeCode = 0x10001;

struct WindowSettings {
  int32_t version = 6;
  int32_t borderType = 2;
  int32_t unused3 = 1;
  uint32_t backColour = 0xFF000000;
  int32_t maxButton = 0, minButton = 1, controlBox = 1;
  int32_t startPosition = 1;
  int32_t movable = 1;
  int32_t musicPlayMode = 0;  // 0 loop, 1 once, other values: no music
  int32_t enterMovesFocus = 0, escCloses = 0, f1Help = 0, helpTopic = 0;
  int32_t showInTaskBar = 1, dragAnywhere = 0, unused17 = 0, alwaysOnTop = 0, unused19 = 0;
  std::string className;              // GBK
  std::vector<uint8_t> backPicture, icon, music;
  std::string caption, helpFile;      // GBK
};

// The own properties, index - 8 (24 of them).
enum WindowProperty : int {
  kWinBorder, kWinUnused3, kWinBackColour, kWinBackPicture, kWinIcon, kWinMusic,
  kWinMusicPlayMode, kWinCaption, kWinMaxButton, kWinMinButton, kWinControlBox,
  kWinStartPosition, kWinMovable, kWinEnterMovesFocus, kWinEscCloses, kWinF1Help,
  kWinHelpTopic, kWinShowInTaskBar, kWinDragAnywhere, kWinUnused17, kWinAlwaysOnTop,
  kWinUnused19, kWinClassName, kWinHelpFile, kWinPropertyCount
};
static_assert(kWinPropertyCount == 24);

// The own block's fields, and the kind's type code and events.
const FieldTable<WindowSettings>& WindowFields();

// nullopt for a version above 6.
std::optional<WindowSettings> ParseWindowBlock(std::span<const uint8_t> block);
std::vector<uint8_t> EncodeWindowBlock(const WindowSettings& s);

// The platform window style of a border type and the caption-button settings.
uint32_t WindowStyleFor(const WindowSettings& s);
// What the frame takes from the outer size on each side: left, top, right, bottom.
platform::Rect FrameInsets(const WindowSettings& s);

UnitType WindowUnitType();

}  // namespace rt
