// --dump-state: the globals as JSON, for scenario tests and for looking at a run.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "game/form_ids.h"
#include "game/state.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/timer.h"
#include "stage/cartoon_box.h"
#include "platform/text.h"

namespace game {
namespace {

std::string dumpPath;

void AppendQuoted(std::string& out, std::string_view utf8) {
  out += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  out += '"';
}

void AppendText(std::string& out, const char* gbk) {
  AppendQuoted(out, platform::GbkToUtf8(rt::TextView(gbk)));
}

// A fixed array as an object keyed by slot name, in slot order.
void AppendSlots(std::string& out, void* block, std::initializer_list<const char*> names) {
  out += '{';
  int64_t slot = 1;
  const int64_t n = Count(block);
  for (const char* name : names) {
    if (slot > 1) out += ',';
    AppendQuoted(out, name);
    out += ':';
    out += slot <= n ? std::to_string(rt::At<int32_t>(block, slot)) : std::string("null");
    ++slot;
  }
  out += '}';
}

struct Field {
  const char* name;
  std::function<void(std::string&, const void*)> write;
};
template <class R>
Field IntField(const char* name, int32_t R::*member) {
  return {name, [member](std::string& out, const void* r) {
            out += std::to_string(static_cast<const R*>(r)->*member);
          }};
}
template <class R>
Field TextField(const char* name, char* R::*member) {
  return {name, [member](std::string& out, const void* r) {
            AppendText(out, static_cast<const R*>(r)->*member);
          }};
}

template <class R>
void AppendRecords(std::string& out, void* list, const std::vector<Field>& fields) {
  out += '[';
  const int64_t n = Count(list);
  for (int64_t i = 1; i <= n; ++i) {
    if (i > 1) out += ',';
    const R* record = rt::At<R*>(list, i);
    out += '{';
    bool first = true;
    for (const Field& f : fields) {
      if (!first) out += ',';
      first = false;
      AppendQuoted(out, f.name);
      out += ':';
      if (record) f.write(out, record); else out += "null";
    }
    out += '}';
  }
  out += ']';
}

// The main stage's objects in drawing order, its watched keys and the timers' intervals:
// what the rules did to the stage, beside the globals they keep.
void AppendStageAndTimers(std::string& out) {
  const stage::CartoonBox* box = stage::CartoonBox::Find(form::GameForm, form::MainStage);
  if (!box) return;
  out += ",\"MainStage\":[";
  bool first = true;
  for (const int id : box->ObjectIdsInOrder()) {
    const stage::StageObject& o = *box->FindObject(id);
    if (!first) out += ',';
    first = false;
    const platform::Rect r = o.Bounds();
    out += "{\"id\":" + std::to_string(id) + ",\"x\":" + std::to_string(o.IntX()) +
           ",\"y\":" + std::to_string(o.IntY()) + ",\"width\":" + std::to_string(r.right - r.left) +
           ",\"height\":" + std::to_string(r.bottom - r.top) + ",\"layer\":" + std::to_string(o.layer) +
           ",\"alpha\":" + std::to_string(o.alpha) + ",\"visible\":" + (o.visible ? "true" : "false") +
           ",\"type\":" + std::to_string(o.type) + ",\"flip\":" + std::to_string(o.turnType) +
           ",\"zoom\":" + std::to_string(o.zoomX) + ",\"tint\":" + std::to_string(o.trendDepth) + ",\"tag\":";
    AppendText(out, o.tag.c_str());
    out += ",\"text\":";
    AppendText(out, o.text.c_str());
    out += '}';
  }
  out += "],\"MainStagePeakObjects\":" + std::to_string(box->PeakObjectCount());
  out += ",\"WatchedKeys\":[";
  for (size_t i = 0; i < box->WatchedKeys().size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(box->WatchedKeys()[i].key);
  }
  out += "],\"Timers\":{";
  const std::pair<const char*, uint32_t> timers[] = {
      {"UseItemTimer", form::UseItemTimer}, {"PickUpTimer", form::PickUpTimer},
      {"ItemTimer", form::ItemTimer}, {"HeroFlashTimer", form::HeroFlashTimer},
      {"CollisionTimer", form::CollisionTimer}, {"MonsterTimer", form::MonsterTimer},
      {"IdleTimer", form::IdleTimer}, {"JumpTimer", form::JumpTimer}};
  for (const auto& [name, id] : timers) {
    if (name != timers[0].first) out += ',';
    AppendQuoted(out, name);
    out += ':' + std::to_string(rt::FindComponent(form::GameForm, id)
                                    ? rt::ReadProperty(form::GameForm, id, rt::kTimerInterval)
                                    : 0);
  }
  out += '}';
}

}  // namespace

std::string DumpStateJson() {
  std::string out = "{";
  out += "\"MonsterList\":";
  AppendRecords<Monster>(out, state.MonsterList,
      {IntField("x", &Monster::x), IntField("y", &Monster::y),
       IntField("direction", &Monster::direction), IntField("spriteId", &Monster::spriteId),
       IntField("kind", &Monster::kind), TextField("pictureFolder", &Monster::pictureFolder),
       IntField("state", &Monster::state), IntField("hitCooldown", &Monster::hitCooldown),
       IntField("hp", &Monster::hp), IntField("maxHp", &Monster::maxHp),
       IntField("barBackId", &Monster::barBackId), IntField("barFillId", &Monster::barFillId),
       IntField("attackEffectId", &Monster::attackEffectId),
       IntField("stepCounter", &Monster::stepCounter)});
  out += ",\"HeroRefs\":";
  AppendSlots(out, state.HeroRefs, {"heroSprite", "heroBox", "attackSprite", "idleSprite",
                                "bladeSprite", "portraitSprite", "hpBarBack", "hpBarFill",
                                "heroX", "heroY"});
  out += ",\"HeroStats\":";
  AppendSlots(out, state.HeroStats, {"boxWidth", "boxHeight", "hp", "maxHp", "heroDead",
                                 "gameOver", "cloakOn", "cloakTicks", "boxOffset"});
  out += ",\"HeroFlags\":";
  AppendSlots(out, state.HeroFlags, {"walkFrameCount", "blockedRight", "blockedLeft", "reserved",
                                 "platformIndex", "idleTicks", "idleShown", "attacking",
                                 "hitFlag", "flashPhase"});
  out += ",\"PlatformList\":";
  AppendRecords<Platform>(out, state.PlatformList,
      {IntField("left", &Platform::left), IntField("top", &Platform::top),
       IntField("right", &Platform::right), IntField("bottom", &Platform::bottom),
       IntField("spriteId", &Platform::spriteId), IntField("level", &Platform::level)});
  out += ",\"Inventory\":";
  AppendRecords<InventorySlot>(out, state.Inventory,
      {IntField("slotSpriteId", &InventorySlot::slotSpriteId),
       IntField("numberLabelId", &InventorySlot::numberLabelId),
       IntField("iconSpriteId", &InventorySlot::iconSpriteId),
       IntField("countLabelId", &InventorySlot::countLabelId),
       IntField("kind", &InventorySlot::kind), IntField("count", &InventorySlot::count),
       IntField("value", &InventorySlot::value),
       TextField("description", &InventorySlot::description),
       TextField("name", &InventorySlot::name), IntField("inUse", &InventorySlot::inUse)});
  out += ",\"ScreenRefs\":";
  AppendSlots(out, state.ScreenRefs, {"splashSprite", "coverSprite", "reserved"});
  out += ",\"GroundItemList\":";
  AppendRecords<Item>(out, state.GroundItemList,
      {TextField("name", &Item::name), IntField("kind", &Item::kind),
       IntField("value", &Item::value), TextField("description", &Item::description),
       IntField("x", &Item::x), IntField("y", &Item::y), IntField("fade", &Item::fade),
       IntField("pickState", &Item::pickState), IntField("glowPhase", &Item::glowPhase),
       IntField("spriteId", &Item::spriteId)});
  out += ",\"DamageDigitList\":[";
  for (int64_t i = 1; i <= Count(state.DamageDigitList); ++i) {
    if (i > 1) out += ',';
    out += std::to_string(rt::At<int32_t>(state.DamageDigitList, i));
  }
  out += "],\"Airborne\":" + std::to_string(state.Airborne);
  out += ",\"JumpState\":";
  AppendSlots(out, state.JumpState, {"riseTicks", "falling", "edgeLock", "riseLimit", "riseCut"});
  AppendStageAndTimers(out);
  out += "}\n";
  return out;
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
