// Objects on a live stage: list order, painting, the pool, lifetimes and animation.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/host.h"
#include "platform/process.h"
#include "platform/window.h"
#include "stage/pictures/pixels.h"
#include "stage_fixture.h"
#include "test_pictures.h"

using namespace stage;
using namespace stagetest;

using ObjectsTest = StageFixture;

TEST_F(ObjectsTest, LayersOrderDrawingAndRelayeringPutsObjectOnTop) {
  auto t = Template(SolidFramesGif(4, 4, 1, 0));
  const int a = box().CreateObject(t.get(), 0, 0);
  const int b = box().CreateObject(t.get(), 0, 0);
  box().SetLayer(a, 2);
  const int c = box().CreateObject(t.get(), 0, 0);
  EXPECT_EQ(box().ObjectIdsInOrder(), (std::vector<int>{b, c, a}));
  box().SetLayer(b, 0);  // unchanged layer: nothing moves
  EXPECT_EQ(box().ObjectIdsInOrder(), (std::vector<int>{b, c, a}));
  box().SetLayer(a, 0);  // back to layer 0: on top of that layer
  EXPECT_EQ(box().ObjectIdsInOrder(), (std::vector<int>{b, c, a}));
  box().SetLayer(b, 1);
  box().SetLayer(c, -1);
  EXPECT_EQ(box().ObjectIdsInOrder(), (std::vector<int>{c, a, b}));
  EXPECT_EQ(box().GetLayer(c), -1);
  EXPECT_EQ(box().GetLayer(999), 0);
}

