// Registration of the stage's two component types with the form runtime; their names,
// type codes and property tables come from their field tables (stored_blocks.cpp).
#include "platform/text.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"

namespace stage {

void RegisterStageUnitTypes() {
  rt::UnitType box = rt::UnitTypeOf(StageFields().Facts());
  box.displayName = platform::gbk("动画框");
  box.flags = rt::kUnitIsWindowComponent | rt::kUnitRaisesEvents;
  box.create = [](const rt::CreateInfo& info) -> std::unique_ptr<rt::Component> {
    return CartoonBox::Create(info);
  };
  rt::RegisterUnitType(std::move(box));

  rt::UnitType tmpl = rt::UnitTypeOf(TemplateFields().Facts());
  tmpl.displayName = platform::gbk("动画物体");
  tmpl.flags = rt::kUnitIsWindowComponent | rt::kUnitInvisibleAtRunTime;
  tmpl.create = [](const rt::CreateInfo& info) -> std::unique_ptr<rt::Component> {
    return CartoonObject::Create(info);
  };
  rt::RegisterUnitType(std::move(tmpl));
}

}  // namespace stage
