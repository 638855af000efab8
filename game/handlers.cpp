// The game's event handlers as the form wires them. Closing the window ends the game;
// the play handlers arrive with the level, the hero and the monsters, and until then
// tolerate running with empty lists and zero ids by doing nothing.
#include <cstdint>
#include <optional>

#include "runtime/forms/runtime.h"
#include "tv_game_form.h"

namespace game {

using Result = std::optional<int64_t>;

// `GameForm` `CloseRequested` (also raised by Esc): the program ends here, in order.
Result EndGame(const rt::EventRecord&) { rt::EndProgram(0); }

// FIXME: the splash, the level, the hero's moves, the monsters, the items and the HUD
// fill these in; each is wired so that the form and its timers run as they will.
Result StartSplash(const rt::EventRecord&) { return std::nullopt; }
Result HeroKeyDown(const rt::EventRecord&) { return std::nullopt; }
Result HeroKeyUp(const rt::EventRecord&) { return std::nullopt; }
Result StageAnimationFinished(const rt::EventRecord&) { return std::nullopt; }
Result IgnoreCollision(const rt::EventRecord&) { return std::nullopt; }
Result IgnoreBorderHit(const rt::EventRecord&) { return std::nullopt; }
Result StageOutOfBorder(const rt::EventRecord&) { return std::nullopt; }
Result JumpStep(const rt::EventRecord&) { return std::nullopt; }
Result HeroFlashStep(const rt::EventRecord&) { return std::nullopt; }
Result ItemUseDone(const rt::EventRecord&) { return std::nullopt; }
Result PickUpStep(const rt::EventRecord&) { return std::nullopt; }
Result ItemGlowStep(const rt::EventRecord&) { return std::nullopt; }
Result ContactStep(const rt::EventRecord&) { return std::nullopt; }
Result MonsterStep(const rt::EventRecord&) { return std::nullopt; }
Result IdleStep(const rt::EventRecord&) { return std::nullopt; }

}  // namespace game
