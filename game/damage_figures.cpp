// Damage and healing figures: digits cut from the digit sheet on the scratch stage, each
// a sprite on the main stage that rises a pixel per tick while it fades out.
#include "game/components.h"
#include "game/rules.h"
#include "game/state.h"
#include "runtime/commands/commands.h"

namespace game {
namespace {

constexpr int kDigitWidth = 18, kDigitHeight = 32;
// The top of each row on the digit sheet.
constexpr int RowTop(FigureRow row) { return row == FigureRow::Damage ? 0 : 33; }

}  // namespace

void ShowDamageFigure(int target, int amount, FigureRow row) {
  ScratchStage.SetBackColour(kBlack);
  ScratchStage.DestroyAll();
  ScratchStage.Resize(180, 96);
  const int sheet = ScratchStage.CreatePlain(0, 0);
  ScratchStage.SetPicture(sheet, ReadProgramFile(kDigitSheetPicture));

  const std::string t = rt::ToText(amount);
  const int n = rt::TextLength(t);
  for (int i = 1; i <= n; ++i) {
    const int k = rt::ToInt(rt::MidText(t, i, 1));
    const Bytes digit = ScratchStage.Capture(k * kDigitWidth, RowTop(row), kDigitWidth, kDigitHeight);
    const double x = MainStage.X(target) + (MainStage.Width(target) - n * kDigitWidth) / 2.0 + i * kDigitWidth - kDigitWidth;
    const double y = MainStage.Y(target) + 32;
    const int id = MainStage.CreatePlain(Trunc(x), Trunc(y));
    MainStage.SetPicture(id, digit);
    MainStage.SetLayer(id, kLayerDigits);
    state.DamageDigits().Append(id);
  }
  ScratchStage.SetBackColour(kMagenta);
}

bool DamageFiguresShown() { return state.DamageDigits().Count() > 0; }

void DriftDamageFigures() {
  IntList digits = state.DamageDigits();
  std::vector<int64_t> gone;
  for (int64_t i = 1; i <= digits.Count(); ++i) {
    const int id = digits[i];
    MainStage.Move(id, MainStage.X(id), MainStage.Y(id) - 1);
    const int a = MainStage.Alpha(id);
    MainStage.SetAlpha(id, a < 51 ? a + 1 : a + 2);
    if (MainStage.Alpha(id) > 99) {
      MainStage.Destroy(id);
      gone.push_back(i);
    }
  }
  // Each removal moves the later entries up by one.
  for (size_t j = 0; j < gone.size(); ++j) digits.RemoveAt(gone[j] - int64_t(j));
}

}  // namespace game
