// The stage through the runtime's command-call convention.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/draw.h"
#include "platform/text.h"
#include "runtime/values/values.h"
#include "stage/component/stage_commands.h"
#include "stage_fixture.h"
#include "test_pictures.h"

using namespace stage;
using namespace stagetest;
using rt::ArgAbsent;
using rt::ArgInt;

namespace {

class CommandsTest : public StageFixture {
 protected:
  void SetUp() override {
    StageFixture::SetUp();
    rt::CreateInfo info;
    info.windowId = kWindowId;
    info.componentId = kTemplateId;
    info.typeCode = kCartoonObjectType;
    TemplateSettings s;
    s.picture = ShapeGif(10, 10, 2, 2, 8, 8);
    s.collideAllowed = true;
    s.type = 5;
    info.ownBlock = {};
    tmpl_ = CartoonObject::Create(info);
    ASSERT_TRUE(tmpl_);
    rt::PropValue v;
    v.bytes = s.picture;
    tmpl_->WriteProperty(kTplPicture, v);
    rt::PropValue on;
    on.i = 1;
    tmpl_->WriteProperty(kTplCollideAllowed, on);
  }
  rt::ArgRecord Call(const char* name, std::initializer_list<rt::ArgRecord> args,
                     uint32_t type = kCartoonBoxType, uint32_t component = kStageId) {
    rt::CommandRoutine routine = FindStageCommand(name);
    EXPECT_NE(routine, nullptr) << name;
    std::vector<rt::ArgRecord> all = {rt::ArgComponent(kWindowId, component, type)};
    all.insert(all.end(), args.begin(), args.end());
    rt::ArgRecord result{};
    routine(&result, int(all.size()), all.data());
    return result;
  }
  rt::ArgRecord TemplateRef() const { return rt::ArgComponent(kWindowId, kTemplateId, kCartoonObjectType); }

  static constexpr uint32_t kTemplateId = 0x16010002;
  std::unique_ptr<CartoonObject> tmpl_;
};

}  // namespace

TEST_F(CommandsTest, EveryTableCommandIsFoundByName) {
  for (const char* name :
       {"GetPictureWidth", "GetPictureHeight", "CreateObject", "DestroyObjects", "DestroyAllObjects",
        "ObjectExists", "SetObjectText", "SetObjectPicture", "SetTrend", "SetAlpha", "GetAlpha",
        "SetLayer", "GetLayer", "SetTypeValue", "SetVisible", "SetTag", "SetPosition", "GetX",
        "GetY", "GetWidth", "GetHeight", "SetCollision", "SetAngle", "SetZoom", "GetZoom",
        "PlayAnimation", "FindOverlapping", "CaptureArea", "MonitorKeys", "NextFrame",
        "SetTurnType", "GetTurnType", "ClearArea", "DrawRectangle", "IsKeyDown"})
    EXPECT_NE(FindStageCommand(name), nullptr) << name;
  EXPECT_EQ(FindStageCommand("Explode"), nullptr);
}

TEST_F(CommandsTest, CreateFromTemplateAndQueryWithDefaults) {
  EXPECT_EQ(rt::AsInt(Call("GetPictureWidth", {}, kCartoonObjectType, kTemplateId)), 10);
  const int id = rt::AsInt(Call("CreateObject", {TemplateRef(), rt::ArgDouble(12.7), ArgInt(20)}));
  EXPECT_EQ(id, 1);
  EXPECT_TRUE(rt::AsBool(Call("ObjectExists", {ArgInt(id)})));
  EXPECT_EQ(rt::AsInt(Call("GetX", {ArgInt(id)})), 12);
  EXPECT_EQ(rt::AsInt(Call("GetWidth", {ArgInt(id)})), 10);
  EXPECT_TRUE(box().FindObject(id)->visible);  // visible defaults to true
  // Failure values of unknown ids.
  EXPECT_EQ(rt::AsInt(Call("GetZoom", {ArgInt(99)})), 1000);
  EXPECT_EQ(rt::AsInt(Call("FindOverlapping", {ArgInt(99)})), -1);
  EXPECT_EQ(rt::AsInt(Call("GetAlpha", {ArgInt(-1)})), 0);
  EXPECT_FALSE(rt::AsBool(Call("ObjectExists", {ArgInt(0)})));
  // SetZoom with the second value omitted zooms both axes.
  Call("SetZoom", {ArgInt(id), ArgInt(2000), ArgAbsent()});
  EXPECT_EQ(box().GetWidth(id), 20);
  EXPECT_EQ(box().GetHeight(id), 20);
}