TEST_F(ObjectsTest, LaterObjectOnSameLayerPaintsOnTop) {
  auto red = Template(ShapeGif(4, 4, 0, 0, 4, 4, 0xFF0000));
  auto blue = Template(ShapeGif(4, 4, 0, 0, 4, 4, 0x0000FF));
  box().CreateObject(red.get(), 10, 10);
  const int b = box().CreateObject(blue.get(), 12, 10);
  platform::Surface out;
  box().Compose({10, 10, 16, 11}, out, 0xFFFFFF);
  EXPECT_EQ(out.At(0, 0) & 0xFFFFFFu, 0xFF0000u);  // red alone
  EXPECT_EQ(out.At(3, 0) & 0xFFFFFFu, 0x0000FFu);  // blue above red
  box().SetLayer(b, -1);
  box().Compose({10, 10, 16, 11}, out, 0xFFFFFF);
  EXPECT_EQ(out.At(3, 0) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(out.At(5, 0) & 0xFFFFFFu, 0x0000FFu);
}

TEST_F(ObjectsTest, AlphaHundredIsInvisibleButStillCollides) {
  TemplateSettings s;
  s.alpha = 100;
  s.collideAllowed = true;
  s.type = 1;
  auto ghost = Template(SolidFramesGif(8, 8, 1, 0), s);
  s.alpha = 0;
  s.type = 2;
  auto mover = Template(SolidFramesGif(8, 8, 1, 0), s);
  const int g = box().CreateObject(ghost.get(), 20, 20);
  platform::Surface out;
  box().Compose({20, 20, 28, 28}, out, 0x00FF00);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(out.At(x, y) & 0xFFFFFFu, 0x00FF00u);
  const int m = box().CreateObject(mover.get(), 0, 20);
  EXPECT_EQ(box().FindOverlapping(m, 18, 20), g);
  box().SetPosition(m, 15, 20, true);
  ASSERT_EQ(EventsOf(kObjectCollided).size(), 1u);
  EXPECT_EQ(EventsOf(kObjectCollided)[0].args, (std::vector<int>{m, 0, 20, g}));
}

TEST_F(ObjectsTest, HalfTransparentPngPixelBlendsToExactBytes) {
  // RGBA (10, 100, 200) with alpha 155 gives transparency byte 100; the object's
  // alpha 20 % adds 51: o = 151 (see the blend unit test for the arithmetic).
  auto png = EncodePngRgba(1, 1, {0x9B0A64C8u});
  const int id = box().CreateObject(nullptr, 5, 5);
  box().SetObjectPicture(id, png);
  box().SetAlpha(id, 20);
  platform::Surface out;
  box().Compose({5, 5, 6, 6}, out, 0x323C46);  // COLORREF: R 0x46, G 0x3C, B 0x32
  EXPECT_EQ(out.At(0, 0) & 0xFFFFFFu, 0x2E4C6Fu);
}

TEST_F(ObjectsTest, IdenticalPicturesAreSharedByThePool) {
  auto t1 = Template(SolidFramesGif(6, 6, 2, 5));
  auto t2 = Template(SolidFramesGif(6, 6, 2, 5));  // same bytes, another template
  std::vector<int> ids;
  for (int i = 0; i < 50; ++i) ids.push_back(box().CreateObject(i % 2 ? t1.get() : t2.get(), i, 0));
  EXPECT_EQ(box().Pool().PictureCount(), 1u);
  EXPECT_EQ(box().FindObject(ids[0])->rendered, box().FindObject(ids[1])->rendered);
  // A tinted object gets its own rendered picture; tinting a second one the same way
  // shares it again.
  box().SetTrend(ids[0], 0x0000FF, 50);
  box().SetTrend(ids[1], 0x0000FF, 50);
  EXPECT_EQ(box().Pool().PictureCount(), 2u);
  EXPECT_EQ(box().FindObject(ids[0])->rendered, box().FindObject(ids[1])->rendered);
  EXPECT_NE(box().FindObject(ids[0])->rendered, box().FindObject(ids[2])->rendered);
  box().DestroyAllObjects();
  EXPECT_EQ(EventsOf(kObjectDestroying).size(), 50u);
  // The stage's picture cache keeps the tinted copy for the next time, and with it the
  // picture it was made from.
  t1.reset();
  t2.reset();
  EXPECT_EQ(box().Pool().PictureCount(), 2u);
  EXPECT_EQ(box().PictureCache().Count(), 1u);
}

TEST_F(ObjectsTest, RenderingAgainWithEarlierSettingsReusesTheSamePixels) {
  auto t = Template(SolidFramesGif(6, 6, 3, 5));
  const int id = box().CreateObject(t.get(), 0, 0);
  box().SetTrend(id, 0x0000FF, 30);
  const SpritePtr first = box().FindObject(id)->rendered;
  const Picture fresh = first->picture;
  box().SetTrend(id, 0x0000FF, 40);
  box().SetZoom(id, 2000);
  box().SetTurnType(id, 1);
  box().SetZoom(id, 1000);
  box().SetTurnType(id, 0);
  EXPECT_NE(box().FindObject(id)->rendered, first);
  box().SetTrend(id, 0x0000FF, 30);
  ASSERT_EQ(box().FindObject(id)->rendered, first);  // served from the cache
  // ... and equal to rendering it afresh.
  Picture again = box().FindObject(id)->source->picture;
  TintPicture(again, 0x0000FF, 30);
  ASSERT_EQ(again.frames.size(), fresh.frames.size());
  for (size_t f = 0; f < fresh.frames.size(); ++f)
    EXPECT_TRUE(std::equal(again.frames[f].pixels.Data(), again.frames[f].pixels.Data() + 36,
                           fresh.frames[f].pixels.Data()));
  // A picture loaded from the same bytes again is the decoded one, not a new decode; other
  // bytes of the same size are decoded for themselves.
  const std::vector<uint8_t> gifA = SolidFramesGif(5, 5, 2, 7);
  std::vector<uint8_t> gifB = SolidFramesGif(5, 5, 2, 7);
  gifB[13] ^= 0x40;  // first palette entry: another colour, same length
  box().SetObjectPicture(id, gifA);
  const SpritePtr decoded = box().FindObject(id)->source;
  box().SetObjectPicture(id, gifB);
  EXPECT_NE(box().FindObject(id)->source, decoded);
  EXPECT_NE(box().FindObject(id)->source->picture.frames[0].pixels.At(0, 0),
            decoded->picture.frames[0].pixels.At(0, 0));
  box().SetObjectPicture(id, gifA);
  EXPECT_EQ(box().FindObject(id)->source, decoded);
  EXPECT_LE(box().PictureCache().Bytes(), box().PictureCache().Budget());
}

TEST_F(ObjectsTest, ExpiryDestroysOnFirstTickWithEvent) {
  TemplateSettings s;
  s.existTime = 52;
  auto t = Template(SolidFramesGif(4, 4, 1, 0), s);
  const uint32_t created = Now();
  const int id = box().CreateObject(t.get(), 0, 0, /*visible*/ false);
  RunUntil(created + 50);
  EXPECT_TRUE(box().ObjectExists(id));
  RunUntil(created + 70);
  EXPECT_FALSE(box().ObjectExists(id));
  auto destroying = EventsOf(kObjectDestroying);
  ASSERT_EQ(destroying.size(), 1u);
  EXPECT_EQ(destroying[0].args, std::vector<int>{id});
  EXPECT_GE(destroying[0].time, created + 52);
  EXPECT_LT(destroying[0].time, created + 52 + 10);
}

TEST_F(ObjectsTest, HandlerDestroyingTheObjectInsideObjectDestroying) {
  auto t = Template(SolidFramesGif(4, 4, 1, 0));
  const int a = box().CreateObject(t.get(), 0, 0);
  const int b = box().CreateObject(t.get(), 0, 0);
  bool nested = false;
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kObjectDestroying && ev.args[0] == a && !nested) {
      nested = true;
      const int ids[] = {a};
      box().DestroyObjects(ids);
    }
    return std::nullopt;
  };
  const int ids[] = {a, a, b};
  box().DestroyObjects(ids);
  EXPECT_FALSE(box().ObjectExists(a));
  EXPECT_FALSE(box().ObjectExists(b));
  // Outer and nested event for a, one for b; the second a in the list is unknown by then.
  ASSERT_EQ(EventsOf(kObjectDestroying).size(), 3u);
  EXPECT_EQ(EventsOf(kObjectDestroying)[2].args[0], b);
  // Ids keep growing.
  EXPECT_EQ(box().CreateObject(nullptr, 0, 0), b + 1);
}

