// tolvaran-assetgen OUTDIR: writes the built-in assets into OUTDIR/builtin, the two
// picture folders the game reads at run time into OUTDIR/图片集合 and OUTDIR/怪物图片,
// and the program's icon into OUTDIR/icons/NxN/apps/tolvaran.png (an icon theme's layout).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/art.h"

namespace fs = std::filesystem;
using namespace assetgen;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tolvaran-assetgen OUTDIR\n");
    return 2;
  }
  const fs::path out = fs::u8path(argv[1]);
  const std::vector<std::pair<std::string, std::function<Bytes()>>> files = {
      {"builtin/StandPicture.gif", StandPicture},
      {"builtin/JumpPicture.gif", JumpPicture},
      {"builtin/AttackPicture.gif", AttackPicture},
      {"builtin/BladePicture.gif", BladePicture},
      {"builtin/IdlePicture.gif", IdlePicture},
      {"builtin/PortraitPicture.png", PortraitPicture},
      {"builtin/AttackSound.wav", AttackSound},
      {"builtin/StageBackground.jpg", StageBackground},
      {"builtin/BlockPicture.jpg", BlockPicture},
      {"builtin/Music.mid", Music},
      {"图片集合/血条底图.png", HeroBarBack},
      {"图片集合/血条进度.png", HeroBarFill},
      {"图片集合/怪物进度底图.png", MonsterBarBack},
      {"图片集合/怪物进度条.png", MonsterBarFill},
      {"图片集合/蓝药水.png", BluePotion},
      {"图片集合/鸡腿.png", ChickenLeg},
      {"图片集合/隐身衣.png", Cloak},
      {"图片集合/物品底图.png", ItemSlot},
      {"图片集合/Damage(代用).png", DigitSheet},
      {"怪物图片/4-1.gif", [] { return MonsterPicture(4, 1); }},
      {"怪物图片/4-2.gif", [] { return MonsterPicture(4, 2); }},
      {"怪物图片/4-3.gif", [] { return MonsterPicture(4, 3); }},
      {"怪物图片/4-5.gif", [] { return MonsterPicture(4, 5); }},
      {"怪物图片/5-1.gif", [] { return MonsterPicture(5, 1); }},
      {"怪物图片/5-2.gif", [] { return MonsterPicture(5, 2); }},
      {"怪物图片/5-3.gif", [] { return MonsterPicture(5, 3); }},
      {"怪物图片/5-5.gif", [] { return MonsterPicture(5, 5); }},
      {"怪物图片/音乐人.jpg", SplashPicture},
      {"怪物图片/武士雕像.jpg", StatuePicture},
  };
  std::vector<std::pair<std::string, std::function<Bytes()>>> all = files;
  for (int size : kIconSizes)
    all.push_back({"icons/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/tolvaran.png",
                   [size] { return Icon(size); }});
  try {
    for (const auto& [name, make] : all) {
      fs::path p = out / fs::u8path(name);
      fs::create_directories(p.parent_path());
      if (!WriteFile(p.string(), make())) {
        std::fprintf(stderr, "tolvaran-assetgen: cannot write %s\n", p.string().c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolvaran-assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
