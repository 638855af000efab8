// --dump-state: the globals, both stages' objects, the timers and the watched keys as one
// JSON document, for scenario tests and for looking at a run. The layout is documented
// in the README; keys keep the order written here.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "game/form_ids.h"
#include "game/state.h"
#include "platform/host.h"
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "stage/component/cartoon_box.h"
#include "stage/pictures/sprite.h"

namespace game {
namespace {

using Json = nlohmann::ordered_json;

std::string dumpPath;

std::string Utf8(const char* gbk) { return platform::GbkToUtf8(rt::TextView(gbk)); }

// A fixed array as an object keyed by slot name, in slot order (null past its end).
Json Slots(void* block, std::initializer_list<const char*> names) {
  Json out = Json::object();
  int64_t slot = 1;
  for (const char* name : names) {
    out[name] = slot <= Count(block) ? Json(rt::At<int32_t>(block, slot)) : Json(nullptr);
    ++slot;
  }
  return out;
}

// A record list as an array of objects; `fields` writes one record's fields in order.
template <class R, class Fields>
Json Records(void* list, Fields fields) {
  Json out = Json::array();
  for (int64_t i = 1; i <= Count(list); ++i) {
    const R* record = rt::At<R*>(list, i);
    out.push_back(record ? fields(*record) : Json(nullptr));
  }
  return out;
}

Json MonsterFields(const Monster& m) {
  return {{"x", m.x}, {"y", m.y}, {"direction", m.direction}, {"spriteId", m.spriteId},
          {"kind", m.kind}, {"pictureFolder", Utf8(m.pictureFolder)}, {"state", m.state},
          {"hitCooldown", m.hitCooldown}, {"hp", m.hp}, {"maxHp", m.maxHp},
          {"barBackId", m.barBackId}, {"barFillId", m.barFillId},
          {"attackEffectId", m.attackEffectId}, {"stepCounter", m.stepCounter}};
}

Json PlatformFields(const Platform& p) {
  return {{"left", p.left}, {"top", p.top}, {"right", p.right}, {"bottom", p.bottom},
          {"spriteId", p.spriteId}, {"level", p.level}};
}

Json InventoryFields(const InventorySlot& s) {
  return {{"slotSpriteId", s.slotSpriteId}, {"numberLabelId", s.numberLabelId},
          {"iconSpriteId", s.iconSpriteId}, {"countLabelId", s.countLabelId},
          {"kind", s.kind}, {"count", s.count}, {"value", s.value},
          {"description", Utf8(s.description)}, {"name", Utf8(s.name)}, {"inUse", s.inUse}};
}

Json ItemFields(const Item& i) {
  return {{"name", Utf8(i.name)}, {"kind", i.kind}, {"value", i.value},
          {"description", Utf8(i.description)}, {"x", i.x}, {"y", i.y}, {"fade", i.fade},
          {"pickState", i.pickState}, {"glowPhase", i.glowPhase}, {"spriteId", i.spriteId}};
}

Json DamageDigits() {
  Json out = Json::array();
  for (int64_t i = 1; i <= Count(state.DamageDigitList); ++i)
    out.push_back(rt::At<int32_t>(state.DamageDigitList, i));
  return out;
}

// One stage object as a script sees it through the stage's getters.
Json StageObjectFields(const stage::StageObject& o) {
  const platform::Rect r = o.Bounds();
  const int frames = o.HasPicture() ? o.rendered->FrameCount() : 0;
  return {{"id", o.id}, {"tag", Utf8(o.tag.c_str())}, {"text", Utf8(o.text.c_str())},
          {"x", o.IntX()}, {"y", o.IntY()}, {"width", r.Width()}, {"height", r.Height()},
          {"layer", o.layer}, {"alpha", o.alpha}, {"visible", o.visible}, {"flip", o.turnType},
          {"zoomX", o.zoomX}, {"zoomY", o.zoomY}, {"tint", o.trendColour & 0xFFFFFFu},
          {"tintDepth", o.trendDepth}, {"frame", frames > 0 ? stage::ClampFrame(*o.rendered, o.frameIndex) : 0},
          {"frameCount", frames}, {"collisionType", o.type}, {"playing", o.playing}};
}

// A stage's objects in ascending id order (an empty list when the stage is gone).
Json StageObjects(uint32_t componentId) {
  Json out = Json::array();
  const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, componentId);
  if (!box) return out;
  std::vector<int> ids = box->ObjectIdsInOrder();
  std::sort(ids.begin(), ids.end());
  for (int id : ids) out.push_back(StageObjectFields(*box->FindObject(id)));
  return out;
}

Json Timers() {
  const std::pair<const char*, uint32_t> timers[] = {
      {"UseItemTimer", form::UseItemTimer}, {"PickUpTimer", form::PickUpTimer},
      {"ItemTimer", form::ItemTimer}, {"HeroFlashTimer", form::HeroFlashTimer},
      {"CollisionTimer", form::CollisionTimer}, {"MonsterTimer", form::MonsterTimer},
      {"IdleTimer", form::IdleTimer}, {"JumpTimer", form::JumpTimer}};
  // Without the game's stage the form is not loaded (a test of the state alone): every
  // timer counts as stopped, and the runtime, perhaps never started, is not asked.
  const bool loaded = stage::CartoonBox::Find(form::GameForm, form::MainStage) != nullptr;
  Json out = Json::object();
  for (const auto& [name, id] : timers)
    out[name] = loaded && rt::FindComponent(form::GameForm, id)
                    ? rt::ReadProperty(form::GameForm, id, rt::kTimerInterval)
                    : 0;
  return out;
}

// The game watches all its keys in one call, so they share one interval; 0 while none
// is watched.
Json WatchedKeys() {
  Json keys = Json::array();
  int interval = 0;
  if (const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, form::MainStage)) {
    for (const stage::WatchedKey& k : box->WatchedKeys()) keys.push_back(k.key);
    if (!box->WatchedKeys().empty()) interval = box->WatchedKeys().front().interval;
  }
  return {{"interval", interval}, {"keys", std::move(keys)}};
}

