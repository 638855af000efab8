// The shared palette. Every picture draws from these ramps (edge, shadow, mid, light),
// which keeps the hero, the monsters, the HUD and the scenery in one look. No colour
// here is pure white or pure magenta: pictures keyed by their top-left pixel may be
// keyed on white (a GIF's untouched canvas) and the scratch stage is magenta.
#pragma once
#include "tools/assetgen/canvas.h"

namespace assetgen::pal {

inline constexpr Rgba kOutline = Opaque(0x1E1826);
inline constexpr Rgba kEyeGlint = Opaque(0xF4F0E8);

inline constexpr Ramp kSkin{{Opaque(0x8A4A3A), Opaque(0xC87A5E), Opaque(0xECA882), Opaque(0xF8D2B0)}};
inline constexpr Ramp kHair{{Opaque(0x2A1A26), Opaque(0x452834), Opaque(0x66383C), Opaque(0x8E5448)}};
inline constexpr Ramp kTunic{{Opaque(0x1C2A58), Opaque(0x2C4A8A), Opaque(0x3F6EC0), Opaque(0x6C9CE6)}};
inline constexpr Ramp kScarf{{Opaque(0x5A1624), Opaque(0x9A2634), Opaque(0xD0443C), Opaque(0xF07A5A)}};
inline constexpr Ramp kLeather{{Opaque(0x3A2220), Opaque(0x5E3A2A), Opaque(0x8A5A3A), Opaque(0xB0824E)}};
inline constexpr Ramp kPants{{Opaque(0x1E2232), Opaque(0x34384E), Opaque(0x4C5270), Opaque(0x6A7290)}};
inline constexpr Ramp kSteel{{Opaque(0x3A4252), Opaque(0x7A8494), Opaque(0xB8C2CC), Opaque(0xEEF2F4)}};
inline constexpr Ramp kGold{{Opaque(0x5A3A12), Opaque(0x9A6A1C), Opaque(0xD8A030), Opaque(0xF8D870)}};

inline constexpr Ramp kOgre{{Opaque(0x243A22), Opaque(0x3E6030), Opaque(0x5E8A3E), Opaque(0x88B45A)}};
inline constexpr Ramp kBone{{Opaque(0x5E5240), Opaque(0x9A8A6A), Opaque(0xC8BA94), Opaque(0xEAE0C4)}};
inline constexpr Ramp kWood{{Opaque(0x3A2418), Opaque(0x5E3C24), Opaque(0x7E5634), Opaque(0xA27A4E)}};
inline constexpr Ramp kCloth{{Opaque(0x3A1E3A), Opaque(0x5A2E52), Opaque(0x7A4270), Opaque(0x9C5E8E)}};

inline constexpr Ramp kDemon{{Opaque(0x2A1A40), Opaque(0x4A2A6A), Opaque(0x70409A), Opaque(0x9E6AC8)}};
inline constexpr Ramp kWing{{Opaque(0x3A1420), Opaque(0x6A2030), Opaque(0x9A3040), Opaque(0xC45058)}};
inline constexpr Ramp kWisp{{Opaque(0x2A3A5A), Opaque(0x4A6A9A), Opaque(0x7AA2D0), Opaque(0xB8DCF4)}};

inline constexpr Ramp kLight{{Opaque(0x3A8AD0), Opaque(0x6AD0F8), Opaque(0xB8F0FC), Opaque(0xF0FCFC)}};
inline constexpr Ramp kFire{{Opaque(0x8A2A1A), Opaque(0xD0602A), Opaque(0xF0A040), Opaque(0xFCE8A0)}};
inline constexpr Ramp kDust{{Opaque(0x5A4430), Opaque(0x8A6A48), Opaque(0xB89A70), Opaque(0xE0CCA0)}};
inline constexpr Ramp kGreen{{Opaque(0x1A4A2A), Opaque(0x2A7A3A), Opaque(0x4AB04A), Opaque(0x9AE070)}};
inline constexpr Ramp kBlue{{Opaque(0x14285A), Opaque(0x2050A0), Opaque(0x3C84E0), Opaque(0x90C8F8)}};
inline constexpr Ramp kRed{{Opaque(0x4A1018), Opaque(0x8A1A24), Opaque(0xD03030), Opaque(0xF88070)}};
inline constexpr Ramp kStone{{Opaque(0x4A4A52), Opaque(0x74747C), Opaque(0x9C9AA0), Opaque(0xC8C4C4)}};
inline constexpr Ramp kBronze{{Opaque(0x22302C), Opaque(0x3C5A50), Opaque(0x5E8A74), Opaque(0x8CB89C)}};

// The same ramp one step darker: far-side limbs.
inline Ramp Darker(const Ramp& r) { return {{kOutline, r.c[0], r.c[1], r.c[2]}}; }

}  // namespace assetgen::pal
