// The game form's window and component ids, and the component type codes they carry.
// Game rules name the components through game/components.h; these raw ids are for the
// layer under it, the state dump and tests.
#pragma once
#include <cstdint>

namespace game::form {

inline constexpr uint32_t GameForm = 0x52010001;

inline constexpr uint32_t HomeLink = 0x160105e4;
inline constexpr uint32_t HelpLabel = 0x160105e2;
inline constexpr uint32_t UseItemTimer = 0x160104e2;
inline constexpr uint32_t PickUpTimer = 0x16010411;
inline constexpr uint32_t ItemTimer = 0x160103af;
inline constexpr uint32_t HeroFlashTimer = 0x16010334;
inline constexpr uint32_t CollisionTimer = 0x1601031f;
inline constexpr uint32_t MonsterTimer = 0x1601027a;
inline constexpr uint32_t IdleTimer = 0x160101b0;
inline constexpr uint32_t JumpTimer = 0x1601003f;
inline constexpr uint32_t BlockTemplate = 0x1601001f;
inline constexpr uint32_t SpriteTemplate = 0x16010003;
inline constexpr uint32_t ScratchStage = 0x1601020b;
inline constexpr uint32_t MainStage = 0x16010002;

inline constexpr uint32_t kTypeWindow = 0x10001;
inline constexpr uint32_t kTypeLabel = 0x1000A;
inline constexpr uint32_t kTypeHyperLinker = 0x1001D;
inline constexpr uint32_t kTypeTimer = 0x10020;
inline constexpr uint32_t kTypeCartoonBox = 0x20008;
inline constexpr uint32_t kTypeCartoonObject = 0x20009;

}  // namespace game::form