TEST_F(CommandsTest, SetPositionWithoutFourthArgumentIsAPlainMove) {
  const int a = rt::AsInt(Call("CreateObject", {TemplateRef(), ArgInt(50), ArgInt(50)}));
  const int b = rt::AsInt(Call("CreateObject", {TemplateRef(), ArgInt(0), ArgInt(50)}));
  Call("SetTypeValue", {ArgInt(b), ArgInt(6)});
  Call("SetPosition", {ArgInt(b), ArgInt(50), ArgInt(50)});
  EXPECT_TRUE(EventsOf(kObjectCollided).empty());
  Call("SetPosition", {ArgInt(b), ArgInt(0), ArgInt(50)});
  Call("SetPosition", {ArgInt(b), ArgInt(50), ArgInt(50), rt::ArgBool(true)});
  ASSERT_EQ(EventsOf(kObjectCollided).size(), 1u);
  EXPECT_EQ(EventsOf(kObjectCollided)[0].args[3], a);
}

TEST_F(CommandsTest, DestroyObjectsTwiceSameIdAndCaptureAreaByteSet) {
  const int a = rt::AsInt(Call("CreateObject", {TemplateRef(), ArgInt(0), ArgInt(0)}));
  Call("DestroyObjects", {ArgInt(a), ArgInt(a)});
  EXPECT_EQ(EventsOf(kObjectDestroying).size(), 1u);
  rt::ArgRecord bmp = Call("CaptureArea", {ArgInt(-5), ArgInt(-5), ArgInt(10), ArgInt(8)});
  EXPECT_EQ(bmp.type, uint32_t(rt::kTypeBytes));
  auto bytes = rt::BytesView(rt::AsAddress(bmp));
  ASSERT_EQ(bytes.size(), 54u + 5 * 3 * 4);
  EXPECT_EQ(bytes[18], 5);
  EXPECT_EQ(bytes[22], 3);
  rt::Free(rt::AsAddress(bmp));
  rt::ArgRecord none = Call("CaptureArea", {ArgInt(500), ArgInt(0), ArgInt(10), ArgInt(8)});
  EXPECT_EQ(rt::AsAddress(none), nullptr);
}

TEST_F(CommandsTest, PlayAnimationAndTurnTypeClamp) {
  const int id = rt::AsInt(Call("CreateObject", {ArgAbsent(), ArgInt(0), ArgInt(0)}));
  Call("SetTurnType", {ArgInt(id), ArgInt(7)});
  EXPECT_EQ(rt::AsInt(Call("GetTurnType", {ArgInt(id)})), 3);
  Call("SetTurnType", {ArgInt(id)});
  EXPECT_EQ(rt::AsInt(Call("GetTurnType", {ArgInt(id)})), 0);
  Call("PlayAnimation", {ArgInt(id), ArgInt(2), rt::ArgBool(true)});
  EXPECT_TRUE(box().FindObject(id)->playing);
  EXPECT_TRUE(box().FindObject(id)->destroyWhenDone);
  Call("PlayAnimation", {ArgInt(id), ArgInt(-1)});
  EXPECT_FALSE(box().FindObject(id)->playing);
  EXPECT_EQ(box().FindObject(id)->playsLeft, 2);
}

