// The game's state dump (--dump-state) read back as data: typed records for the stage
// objects and the game's lists, slots by name, and objects found through the slots that
// hold their ids, so that a test names what it means (`dump.Object("heroBox").x`,
// `dump.Monster(4).hp`) and never a sprite id. Anything asked for that the dump lacks
// throws std::out_of_range, which fails the test that asked with the reason.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace dump {

struct StageObject {
  int id = 0;
  std::string tag, text;  // UTF-8
  int x = 0, y = 0, width = 0, height = 0, layer = 0, alpha = 0;
  bool visible = false;
  int flip = 0, zoomX = 0, zoomY = 0, tint = 0, tintDepth = 0, frame = 0, frameCount = 0;
  int collisionType = 0;
  bool playing = false;
};

struct Monster {
  int x = 0, y = 0, direction = 0, spriteId = 0, kind = 0;
  std::string pictureFolder;
  int state = 0, hitCooldown = 0, hp = 0, maxHp = 0, barBackId = 0, barFillId = 0;
  int attackEffectId = 0, stepCounter = 0;
};

struct Platform {
  int left = 0, top = 0, right = 0, bottom = 0, spriteId = 0, level = 0;
};

struct InventorySlot {
  int slotSpriteId = 0, numberLabelId = 0, iconSpriteId = 0, countLabelId = 0, kind = 0;
  int count = 0, value = 0;
  std::string description, name;
  int inUse = 0;
};

struct Item {
  std::string name;
  int kind = 0, value = 0;
  std::string description;
  int x = 0, y = 0, fade = 0, pickState = 0, glowPhase = 0, spriteId = 0;
};

class Dump {
 public:
  // nullopt when `text` is not one JSON object.
  static std::optional<Dump> Parse(std::string_view text);
  static std::optional<Dump> ReadFile(const std::string& path);

  int Time() const;
  // A slot of the fixed arrays (HeroRefs, HeroStats, HeroFlags, JumpState, ScreenRefs) by
  // its name; "reserved", in two of them, is not asked for.
  int Slot(std::string_view name) const;
  int Airborne() const;

  // Stage objects: "MainStage" or "ScratchStage", in ascending id order.
  std::vector<StageObject> Objects(std::string_view stage = "MainStage") const;
  // The main stage object whose id the slot `slotName` holds (heroBox, coverSprite ...).
  StageObject Object(std::string_view slotName) const;
  StageObject ObjectById(int id) const;
  std::optional<StageObject> FindObject(int id) const;
  // Main stage objects with this tag or this text (UTF-8).
  std::vector<StageObject> Tagged(std::string_view tag) const;
  std::vector<StageObject> Showing(std::string_view text) const;

  std::vector<dump::Monster> Monsters() const;
  dump::Monster Monster(int kind) const;  // the first monster of that kind
  std::vector<dump::Platform> Platforms() const;
  std::vector<InventorySlot> Inventory() const;
  std::vector<Item> GroundItems() const;
  std::vector<int> DamageDigits() const;

  int TimerInterval(std::string_view timerName) const;  // 0: stopped
  int WatchInterval() const;
  std::vector<int> WatchedKeys() const;
  int PeakObjects() const;

  const nlohmann::ordered_json& Json() const { return json_; }

 private:
  explicit Dump(nlohmann::ordered_json json) : json_(std::move(json)) {}
  nlohmann::ordered_json json_;
};

}  // namespace dump
