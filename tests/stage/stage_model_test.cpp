// The stage's object model alone: no window, no form, a clock the test sets by hand and
// a listener that records every event, changed area and removal.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "stage/model/stage_model.h"
#include "test_pictures.h"

using namespace stage;
using namespace stagetest;
using platform::Rect;

namespace {

struct Raised {
  StageEvent slot;
  std::vector<int32_t> args;
  bool operator==(const Raised&) const = default;
};

class ModelTest : public ::testing::Test, protected StageModel::Listener {
 protected:
  ModelTest() { model.SetSize(200, 150); }

  uint32_t Now() override { return now; }
  MoveResult Raise(StageEvent slot, std::span<const int32_t> args, int64_t* result,
                   bool* resultPresent) override {
    raised.push_back({slot, {args.begin(), args.end()}});
    if (slot == kPositionChanging && vetoMoves) {
      *result = 0;
      *resultPresent = true;
    }
    return kGoOn;
  }
  void Changed(const Rect& area) override { changed.push_back(area); }
  void PlaySound(const BytesPtr&) override { ++sounds; }
  void Removed(int id) override { removed.push_back(id); }

  // A width x height picture whose pixels `margin` from the edge are transparent and the
  // rest solid; frames give each frame's delay in ms.
  static SpritePtr Framed(int width, int height, int margin, std::vector<int> delays = {0}) {
    Picture p;
    p.width = width;
    p.height = height;
    for (int delay : delays) {
      PictureFrame f;
      f.pixels = platform::Surface(width, height, 0xFF000000u);  // transparency 255
      for (int y = margin; y < height - margin; ++y)
        for (int x = margin; x < width - margin; ++x) f.pixels.Row(y)[x] = 0x00336699u;
      f.delayMs = delay;
      p.frames.push_back(std::move(f));
    }
    return MakeSprite(std::move(p));
  }
  int Make(SpritePtr picture, double x, double y, int layer = 0) {
    ObjectTemplate t;
    t.picture = std::move(picture);
    t.layer = layer;
    return model.CreateObject(&t, x, y);
  }
  void Forget() {
    raised.clear();
    changed.clear();
  }

