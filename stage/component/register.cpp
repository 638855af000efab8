// Registration of the stage's two component types with the form runtime.
#include "platform/text.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"

namespace stage {

namespace {

std::vector<rt::PropertyInfo> CommonProperties() {
  // left, top, width, height, tag, visible, disable, MousePointer.
  const int types[8] = {rt::kPropInt,  rt::kPropInt,  rt::kPropInt,  rt::kPropInt,
                        rt::kPropText, rt::kPropBool, rt::kPropBool, rt::kPropCursor};
  std::vector<rt::PropertyInfo> props;
  for (int t : types) props.push_back({t, 0xE000});
  return props;
}

void Own(std::vector<rt::PropertyInfo>& props, std::initializer_list<int> types) {
  for (int t : types) props.push_back({t, 0x8000});
}

}  // namespace

void RegisterStageUnitTypes() {
  rt::UnitType box;
  box.displayName = platform::gbk("动画框");
  box.englishName = "CartoonBox";
  box.typeCode = kCartoonBoxType;
  box.flags = rt::kUnitIsWindowComponent | rt::kUnitRaisesEvents;
  box.properties = CommonProperties();
  // border, BackColor, pic, PicDrawMode, PenStyle, DrawRop2, PenWidth, PenColor,
  // BrushStyle, BrushColor, TextColor, TextBackColor, font.
  Own(box.properties, {rt::kPropChoice, rt::kPropColour, rt::kPropPicture, rt::kPropChoice,
                       rt::kPropChoice, rt::kPropChoice, rt::kPropInt, rt::kPropColour,
                       rt::kPropChoice, rt::kPropColour, rt::kPropColour, rt::kPropColour2,
                       rt::kPropFont});
  box.create = [](const rt::CreateInfo& info) -> std::unique_ptr<rt::Component> {
    return CartoonBox::Create(info);
  };
  rt::RegisterUnitType(std::move(box));

  rt::UnitType tmpl;
  tmpl.displayName = platform::gbk("动画物体");
  tmpl.englishName = "CartoonObject";
  tmpl.typeCode = kCartoonObjectType;
  tmpl.flags = rt::kUnitIsWindowComponent | rt::kUnitInvisibleAtRunTime;
  tmpl.properties = CommonProperties();
  // text, font, TextColor, picture, AutoGetTransColor, TransparentColor, PlayGIF,
  // GIFDelay, GIFAutoDestroy, TrendColor, TrendDepth, light, alpha, zoom, layer, angle,
  // RotateFollow, TurnType, ExistTime, CreateSound, DestroySound, CollideAllowed,
  // CollidedSound, type.
  Own(tmpl.properties,
      {rt::kPropText, rt::kPropFont, rt::kPropColour, rt::kPropPicture, rt::kPropBool,
       rt::kPropColour, rt::kPropBool, rt::kPropInt, rt::kPropInt, rt::kPropColour,
       rt::kPropInt, rt::kPropInt, rt::kPropInt, rt::kPropInt, rt::kPropInt, rt::kPropInt,
       rt::kPropBool, rt::kPropChoice, rt::kPropInt, rt::kPropMusic, rt::kPropMusic,
       rt::kPropBool, rt::kPropMusic, rt::kPropInt});
  tmpl.create = [](const rt::CreateInfo& info) -> std::unique_ptr<rt::Component> {
    return CartoonObject::Create(info);
  };
  rt::RegisterUnitType(std::move(tmpl));
}

}  // namespace stage