TEST_F(ObjectsTest, HandlerClosingTheStageInsideDestroyAllStopsQuietly) {
  auto t = Template(SolidFramesGif(4, 4, 1, 0));
  for (int i = 0; i < 3; ++i) box().CreateObject(t.get(), 0, 0);
  handler = [&](const rt::EventRecord&) -> std::optional<int64_t> {
    DestroyStage();
    return std::nullopt;
  };
  CartoonBox* raw = box_.get();
  raw->DestroyAllObjects();  // must return without touching the freed stage
  EXPECT_EQ(EventsOf(kObjectDestroying).size(), 1u);
  EXPECT_FALSE(box_);
}

TEST_F(ObjectsTest, FourFrameGifPlayedOnceRestsOnFrameZeroThenIsDestroyed) {
  auto t = Template(SolidFramesGif(4, 4, 4, 2));  // 20 ms per frame
  const int id = box().CreateObject(t.get(), 0, 0);
  box().PlayAnimation(id, 1, /*destroyWhenDone*/ true);
  int frameAtFinish = -1;
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kAnimationFinished) frameAtFinish = box().FindObject(id)->frameIndex;
    return std::nullopt;
  };
  std::vector<int> seen;
  const uint32_t start = Now();
  while (box().ObjectExists(id) && Now() < start + 500) {
    const int f = box().FindObject(id)->frameIndex;
    if (seen.empty() || seen.back() != f) seen.push_back(f);
    RunFor(5);
  }
  // The object is destroyed in the tick that brings it back to frame 0, so the rest
  // on frame 0 is seen from inside AnimationFinished.
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(frameAtFinish, 0);
  ASSERT_EQ(EventsOf(kAnimationFinished).size(), 1u);
  ASSERT_EQ(EventsOf(kObjectDestroying).size(), 1u);
  // AnimationFinished first, then ObjectDestroying as the very last event.
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2].slot, kAnimationFinished);
  EXPECT_EQ(events.back().slot, kObjectDestroying);
  EXPECT_FALSE(box().ObjectExists(id));
}

TEST_F(ObjectsTest, NewPictureInAnimationFinishedKeepsObjectAlive) {
  auto t = Template(SolidFramesGif(4, 4, 2, 1));
  const int id = box().CreateObject(t.get(), 0, 0);
  box().PlayAnimation(id, 1, true);
  const auto still = SolidFramesGif(3, 3, 1, 0);
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kAnimationFinished) box().SetObjectPicture(ev.args[0], still);
    return std::nullopt;
  };
  RunFor(200);
  EXPECT_TRUE(box().ObjectExists(id));
  EXPECT_EQ(box().GetWidth(id), 3);
  EXPECT_TRUE(EventsOf(kObjectDestroying).empty());
}

