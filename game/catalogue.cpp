#include "game/catalogue.h"

#include <array>
#include <unordered_map>

#include "platform/text.h"

namespace game {
namespace {

template <class E, size_t N>
const std::string& Converted(E e, const std::array<const char*, N>& utf8) {
  static const std::array<std::string, N> gbk = [&] {
    std::array<std::string, N> out;
    for (size_t i = 0; i < N; ++i) out[i] = platform::gbk(utf8[i]);
    return out;
  }();
  return gbk[size_t(e)];
}

}  // namespace

const std::string& Gbk(Tag tag) {
  static constexpr std::array<const char*, 6> kTags = {
      "主角", "主角框框", "主角攻击", "主角待机", "刀光", "物品"};
  static_assert(kTags.size() == size_t(Tag::Item) + 1);
  return Converted(tag, kTags);
}

const std::string& Gbk(Text text) {
  static constexpr std::array<const char*, 3> kTexts = {"游戏结束", "黑体", "用于补HP的"};
  static_assert(kTexts.size() == size_t(Text::ItemDescription) + 1);
  return Converted(text, kTexts);
}

const std::string& Gbk(std::string_view utf8) {
  // Node-based, so references handed out stay valid as the map grows.
  static std::unordered_map<std::string, std::string> converted;
  auto it = converted.find(std::string(utf8));
  if (it == converted.end()) it = converted.emplace(std::string(utf8), platform::gbk(utf8)).first;
  return it->second;
}

const ItemKindRow* FindItemKind(int32_t kind) {
  for (const ItemKindRow& row : kItemKinds)
    if (row.kind == kind) return &row;
  return nullptr;
}

const MonsterKind* FindMonsterKind(int32_t kind) {
  for (const MonsterKind& row : kMonsterKinds)
    if (row.kind == kind) return &row;
  return nullptr;
}

std::string PoseSuffix(Pose pose) {
  std::string suffix = "-0.gif";  // every pose is one digit
  suffix[1] = char('0' + int(pose));
  return suffix;
}

}  // namespace game