  uint32_t now = 1000;
  bool vetoMoves = false;
  std::vector<Raised> raised;
  std::vector<Rect> changed;
  std::vector<int> removed;
  int sounds = 0;
  StageModel model{*this};
};

TEST_F(ModelTest, ObjectsAreCreatedMovedAndVetoed) {
  const int a = Make(Framed(10, 5, 0), 10.7, 20.2);
  const int b = Make(Framed(10, 5, 0), 0, 0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(model.GetX(a), 10);  // truncated toward zero
  EXPECT_EQ(model.GetY(a), 20);
  EXPECT_EQ(model.GetWidth(a), 10);
  EXPECT_EQ(model.GetHeight(a), 5);
  EXPECT_EQ(changed, (std::vector<Rect>{{10, 20, 20, 25}, {0, 0, 10, 5}}));

  Forget();
  EXPECT_EQ(model.MoveObject(a, 30, 40), kGoOn);
  EXPECT_EQ(raised, (std::vector<Raised>{{kPositionChanging, {a, 30, 40}},
                                         {kPositionChanged, {a, 30, 40}}}));
  EXPECT_EQ(model.GetX(a), 30);
  EXPECT_EQ(model.GetY(a), 40);

  Forget();
  vetoMoves = true;
  model.MoveObject(a, 50, 60);
  EXPECT_EQ(model.GetX(a), 30);
  EXPECT_EQ(raised.size(), 1u);  // PositionChanging only
  EXPECT_TRUE(changed.empty());

  EXPECT_EQ(model.DestroyObject(a), kObjectGone);
  EXPECT_FALSE(model.ObjectExists(a));
  EXPECT_EQ(removed, (std::vector<int>{a}));
  EXPECT_EQ(model.ObjectIdsInOrder(), (std::vector<int>{b}));
}

TEST_F(ModelTest, ALifetimeEndsAtExactlyItsTick) {
  ObjectTemplate t;
  t.picture = Framed(8, 8, 0);
  t.lifetime = 300;
  const int id = model.CreateObject(&t, 5, 5);  // at 1000: lives until 1300
  const int forever = Make(Framed(8, 8, 0), 50, 50);
  EXPECT_EQ(model.NextDueIn(1000), 300u);

  now = 1299;
  EXPECT_EQ(model.NextDueIn(now), 1u);
  Forget();
  model.Step();
  EXPECT_TRUE(model.ObjectExists(id));
  EXPECT_TRUE(raised.empty());

  now = 1300;
  EXPECT_EQ(model.NextDueIn(now), 0u);
  Forget();
  model.Step();
  EXPECT_FALSE(model.ObjectExists(id));
  EXPECT_TRUE(model.ObjectExists(forever));
  EXPECT_EQ(raised, (std::vector<Raised>{{kObjectDestroying, {id}}}));
  EXPECT_EQ(changed, (std::vector<Rect>{{5, 5, 13, 13}}));
  EXPECT_EQ(removed, (std::vector<int>{id}));
  EXPECT_EQ(model.NextDueIn(now), std::nullopt);  // nothing left that counts time
}

TEST_F(ModelTest, AFrameAdvancesAtExactlyItsDelay) {
  ObjectTemplate t;
  t.picture = Framed(6, 6, 0, {100, 50, 70});
  t.playing = true;
  t.loopDelay = 30;  // frame 0 waits its delay plus this
  const int id = model.CreateObject(&t, 0, 0);
  model.Step();  // the first step starts the frame clock at 1000
  auto frameAt = [&](uint32_t time) {
    now = time;
    model.Step();
    return model.FindObject(id)->frameIndex;
  };
  EXPECT_EQ(frameAt(1129), 0);
  EXPECT_EQ(model.NextDueIn(1129), 1u);
  Forget();
  EXPECT_EQ(frameAt(1130), 1);  // 100 + 30
  EXPECT_EQ(changed, (std::vector<Rect>{{0, 0, 6, 6}}));
  EXPECT_EQ(frameAt(1179), 1);
  EXPECT_EQ(frameAt(1180), 2);  // 50
  EXPECT_EQ(frameAt(1249), 2);
  EXPECT_EQ(frameAt(1250), 0);  // 70, round again

  // Extra delay on every frame; one last play, then the object goes.
  model.PlayAnimation(id, 1, true, 5, 0);
  EXPECT_EQ(frameAt(1354), 0);
  EXPECT_EQ(frameAt(1355), 1);  // 100 + 5
  EXPECT_EQ(frameAt(1410), 2);  // 50 + 5
  Forget();
  now = 1484;
  model.Step();
  EXPECT_TRUE(raised.empty());
  now = 1485;  // 70 + 5: the play ends
  model.Step();
  EXPECT_EQ(raised, (std::vector<Raised>{{kAnimationFinished, {id}}, {kObjectDestroying, {id}}}));
  EXPECT_FALSE(model.ObjectExists(id));
}

TEST_F(ModelTest, CollisionNeedsASharedSolidPixel) {
  // 10 x 10 with a 2-pixel transparent margin: solid columns x + 2 .. x + 7.
  const SpritePtr pic = Framed(10, 10, 2);
  const int a = Make(pic, 0, 0);
  const int b = Make(pic, 6, 0);  // solid from 8: beside a's last solid column 7
  model.SetTypeValue(b, 1);
  model.SetCollision(a, true, std::nullopt);
  model.SetCollision(b, true, std::nullopt);
  EXPECT_EQ(model.FindOverlapping(a, std::nullopt, std::nullopt, std::nullopt, true), -1);
  EXPECT_EQ(model.FindOverlapping(a, 1, std::nullopt, std::nullopt, true), b);  // as if at x 1

  Forget();
  model.ForwardMove(b, 5, 0);  // column 7 shared
  EXPECT_EQ(raised.back(), (Raised{kObjectCollided, {b, 6, 0, a}}));
  EXPECT_EQ(sounds, 0);  // no collided sound set
  // Still in contact: no second event; apart and back: a new contact.
  Forget();
  model.ForwardMove(b, 4, 0);
  EXPECT_EQ(raised.back().slot, kPositionChanged);
  model.ForwardMove(b, 6, 0);
  Forget();
  model.ForwardMove(b, 5, 1);
  EXPECT_EQ(raised.back(), (Raised{kObjectCollided, {b, 6, 0, a}}));

  // Objects of one type never collide.
  model.ForwardMove(b, 6, 0);
  model.SetTypeValue(b, 0);
  Forget();
  model.ForwardMove(b, 5, 0);
  EXPECT_EQ(raised.back().slot, kPositionChanged);
}

TEST_F(ModelTest, LayersOrderDrawingAndPointQueries) {
  const SpritePtr pic = Framed(10, 10, 0);
  const int a = Make(pic, 0, 0, 2);
  const int b = Make(pic, 5, 5, 1);
  const int c = Make(pic, 8, 8, 1);
  EXPECT_EQ(model.ObjectIdsInOrder(), (std::vector<int>{b, c, a}));  // newest on top in a layer
  EXPECT_EQ(model.ObjectAt({9, 9}), a);
  EXPECT_EQ(model.ObjectAt({12, 12}), c);
  EXPECT_EQ(model.ObjectAt({6, 14}), b);
  EXPECT_EQ(model.ObjectAt({30, 30}), 0);
  model.SetLayer(a, 1);
  EXPECT_EQ(model.ObjectIdsInOrder(), (std::vector<int>{b, c, a}));
  model.SetLayer(b, 3);
  EXPECT_EQ(model.ObjectIdsInOrder(), (std::vector<int>{c, a, b}));
  EXPECT_EQ(model.ObjectAt({9, 9}), b);
  model.SetLayer(b, 0);
  EXPECT_EQ(model.ObjectIdsInOrder(), (std::vector<int>{b, c, a}));
}

TEST_F(ModelTest, ChangedAreasOfMovesAndPictures) {
  const int id = Make(Framed(10, 5, 0), 10, 20);
  // A short step: one area over both places.
  Forget();
  model.MoveObject(id, 12, 21);
  EXPECT_EQ(changed, (std::vector<Rect>{{10, 20, 22, 26}}));
  // A jump: both places on their own.
  Forget();
  model.MoveObject(id, 100, 100);
  EXPECT_EQ(changed, (std::vector<Rect>{{12, 21, 22, 26}, {100, 100, 110, 105}}));
  // A sub-pixel step changes nothing on screen.
  Forget();
  model.MoveObject(id, 100.9, 100.5);
  EXPECT_TRUE(changed.empty());

  // A new picture of another size: the old area and the new one.
  Forget();
  model.SetObjectPicture(id, SolidFramesGif(4, 8, 1, 0), -1);
  EXPECT_EQ(model.GetWidth(id), 4);
  EXPECT_EQ(changed, (std::vector<Rect>{{100, 100, 110, 105}, {100, 100, 104, 108}}));
  // A flip repaints the area both ways; so does showing a hidden object, while moving a
  // hidden one does not.
  Forget();
  model.SetTurnType(id, 1);
  EXPECT_EQ(changed, (std::vector<Rect>{{100, 100, 104, 108}, {100, 100, 104, 108}}));
  model.SetVisible(id, false);
  Forget();
  model.MoveObject(id, 0, 0);
  EXPECT_TRUE(changed.empty());
  model.SetVisible(id, true);
  EXPECT_EQ(changed, (std::vector<Rect>{{0, 0, 4, 8}}));
}

}  // namespace