Json PeakObjects() {
  const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, form::MainStage);
  return box ? Json(box->PeakObjectCount()) : Json(0);
}

}  // namespace

std::string DumpStateJson() {
  Json out;
  out["time"] = platform::HostStarted() ? platform::GetTickCount() : 0u;
  out["MonsterList"] = Records<Monster>(state.MonsterList, MonsterFields);
  out["HeroRefs"] = Slots(state.HeroRefs, {"heroSprite", "heroBox", "attackSprite", "idleSprite",
                                           "bladeSprite", "portraitSprite", "hpBarBack", "hpBarFill",
                                           "heroX", "heroY"});
  out["HeroStats"] = Slots(state.HeroStats, {"boxWidth", "boxHeight", "hp", "maxHp", "heroDead",
                                             "gameOver", "cloakOn", "cloakTicks", "boxOffset"});
  out["HeroFlags"] = Slots(state.HeroFlags, {"walkFrameCount", "blockedRight", "blockedLeft",
                                             "reserved", "platformIndex", "idleTicks", "idleShown",
                                             "attacking", "hitFlag", "flashPhase"});
  out["PlatformList"] = Records<Platform>(state.PlatformList, PlatformFields);
  out["Inventory"] = Records<InventorySlot>(state.Inventory, InventoryFields);
  out["ScreenRefs"] = Slots(state.ScreenRefs, {"splashSprite", "coverSprite", "reserved"});
  out["GroundItemList"] = Records<Item>(state.GroundItemList, ItemFields);
  out["DamageDigitList"] = DamageDigits();
  out["Airborne"] = state.Airborne;
  out["JumpState"] = Slots(state.JumpState, {"riseTicks", "falling", "edgeLock", "riseLimit", "riseCut"});
  out["stages"] = {{"MainStage", StageObjects(form::MainStage)},
                   {"ScratchStage", StageObjects(form::ScratchStage)}};
  out["timers"] = Timers();
  out["watchedKeys"] = WatchedKeys();
  out["MainStagePeakObjects"] = PeakObjects();
  // Texts come from GBK through a converter that may leave odd bytes; replace rather
  // than fail over one bad character.
  return out.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

void SetDumpStatePath(std::string utf8Path) { dumpPath = std::move(utf8Path); }

void WriteStateDumpIfAsked() {
  if (dumpPath.empty()) return;
  const std::string json = DumpStateJson();
  if (FILE* f = std::fopen(dumpPath.c_str(), "wb")) {
    std::fwrite(json.data(), 1, json.size(), f);
    std::fclose(f);
  } else {
    std::fprintf(stderr, "tolvaran: cannot write %s\n", dumpPath.c_str());
  }
}

}  // namespace game
