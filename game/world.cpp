// The one level: hero and collision box, ground, heads-up display, platforms, monsters,
// items, inventory bar and statue, built once under the start cover. Most sprites come
// from SpriteTemplate, so the order matters: each creation copies what it holds then.
#include "game/assets/builtin_assets.h"
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

using enum HeroRef;
using enum HeroStat;
using enum HeroFlag;

// A rectangle drawn on the main stage (white in a black frame), captured as the
// template's picture.
void TemplateFromRectangle(int left, int top, int right, int bottom, int width, int height) {
  MainStage.DrawRectangle(left, top, right, bottom);
  SpriteTemplate.SetPicture(MainStage.Capture(left, top, width, height));
}

void CreateHero(double H, double bh) {
  double tw = SpriteTemplate.PictureWidth(), th = SpriteTemplate.PictureHeight();
  state[heroSprite] = MainStage.Create(SpriteTemplate, 0, H - th - bh / 2);
  MainStage.SetTag(state[heroSprite], Gbk("主角"));

  TemplateFromRectangle(0, 0, Trunc(tw - tw / 3 - 20), Trunc(th), Trunc(tw - tw / 3 - 20), Trunc(th));
  state[boxOffset] = Trunc(tw / 6 + 10);
  tw = SpriteTemplate.PictureWidth();
  th = SpriteTemplate.PictureHeight();
  state[heroBox] = MainStage.Create(SpriteTemplate, state[boxOffset], H - th - bh / 2);
  MainStage.ClearArea(0, 0, Trunc(tw), Trunc(th));
  MainStage.SetAlpha(state[heroBox], 99);

  state[heroX] = 0;
  state[heroY] = MainStage.Y(state[heroBox]);
  MainStage.SetTag(state[heroBox], Gbk("主角框框"));
  state[boxWidth] = Trunc(tw);
  state[boxHeight] = Trunc(th);
  state[hp] = 150;
  state[maxHp] = 150;
}

void CreateGround(double W, double H, double bh) {
  TemplateFromRectangle(0, Trunc(H - bh / 2), Trunc(W), Trunc(H), Trunc(W), Trunc(H));
  SpriteTemplate.SetTypeValue(0);
  const int ground = MainStage.Create(SpriteTemplate, 0, H - bh / 2);
  MainStage.Clear();
  MainStage.SetAlpha(ground, 30);
  state.Platforms().Append() = {.left = 0, .top = Trunc(H - bh / 2 + 1), .right = Trunc(W),
                                .bottom = Trunc(H), .spriteId = ground, .level = 1};
}

void CreateHud() {
  SpriteTemplate.SetPicture(assets::PortraitPicture());
  SpriteTemplate.SetFlip(kFaceLeft);
  state[portraitSprite] = MainStage.Create(SpriteTemplate, 0, 0);
  SpriteTemplate.SetPicture(ReadProgramFile("\\图片集合\\血条底图.png"));
  state[hpBarBack] = MainStage.Create(SpriteTemplate, 0,
                                      MainStage.Y(state[portraitSprite]) + MainStage.Height(state[portraitSprite]));
  SpriteTemplate.SetPicture(ReadProgramFile("\\图片集合\\血条进度.png"));
  state[hpBarFill] = MainStage.Create(SpriteTemplate, 1, MainStage.Y(state[hpBarBack]));
  for (HeroRef s : {portraitSprite, hpBarBack, hpBarFill}) MainStage.SetLayer(state[s], kLayerHud);
}

void CreateItems() {
  RecordList<Platform> platforms = state.Platforms();
  const char* description = "用于补HP的";
  const Platform& p4 = platforms[4];
  CreateItem(p4.left + 10, p4.top - 25, "蓝药水", 1, 50, description, ProgramFile("\\图片集合\\蓝药水.png"));
  const Platform& p2 = platforms[2];
  CreateItem(p2.left + 10, p2.top - 25, "鸡腿", 2, 100, description, ProgramFile("\\图片集合\\鸡腿.png"));
  const Platform& p5 = platforms[5];
  CreateItem(p5.left + 15, p5.top - 25, "隐身衣", 3, 1, description, ProgramFile("\\图片集合\\隐身衣.png"));
}

void CreateStatue(double H) {
  const char* statueFile = "\\怪物图片\\武士雕像.jpg";
  const int ph = PictureFileHeight(statueFile);
  const int statue = MainStage.CreatePlain(150, H - ph);
  MainStage.SetPicture(statue, ReadProgramFile(statueFile), kTopLeftKey);
}

}  // namespace

void WorldSetUp() {
  const double W = MainStage.StageWidth(), H = MainStage.StageHeight();
  const double bw = BlockTemplate.PictureWidth(), bh = BlockTemplate.PictureHeight();
  CreateHero(H, bh);
  CreateGround(W, H, bh);
  state[walkFrameCount] = 0;
  state[platformIndex] = 1;
  CreateHud();
  MainStage.SetTypeValue(state[heroSprite], 1);
  MainStage.SetTypeValue(state[heroBox], 5);

  const Platform& ground = state.Platforms()[1];
  CreatePlatform((W - bw) / 2, H - bh - (ground.bottom - ground.top), 1);
  CreatePlatform(W - bw, H - 5 * bh, 2);
  CreatePlatform((W - bw) / 2 + 50, H - 8 * bh, 2);
  CreatePlatform(W - bw, H - 10 * bh, 2);

  CreateMonster(W - 150, H - 150 + 13, ProgramFile("\\怪物图片\\4-2.gif"), 4);
  CreateMonster(Trunc(W / 2), 20, ProgramFile("\\怪物图片\\5-2.gif"), 5);
  CreateItems();
  CreateInventoryBar();
  state.GroundItems()[2].glowPhase = 5;
  state.GroundItems()[3].glowPhase = 3;
  CreateStatue(H);

  MainStage.Focus();
  IdleTimer.Start(1000);
}

}  // namespace game
