// The stage's and the templates' stored property blocks of the form description, read and
// written through their field tables (runtime/forms/stored_fields.h).
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/forms/stored_fields.h"
#include "stage/pictures/picture.h"

namespace stage {

struct StageSettings {
  int border = 0;
  uint32_t backColor = kDefaultColour;
  int picDrawMode = 0;
  int penStyle = 1;
  int drawRop2 = 12;
  int penWidth = 0;
  uint32_t penColor = 0;
  int brushStyle = 1;
  uint32_t brushColor = 0xFFFFFF;
  uint32_t textColor = 0;
  uint32_t textBackColor = kDefaultColour;
  std::vector<uint8_t> font;  // a 60-byte LOGFONT or empty (the system GUI font)
  std::vector<uint8_t> pic;   // background picture bytes or empty
  bool operator==(const StageSettings&) const = default;
};

struct TemplateSettings {
  std::string text;  // GBK
  std::vector<uint8_t> font;
  uint32_t textColor = 0;
  std::vector<uint8_t> picture;
  bool autoGetTransColor = false;
  uint32_t transparentColor = kDefaultColour;
  bool playGif = false;
  int gifDelay = 0;
  int gifAutoDestroy = 0;
  uint32_t trendColor = 0xFFFFFF;
  int trendDepth = 0;
  int light = 0;
  int alpha = 0;
  int zoom = 1000;
  int layer = 0;
  int angle = 0;
  bool rotateFollow = false;
  int turnType = 0;
  int existTime = 0;
  std::vector<uint8_t> createSound, destroySound, collidedSound;
  bool collideAllowed = false;
  int type = 0;
  bool operator==(const TemplateSettings&) const = default;
};

// Clamping shared by stored blocks and property writes.
void ClampStageSettings(StageSettings& s);
void ClampTemplateSettings(TemplateSettings& t);

inline constexpr int kStageBlockVersion = 2;
inline constexpr int kTemplateBlockVersion = 3;

// The two kinds' fields, type codes and events.
const rt::FieldTable<StageSettings>& StageFields();
const rt::FieldTable<TemplateSettings>& TemplateFields();

// nullopt when the version is too high or the block is cut short. An empty block gives
// the defaults.
std::optional<StageSettings> ParseStageBlock(std::span<const uint8_t> block);
std::optional<TemplateSettings> ParseTemplateBlock(std::span<const uint8_t> block);
// Current-version blocks, as a form builder stores them.
std::vector<uint8_t> WriteStageBlock(const StageSettings& s);
std::vector<uint8_t> WriteTemplateBlock(const TemplateSettings& t);

}  // namespace stage
