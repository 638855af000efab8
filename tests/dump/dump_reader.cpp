#include "dump_reader.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace dump {

// Every field must be there: a dump that lost one fails the read, not a later compare.
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(StageObject, id, tag, text, x, y, width, height, layer, alpha,
                                   visible, flip, zoomX, zoomY, tint, tintDepth, frame,
                                   frameCount, collisionType, playing)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Monster, x, y, direction, spriteId, kind, pictureFolder, state,
                                   hitCooldown, hp, maxHp, barBackId, barFillId, attackEffectId,
                                   stepCounter)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Platform, left, top, right, bottom, spriteId, level)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(InventorySlot, slotSpriteId, numberLabelId, iconSpriteId,
                                   countLabelId, kind, count, value, description, name, inUse)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Item, name, kind, value, description, x, y, fade, pickState,
                                   glowPhase, spriteId)

std::optional<Dump> Dump::Parse(std::string_view text) {
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  return Dump(std::move(j));
}

std::optional<Dump> Dump::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream s;
  s << in.rdbuf();
  return Parse(s.str());
}

int Dump::Time() const { return json_.at("time").get<int>(); }

int Dump::Slot(std::string_view name) const {
  const std::string key(name);
  for (const char* array : {"HeroRefs", "HeroStats", "HeroFlags", "JumpState", "ScreenRefs"}) {
    const nlohmann::ordered_json& slots = json_.at(array);
    if (slots.contains(key)) return slots.at(key).get<int>();
  }
  throw std::out_of_range("no slot named " + key + " in the dump");
}

int Dump::Airborne() const { return json_.at("Airborne").get<int>(); }

std::vector<StageObject> Dump::Objects(std::string_view stage) const {
  return json_.at("stages").at(std::string(stage)).get<std::vector<StageObject>>();
}

std::optional<StageObject> Dump::FindObject(int id) const {
  for (const StageObject& o : Objects())
    if (o.id == id) return o;
  return std::nullopt;
}

StageObject Dump::ObjectById(int id) const {
  if (auto o = FindObject(id)) return *o;
  throw std::out_of_range("no object " + std::to_string(id) + " on the main stage");
}

StageObject Dump::Object(std::string_view slotName) const { return ObjectById(Slot(slotName)); }

std::vector<StageObject> Dump::Tagged(std::string_view tag) const {
  std::vector<StageObject> out;
  for (const StageObject& o : Objects())
    if (o.tag == tag) out.push_back(o);
  return out;
}

std::vector<StageObject> Dump::Showing(std::string_view text) const {
  std::vector<StageObject> out;
  for (const StageObject& o : Objects())
    if (o.text == text) out.push_back(o);
  return out;
}

std::vector<Monster> Dump::Monsters() const { return json_.at("MonsterList").get<std::vector<dump::Monster>>(); }

Monster Dump::Monster(int kind) const {
  for (const dump::Monster& m : Monsters())
    if (m.kind == kind) return m;
  throw std::out_of_range("no monster of kind " + std::to_string(kind) + " in the dump");
}

std::vector<Platform> Dump::Platforms() const {
  return json_.at("PlatformList").get<std::vector<dump::Platform>>();
}
std::vector<InventorySlot> Dump::Inventory() const {
  return json_.at("Inventory").get<std::vector<InventorySlot>>();
}
std::vector<Item> Dump::GroundItems() const { return json_.at("GroundItemList").get<std::vector<Item>>(); }
std::vector<int> Dump::DamageDigits() const { return json_.at("DamageDigitList").get<std::vector<int>>(); }

int Dump::TimerInterval(std::string_view timerName) const {
  return json_.at("timers").at(std::string(timerName)).get<int>();
}
int Dump::WatchInterval() const { return json_.at("watchedKeys").at("interval").get<int>(); }
std::vector<int> Dump::WatchedKeys() const {
  return json_.at("watchedKeys").at("keys").get<std::vector<int>>();
}
int Dump::PeakObjects() const { return json_.at("MainStagePeakObjects").get<int>(); }

}  // namespace dump