TEST_F(ObjectsTest, LoopDelayOnlyOnFrameZeroAndZeroDelaysPlayAt50ms) {
  auto t = Template(SolidFramesGif(4, 4, 3, 0));  // delays 0: 50 ms each
  const int id = box().CreateObject(t.get(), 0, 0);
  box().PlayAnimation(id, 0, false, 0, /*loopDelay*/ 100);
  std::vector<std::pair<uint32_t, int>> changes;
  const uint32_t start = Now();
  int last = 0;
  while (Now() < start + 700) {
    RunFor(5);
    const int f = box().FindObject(id)->frameIndex;
    if (f != last) changes.push_back({Now() - start, f});
    last = f;
  }
  // Frame 0 lasts 150 ms (50 + loop delay), frames 1 and 2 last 50 ms each; the
  // first tick after PlayAnimation starts the clock of frame 0.
  ASSERT_GE(changes.size(), 4u);
  const uint32_t t0 = changes[0].first;  // into frame 1
  EXPECT_EQ(changes[0].second, 1);
  EXPECT_GE(t0, 150u);
  EXPECT_LE(t0, 160u);
  EXPECT_EQ(changes[1].first - t0, 50u);
  EXPECT_EQ(changes[1].second, 2);
  EXPECT_EQ(changes[2].first - changes[1].first, 50u);
  EXPECT_EQ(changes[2].second, 0);
  EXPECT_EQ(changes[3].first - changes[2].first, 150u);
  EXPECT_EQ(changes[3].second, 1);
}

TEST_F(ObjectsTest, ObjectWithoutPictureExistsButHasNoSize) {
  const int id = box().CreateObject(nullptr, 7.9, -3.2);
  EXPECT_TRUE(box().ObjectExists(id));
  EXPECT_EQ(box().GetWidth(id), 0);
  EXPECT_EQ(box().GetX(id), 7);
  EXPECT_EQ(box().GetY(id), -3);
  const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  box().SetObjectPicture(id, junk);
  EXPECT_EQ(box().GetHeight(id), 0);
  EXPECT_EQ(box().GetZoom(12345), 1000);
  EXPECT_EQ(box().FindOverlapping(12345), -1);
}

TEST_F(ObjectsTest, CaptureAreaBuildsBmpFieldByField) {
  auto t = Template(ShapeGif(2, 2, 0, 0, 2, 2, 0x102030));
  box().CreateObject(t.get(), 198, 148);  // bottom-right corner of the 200 x 150 stage
  const auto bmp = box().CaptureArea(197, 147, 10, 10, 0x0000FF);  // red background
  // Only the 3 x 3 inside part comes back.
  ASSERT_EQ(bmp.size(), 54u + 3 * 3 * 4);
  auto u32 = [&](size_t at) {
    return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 |
           uint32_t(bmp[at + 3]) << 24;
  };
  auto u16 = [&](size_t at) { return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8; };
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(2), 54u + 36);  // file size
  EXPECT_EQ(u16(6), 0u);
  EXPECT_EQ(u16(8), 0u);
  EXPECT_EQ(u32(10), 54u);  // pixel offset
  EXPECT_EQ(u32(14), 40u);  // info header size
  EXPECT_EQ(u32(18), 3u);   // width
  EXPECT_EQ(u32(22), 3u);   // height, positive: bottom row first
  EXPECT_EQ(u16(26), 1u);   // planes
  EXPECT_EQ(u16(28), 32u);  // bits per pixel
  EXPECT_EQ(u32(30), 0u);   // no compression
  EXPECT_EQ(u32(34), 36u);  // image size
  for (size_t at = 38; at < 54; ++at) EXPECT_EQ(bmp[at], 0) << at;
  // Bottom row first: row 0 of the file is stage row 149: red, sprite, sprite.
  const uint8_t bottom[12] = {0, 0, 255, 0, 0x30, 0x20, 0x10, 0, 0x30, 0x20, 0x10, 0};
  EXPECT_TRUE(std::equal(bottom, bottom + 12, bmp.begin() + 54));
  // Top row (stage row 147) is all background.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(u32(54 + 24 + size_t(i) * 4), 0x00FF0000u);
  EXPECT_TRUE(box().CaptureArea(200, 0, 10, 10).empty());
  EXPECT_TRUE(box().CaptureArea(0, 0, 0, 10).empty());
}

