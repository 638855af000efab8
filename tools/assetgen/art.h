// Generators of every picture and sound the game ships. Each returns finished file
// bytes. Sizes are fixed by the way the game places and crops the pictures; where a size
// was free, the generator says why it chose it.
#pragma once
#include "tools/assetgen/canvas_files.h"

namespace assetgen {

// Hero (facing left as drawn).
Bytes StandPicture();
Bytes JumpPicture();
Bytes AttackPicture();
Bytes BladePicture();
Bytes IdlePicture();
Bytes PortraitPicture();

// Monsters: kind 4 (ground ogre) and 5 (flying wraith); suffix 1 hurt, 2 walk,
// 3 attack pose, 5 attack effect.
Bytes MonsterPicture(int kind, int suffix);

// HUD and items.
Bytes HeroBarBack();
Bytes HeroBarFill();
Bytes MonsterBarBack();
Bytes MonsterBarFill();
Bytes ItemSlot();
Bytes BluePotion();
Bytes ChickenLeg();
Bytes Cloak();
Bytes DigitSheet();

// Scenery.
Bytes StageBackground();
Bytes BlockPicture();
Bytes SplashPicture();
Bytes StatuePicture();
// The stage background's drawing, for the statue's key colour to match what stands
// behind it.
Canvas StageBackgroundCanvas();

// Characters as still drawings, for the splash.
Canvas HeroPreview();
Canvas OgrePreview();
Canvas WraithPreview();

// The program's icon, `size` x `size` RGBA (up to 256), in the sizes desktops look for.
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
Bytes Icon(int size);

// Sound.
Bytes AttackSound();
Bytes Music();

}  // namespace assetgen
