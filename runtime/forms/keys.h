// Key codes and modifiers as the common key events report them.
#pragma once

namespace rt {

// The keypad digits report as the main digits, keypad minus, point and divide as the
// main-keyboard '-', '.' and '/' (189, 190, 191); every other code as itself.
int ReportedKeyCode(int vk);

// 1 Ctrl, 2 Shift, 4 Alt from the current key state, leaving out the key's own
// modifier (Ctrl is not reported for the Ctrl key itself, and so on).
int ReportedModifiers(int vk);

}  // namespace rt