TEST(StageRegistration, UnitTypesCarryTheirPropertyTablesAndRejectNewerBlocks) {
  RegisterStageUnitTypes();
  const rt::UnitType* box = rt::FindUnitType(kCartoonBoxType);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->englishName, "CartoonBox");
  EXPECT_EQ(box->properties.size(), 21u);
  EXPECT_EQ(box->properties[10].type, rt::kPropPicture);
  const rt::UnitType* tmpl = rt::FindUnitType(kCartoonObjectType);
  ASSERT_NE(tmpl, nullptr);
  EXPECT_EQ(tmpl->properties.size(), 32u);
  EXPECT_EQ(tmpl->properties[31].type, rt::kPropInt);
  EXPECT_TRUE(tmpl->flags & rt::kUnitInvisibleAtRunTime);
  // A template block of version 4 fails creation; version 3 succeeds.
  auto block = WriteTemplateBlock({});
  rt::CreateInfo info;
  info.ownBlock = block;
  EXPECT_NE(tmpl->create(info), nullptr);
  block[0] = 4;
  EXPECT_EQ(tmpl->create(info), nullptr);
}

TEST_F(CommandsTest, SetObjectTextWithFontRecordRendersAndStopsPlayback) {
  const int id = rt::AsInt(Call("CreateObject", {TemplateRef(), ArgInt(0), ArgInt(0)}));
  Call("PlayAnimation", {ArgInt(id), ArgInt(0)});
  rt::FontValue font;
  font.size = 12;
  font.bold = true;
  Call("SetObjectText", {ArgInt(id), rt::ArgText("A\r\nB\n"),
                         rt::ArgRecord{uint64_t(uintptr_t(&font)), kTypeFont}, ArgInt(0x0000FF)});
  const StageObject* o = box().FindObject(id);
  ASSERT_TRUE(o->HasPicture());
  EXPECT_FALSE(o->playing);
  EXPECT_EQ(o->textColour, 0x0000FFu);
  // Two lines with a 2-pixel gap: taller than twice one line's height is not possible,
  // but taller than one line plus the gap is.
  const int twoLines = box().GetHeight(id);
  Call("SetObjectText", {ArgInt(id), rt::ArgText("A")});
  EXPECT_GT(twoLines, box().GetHeight(id) + 2);
  Call("SetObjectText", {ArgInt(id), rt::ArgText("")});
  EXPECT_EQ(box().GetWidth(id), 0);
}

// A font record given to an object's text becomes the same logical font a label gets:
// height -(size x 96 / 72) rounded to the nearest pixel, weight 400 or 700, the angle
// taken into 0..3599 for both escapement and orientation.
TEST_F(CommandsTest, ObjectTextFontRecordBecomesTheSharedLogicalFont) {
  const int id = rt::AsInt(Call("CreateObject", {TemplateRef(), ArgInt(0), ArgInt(0)}));
  for (int size = 6; size <= 72; ++size) {
    for (bool bold : {false, true}) {
      for (int angle : {-900, 0, 900, 3600, 4500}) {
        SCOPED_TRACE(testing::Message() << size << " pt, bold " << bold << ", angle " << angle);
        rt::FontValue font;
        font.size = size;
        font.bold = bold;
        font.angle = angle;
        Call("SetObjectText", {ArgInt(id), rt::ArgText("A"),
                               rt::ArgRecord{uint64_t(uintptr_t(&font)), kTypeFont}, ArgInt(0)});
        const StageObject* o = box().FindObject(id);
        ASSERT_TRUE(o && o->font);
        platform::LogFont lf;
        ASSERT_TRUE(platform::LogFontFromBytes(*o->font, lf));
        EXPECT_EQ(lf.height, -int(std::lround(size * 96 / 72.0)));
        EXPECT_EQ(lf.weight, bold ? 700 : 400);
        const int expectedAngle = angle == -900 ? 2700 : angle % 3600;
        EXPECT_EQ(lf.escapement, expectedAngle);
        EXPECT_EQ(lf.orientation, expectedAngle);
        EXPECT_EQ(std::string(lf.faceName), platform::gbk("宋体"));
      }
    }
  }
}