TEST_F(ObjectsTest, DrawRectangleThenClearAreaRestoresBackground) {
  rt::PropValue v;
  v.i = 0x00FFFF;  // yellow background
  box().WriteProperty(kStBackColor, v);
  box().DrawRectangle(10, 10, 20, 20);  // black frame, white fill
  auto bmp = box().CaptureArea(10, 10, 10, 10);
  ASSERT_EQ(bmp.size(), 54u + 400);
  // File row 9 is stage row 10 (the frame), file row 5 is inside.
  const size_t frameRow = 54 + 9 * 40, inside = 54 + 5 * 40 + 5 * 4;
  EXPECT_EQ(bmp[frameRow], 0);
  EXPECT_EQ(bmp[inside], 255);
  EXPECT_EQ(bmp[inside + 2], 255);
  box().ClearArea();
  EXPECT_EQ(box().TextCursor(), (platform::Point{0, 0}));
  bmp = box().CaptureArea(10, 10, 10, 10);
  EXPECT_EQ(bmp[inside], 0);  // yellow: blue byte 0
  EXPECT_EQ(bmp[inside + 1], 255);
  box().ClearArea(5, 6);
  EXPECT_EQ(box().TextCursor(), (platform::Point{5, 6}));
}

TEST_F(ObjectsTest, MouseEventsFollowTheTopmostSolidObject) {
  auto t = Template(ShapeGif(10, 10, 2, 2, 8, 8));
  const int a = box().CreateObject(t.get(), 20, 20);
  const int b = box().CreateObject(t.get(), 24, 20, /*visible*/ false);  // hidden counts too
  auto mouse = [&](uint32_t msg, int x, int y) {
    platform::PostMouseInput(top_, msg, {x, y});
    RunFor(5);
  };
  mouse(platform::WM_MOUSEMOVE, 23, 25);  // a only (b's solid part starts at 26)
  mouse(platform::WM_MOUSEMOVE, 27, 25);  // b on top
  mouse(platform::WM_LBUTTONDOWN, 27, 25);
  mouse(platform::WM_MOUSEMOVE, 100, 100);  // over nothing, button down
  mouse(platform::WM_LBUTTONUP, 100, 100);
  std::vector<std::vector<int>> seen;
  for (const auto& e : events) {
    std::vector<int> row{e.slot};
    row.insert(row.end(), e.args.begin(), e.args.end());
    seen.push_back(row);
  }
  EXPECT_EQ(seen, (std::vector<std::vector<int>>{
                      {kObjectEnter, a, 0},
                      {kStageMouseMove, 23, 25, 0},
                      {kObjectLeave, a, 0},
                      {kObjectEnter, b, 0},
                      {kStageMouseMove, 27, 25, 0},
                      {kObjectLeftDown, b},
                      {kObjectLeave, b, b},
                      {kStageMouseMove, 100, 100, b},
                      {kObjectLeftUp, 0, b},
                  }));
}

