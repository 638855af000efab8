// The runtime commands by English name, so game code and tests reach them the same way.
#include <array>
#include <utility>

#include "runtime/commands/commands.h"

namespace rt {
namespace {

constexpr std::array<std::pair<std::string_view, CommandRoutine>, 20> kCommands{{
    {"Mod", &commands::Mod},
    {"Abs", &commands::Abs},
    {"SetRandomSeed", &commands::SetRandomSeed},
    {"Random", &commands::Random},
    {"TextLength", &commands::TextLength},
    {"LeftText", &commands::LeftText},
    {"RightText", &commands::RightText},
    {"MidText", &commands::MidText},
    {"FindTextReverse", &commands::FindTextReverse},
    {"ToInt", &commands::ToInt},
    {"ToText", &commands::ToText},
    {"RunDirectory", &commands::RunDirectory},
    {"ReadFileBytes", &commands::ReadFileBytes},
    {"PlaySound", &commands::PlaySound},
    {"DoEvents", &commands::DoEvents},
    {"FocusComponent", &commands::FocusComponent},
    {"ComponentHasFocus", &commands::ComponentHasFocus},
    {"MoveComponent", &commands::MoveComponent},
    {"PictureWidth", &commands::PictureWidth},
    {"PictureHeight", &commands::PictureHeight},
}};

}  // namespace

CommandRoutine FindCommand(std::string_view englishName) {
  for (const auto& [name, routine] : kCommands)
    if (name == englishName) return routine;
  return nullptr;
}

}  // namespace rt
