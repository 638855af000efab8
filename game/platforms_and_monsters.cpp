// Platforms the hero stands on and the monsters turn at, the monsters themselves with the
// kind-4 monster's two-piece health bar, and the bar's redraw after damage.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

constexpr int kBarWidth = 58;  // the bar background's picture width the bar centres by

// The initial heading (the sprite's angle; walking itself goes by `direction`): a random
// side, turned round by anything in the way there or by the stage edge.
void FaceAwayFromObstacles(int id, double x, double y) {
  const double W = MainStage.StageWidth();
  const int w = MainStage.Width(id), h = MainStage.Height(id);
  if (rt::Random(1, 2) == 1) {
    MainStage.SetAngle(id, 90);
    if (IsAreaOccupied(x + 20, y, 20, w) || x + w + 20 - W >= -1e-7) MainStage.SetAngle(id, 270);
  } else {
    MainStage.SetAngle(id, 270);
    // The probe is as wide as the monster is high: kept, since headings depend on it.
    if (IsAreaOccupied(x - 20, y, 20, h) || x - 20 <= 1e-7) MainStage.SetAngle(id, 90);
  }
}

void CreateBar(Monster& m) {
  m.barBackId = MainStage.CreatePlain(0, 0);
  MainStage.SetPicture(m.barBackId, ReadProgramFile(kMonsterBarBackPicture));
  m.barFillId = MainStage.CreatePlain(0, 0);
  MainStage.SetPicture(m.barFillId, ReadProgramFile(kMonsterBarFillPicture));
  PlaceMonsterBar(m);
  MainStage.SetLayer(m.barBackId, kLayerBarBack);
  MainStage.SetLayer(m.barFillId, kLayerBarFill);
}

bool KindSays(const Monster& m, bool MonsterKind::*column) {
  const MonsterKind* row = FindMonsterKind(m.kind);
  return row && row->*column;
}

}  // namespace

bool HasBar(const Monster& m) { return KindSays(m, &MonsterKind::hasBar); }
bool LosesHitPoints(const Monster& m) { return KindSays(m, &MonsterKind::losesHitPoints); }
bool SortedByDepth(const Monster& m) { return KindSays(m, &MonsterKind::sortedByDepth); }

Bytes MonsterPicture(const Monster& m, Pose pose) {
  return rt::ReadFileBytes(std::string(rt::TextView(m.pictureFolder)) + rt::ToText(m.kind) + PoseSuffix(pose));
}

void PlaceMonsterBar(const Monster& m) {
  const int sx = MainStage.X(m.spriteId), sy = MainStage.Y(m.spriteId);
  MainStage.Move(m.barBackId, Trunc(sx + (MainStage.Width(m.spriteId) - kBarWidth) / 2.0), sy);
  MainStage.Move(m.barFillId, MainStage.X(m.barBackId) + 1, MainStage.Y(m.barBackId));
}

void CreatePlatform(double x, double y, int level) {
  const int id = MainStage.Create(BlockTemplate, x, y);
  MainStage.SetCollision(id, false);
  MainStage.SetLayer(id, kLayerPlatforms);
  MainStage.SetTypeValue(id, kTypePlatform);
  Platform& p = state.Platforms().Append();
  p.left = MainStage.X(id);
  p.top = MainStage.Y(id);
  p.right = p.left + MainStage.Width(id);
  p.bottom = p.top + MainStage.Height(id);
  p.spriteId = id;
  p.level = level;
}

// A probe the size of the area, drawn and captured on the scratch stage, placed at
// (x, y) on the main stage: does it overlap anything there?
bool IsAreaOccupied(double x, double y, int height, int width) {
  ScratchStage.DrawRectangle(0, 0, width, height);
  SpriteTemplate.SetPicture(ScratchStage.Capture(0, 0, width, height));
  SpriteTemplate.SetTypeValue(kTypeProbe);
  const int probe = MainStage.Create(SpriteTemplate, 0, 0, /*visible=*/false);
  MainStage.SetAlpha(probe, 99);
  MainStage.Show(probe);
  ScratchStage.ClearArea(0, 0, width, height);
  SpriteTemplate.SetTypeValue(kTypePlatform);
  const int found = MainStage.FindAnyOverlapping(probe, Trunc(x), Trunc(y));
  MainStage.Destroy(probe);
  return found > 0;
}

void CreateMonster(double x, double y, const MonsterKind& kind) {
  Monster m{};
  m.kind = kind.kind;
  m.pictureFolder = rt::MakeText(ProgramFile(kind.pictureFolder));
  m.spriteId = MainStage.CreatePlain(x, y);
  MainStage.SetPicture(m.spriteId, MonsterPicture(m, Pose::Walking));
  MainStage.SetTypeValue(m.spriteId, MonsterType(kind.kind));
  MainStage.SetCollision(m.spriteId, true);
  m.hp = m.maxHp = kind.hitPoints;
  m.state = Walking;
  m.x = Trunc(x);
  m.y = Trunc(y);
  FaceAwayFromObstacles(m.spriteId, x, y);
  if (kind.hasBar) CreateBar(m);
  m.stepCounter = 1;
  state.Monsters().Append() = m;
}

void UpdateMonsterHealthBar(int64_t monsterIndex) {
  Monster& m = state.Monsters()[monsterIndex];
  ScratchStage.Resize(53, 10);
  const int full = ScratchStage.CreatePlain(0, 0);
  ScratchStage.SetPicture(full, ReadProgramFile(kMonsterBarFillPicture));
  const int w = Trunc(double(ScratchStage.StageWidth()) / m.maxHp * m.hp);
  MainStage.SetPicture(m.barFillId, ScratchStage.Capture(0, 0, w, 10));
}

}  // namespace game
