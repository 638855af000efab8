// Text pictures: one frame of flat-coloured text, lines 2 pixels apart, the background
// as the frame's key.
#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/draw.h"
#include "stage/pictures/picture.h"

namespace stage {
namespace {

constexpr int kLineGap = 2;
constexpr platform::COLORREF kWhite = 0xFFFFFF, kBlack = 0x000000;

// Lines end at line feeds; a carriage return before a line feed is not part of the
// line, and a final line feed starts no new line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  return lines;
}

}  // namespace

std::optional<Picture> RenderText(const std::string& gbkText, const platform::LogFont* font,
                                  uint32_t textColour) {
  const std::vector<std::string_view> lines = SplitLines(gbkText);
  if (lines.empty()) return std::nullopt;
  textColour &= 0xFFFFFF;
  auto realised = platform::CreateFont(font ? *font : platform::DefaultGuiFont());

  platform::Surface scratch(1, 1);
  platform::DC measure(&scratch);
  measure.SelectFont(realised);
  std::vector<int> tops;
  int width = 0, height = 0;
  for (std::string_view line : lines) {
    platform::Point extent = measure.GetTextExtent(line);
    if (extent.y <= 0) extent.y = measure.GetTextExtent(" ").y;  // an empty line keeps its height
    if (!tops.empty()) height += kLineGap;
    tops.push_back(height);
    height += extent.y;
    width = std::max(width, extent.x);
  }
  if (width <= 0 || height <= 0) return std::nullopt;

  const platform::COLORREF background = textColour == kWhite ? kBlack : kWhite;
  const uint32_t backgroundPixel = platform::ToPixel(background);
  PictureFrame frame;
  frame.pixels = platform::Surface(width, height, backgroundPixel);
  {
    platform::DC dc(&frame.pixels);
    dc.SelectFont(realised);
    dc.SetBkMode(platform::TRANSPARENT);
    dc.SetTextColor(textColour);
    for (size_t i = 0; i < lines.size(); ++i) dc.TextOut(0, tops[i], lines[i]);
  }
  // No anti-aliasing survives: every touched pixel takes the text colour, opaque.
  const uint32_t ink = platform::ToPixel(textColour) & 0x00FFFFFFu;
  const uint32_t paper = backgroundPixel & 0x00FFFFFFu;
  uint32_t* px = frame.pixels.Data();
  const size_t count = size_t(width) * size_t(height);
  for (size_t i = 0; i < count; ++i) px[i] = (px[i] & 0x00FFFFFFu) == paper ? paper : ink;
  frame.key = background;

  Picture p;
  p.width = width;
  p.height = height;
  p.frames.push_back(std::move(frame));
  return p;
}

}  // namespace stage
