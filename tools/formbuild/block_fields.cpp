#include "tools/formbuild/block_fields.h"

#include <cctype>

#include "runtime/components/hyperlinker.h"
#include "runtime/components/window_component.h"
#include "runtime/forms/label.h"
#include "runtime/forms/timer.h"
#include "stage/component/stored_blocks.h"

namespace formbuild {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const std::vector<const rt::UnitKindFacts*>& KnownTypes() {
  static const std::vector<const rt::UnitKindFacts*> types = {
      &rt::WindowFields().Facts(),      &rt::LabelFields().Facts(),
      &rt::HyperLinkerFields().Facts(), &rt::TimerFields().Facts(),
      &stage::StageFields().Facts(),    &stage::TemplateFields().Facts(),
  };
  return types;
}

const rt::UnitKindFacts* FindType(std::string_view name) {
  for (const rt::UnitKindFacts* t : KnownTypes())
    if (SameName(t->englishName, name)) return t;
  return nullptr;
}

int32_t CommonEventIndex(std::string_view name, bool& found) {
  static const std::pair<const char*, int32_t> common[] = {
      {"LeftButtonDown", rt::kEvLeftButtonDown}, {"LeftButtonUp", rt::kEvLeftButtonUp},
      {"DoubleClick", rt::kEvDoubleClick},       {"RightButtonDown", rt::kEvRightButtonDown},
      {"RightButtonUp", rt::kEvRightButtonUp},   {"MouseMove", rt::kEvMouseMove},
      {"GotFocus", rt::kEvGotFocus},             {"LostFocus", rt::kEvLostFocus},
      {"KeyDown", rt::kEvKeyDown},               {"KeyUp", rt::kEvKeyUp},
      {"Character", rt::kEvCharacter},           {"Wheel", rt::kEvWheel}};
  for (const auto& [n, index] : common) {
    if (SameName(n, name)) {
      found = true;
      return index;
    }
  }
  found = false;
  return 0;
}

}  // namespace formbuild
