#include "fake_runtime.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/text.h"
#include "runtime/forms/component.h"
#include "runtime/sound/sound.h"
#include "runtime/values/values.h"

namespace fake_runtime {
namespace {

class FakeComponent : public rt::Component {
 public:
  explicit FakeComponent(platform::HWND h) : hwnd_(h) {}
  platform::HWND Hwnd() const override { return hwnd_; }
  rt::PropValue ReadProperty(int) override { return {}; }
  bool WriteProperty(int, const rt::PropValue&) override { return false; }

 private:
  platform::HWND hwnd_;
};

std::map<std::pair<uint32_t, uint32_t>, std::unique_ptr<FakeComponent>> g_components;
std::map<uint32_t, rt::UnitType> g_types;

}  // namespace

int doEventsCalls = 0;
std::vector<PlayedSound> played;
bool soundStarts = true;

void AddComponent(uint32_t windowId, uint32_t componentId, platform::HWND hwnd) {
  g_components[{windowId, componentId}] = std::make_unique<FakeComponent>(hwnd);
}
void AddUnitType(uint32_t typeCode, uint32_t flags) {
  rt::UnitType t;
  t.typeCode = typeCode;
  t.flags = flags;
  g_types[typeCode] = t;
}
void Clear() {
  g_components.clear();
  g_types.clear();
  doEventsCalls = 0;
  played.clear();
  soundStarts = true;
}

}  // namespace fake_runtime

namespace rt {

Component* FindComponent(uint32_t windowId, uint32_t componentId) {
  auto it = fake_runtime::g_components.find({windowId, componentId});
  return it == fake_runtime::g_components.end() ? nullptr : it->second.get();
}
Component& GetComponent(uint32_t windowId, uint32_t componentId) {
  if (Component* c = FindComponent(windowId, componentId)) return *c;
  RuntimeErrorMessage(platform::gbk("指定窗口或窗口组件不存在或尚未载入"));
}
const UnitType* FindUnitType(uint32_t typeCode) {
  auto it = fake_runtime::g_types.find(typeCode);
  return it == fake_runtime::g_types.end() ? nullptr : &it->second;
}
void DoEvents() { ++fake_runtime::doEventsCalls; }
bool PlaySoundData(std::span<const uint8_t> data, int loop) {
  fake_runtime::played.push_back({{data.begin(), data.end()}, loop});
  return fake_runtime::soundStarts;
}

}  // namespace rt