TEST_F(ObjectsTest, CapturedBmpKeyedThenZoomedShowsItsKeyColour) {
  // Draw a white rectangle with a black frame, capture it as a BMP and use it keyed on
  // white: only the frame shows. Zooming clears the key, so the white shows too.
  box().DrawRectangle(0, 0, 6, 6);
  const auto bmp = box().CaptureArea(0, 0, 6, 6);
  box().ClearArea();
  const int id = box().CreateObject(nullptr, 50, 50);
  box().SetObjectPicture(id, bmp, 0xFFFFFF);
  ASSERT_EQ(box().GetWidth(id), 6);
  platform::Surface out;
  box().Compose({50, 50, 62, 62}, out, 0x0000FF);
  EXPECT_EQ(out.At(0, 0) & 0xFFFFFFu, 0x000000u);  // frame
  EXPECT_EQ(out.At(3, 3) & 0xFFFFFFu, 0xFF0000u);  // keyed white: background red
  box().SetZoom(id, 2000);
  EXPECT_EQ(box().GetWidth(id), 12);
  box().Compose({50, 50, 62, 62}, out, 0x0000FF);
  EXPECT_EQ(out.At(6, 6) & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(ObjectsTest, TemplateRedecodesOnWritesAndEarlierObjectsKeepTheirPicture) {
  auto t = Template(SolidFramesGif(4, 4, 1, 0));
  const int before = box().CreateObject(t.get(), 0, 0);
  rt::PropValue v;
  v.bytes = SolidFramesGif(9, 5, 1, 0);
  t->WriteProperty(kTplPicture, v);
  EXPECT_EQ(t->GetPictureWidth(), 9);
  EXPECT_EQ(t->GetPictureHeight(), 5);
  const int after = box().CreateObject(t.get(), 0, 0);
  EXPECT_EQ(box().GetWidth(before), 4);
  EXPECT_EQ(box().GetWidth(after), 9);
  rt::PropValue flip;
  flip.i = 9;  // clamped to 3
  t->WriteProperty(kTplTurnType, flip);
  EXPECT_EQ(t->ReadProperty(kTplTurnType).i, 3);
  v.bytes = {1, 2, 3};  // undecodable: the template has no picture
  t->WriteProperty(kTplPicture, v);
  EXPECT_EQ(t->GetPictureWidth(), 0);
  EXPECT_EQ(box().GetWidth(box().CreateObject(t.get(), 0, 0)), 0);
}

// Setting a picture the template has decoded before reuses that decode, but only for the
// same bytes and the same key settings.
TEST_F(ObjectsTest, TemplatePicturesSetAgainAreDecodedOnce) {
  auto t = Template(SolidFramesGif(4, 4, 1, 0));
  const SpritePtr first = t->Decoded();
  ASSERT_TRUE(first);
  rt::PropValue other, same, colour;
  other.bytes = SolidFramesGif(9, 5, 1, 0);
  same.bytes = SolidFramesGif(4, 4, 1, 0);
  t->WriteProperty(kTplPicture, other);
  ASSERT_TRUE(t->Decoded());
  EXPECT_NE(t->Decoded(), first);
  t->WriteProperty(kTplPicture, same);
  EXPECT_EQ(t->Decoded(), first);  // taken from the cache, not decoded afresh
  EXPECT_EQ(t->GetPictureWidth(), 4);
  // Another transparent colour keys the frames differently: a decode of its own.
  colour.i = 0x00FF00;
  t->WriteProperty(kTplTransparentColor, colour);
  ASSERT_TRUE(t->Decoded());
  EXPECT_NE(t->Decoded(), first);
  EXPECT_EQ(t->GetPictureWidth(), 4);
  // Objects made from either decode still draw at the template's size.
  EXPECT_EQ(box().GetWidth(box().CreateObject(t.get(), 0, 0)), 4);
}

// Headless runs let the drawing of a paint wait for the frame to be read, but a paint
// taken after a resize still rebuilds the drawing surface (and homes the text cursor)
// then, and what the game draws after it shows when the frame is finally drawn.
TEST(StageDeferredPaint, AResizeIsTakenUpWhenThePaintIsTakenNotWhenItIsDrawn) {
  platform::HostOptions options = platform::HeadlessOptions();
  options.deferPaint = true;
  platform::ResetForTesting(options);
  platform::CreateWindowParams p;
  p.rect = {0, 0, 320, 240};
  p.style = platform::WS_VISIBLE | platform::WS_CAPTION;
  const platform::HWND top = platform::CreateWindow(p);
  rt::CreateInfo info;
  info.windowId = 0x52010001;
  info.componentId = 0x16010001;
  info.typeCode = kCartoonBoxType;
  info.parent = top;
  info.rect = {0, 0, 200, 150};
  info.flags = 1;
  info.childNumber = 100;
  auto box = CartoonBox::Create(info);
  ASSERT_TRUE(box);
  platform::UpdateAllWindows();
  box->ClearArea(5, 6);
  platform::MoveWindow(box->Hwnd(), {0, 0, 120, 100});
  platform::UpdateAllWindows();  // the paint is taken; its drawing waits
  EXPECT_EQ(box->TextCursor(), (platform::Point{0, 0})) << "the rebuild puts the cursor home";
  box->DrawRectangle(10, 10, 20, 20);  // black frame, white fill
  const platform::Surface* frame = platform::GetWindowFrame(top);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(platform::FromPixel(frame->At(15, 15)), platform::Rgb(255, 255, 255));
  box.reset();
  platform::ResetForTesting();
}
