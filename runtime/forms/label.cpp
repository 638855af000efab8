#include "runtime/forms/label.h"

#include <algorithm>
#include <optional>

#include "platform/draw.h"
#include "platform/text.h"
#include "platform/window.h"
#include "platform/byte_reader.h"
#include "runtime/forms/font_value.h"
#include "runtime/forms/runtime.h"
#include "runtime/forms/text_layout.h"
#include "runtime/forms/timer.h"
#include "runtime/pictures/picture_loader.h"

namespace rt {

using platform::COLORREF;
using platform::DC;
using platform::Rect;

namespace {

constexpr COLORREF kDefaultColour = 0xFF000000;
constexpr COLORREF kShadow = 0x808080, kHighlight = 0xFFFFFF, kDarkShadow = 0x404040;

void Line(DC& dc, int x0, int y0, int x1, int y1, COLORREF c) {
  dc.SelectPen({platform::PS_SOLID, 1, c});
  dc.MoveTo(x0, y0);
  dc.LineTo(x1, y1);
}

// One bevel: `topLeft` along the top and left edges, `bottomRight` along the others.
void Bevel(DC& dc, const Rect& r, COLORREF topLeft, COLORREF bottomRight) {
  Line(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
  Line(dc, r.left, r.top, r.right - 1, r.top, topLeft);
  Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
  Line(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, bottomRight);
}

Rect Shrink(const Rect& r, int n) { return {r.left + n, r.top + n, r.right - n, r.bottom - n}; }

// Draws the border and returns its width.
int DrawBorder(DC& dc, const Rect& r, int border) {
  switch (border) {
    case 1: Bevel(dc, r, kShadow, kHighlight); Bevel(dc, Shrink(r, 1), kDarkShadow, 0xE0E0E0); return 2;
    case 2: Bevel(dc, r, 0xE0E0E0, kDarkShadow); Bevel(dc, Shrink(r, 1), kHighlight, kShadow); return 2;
    case 3: Bevel(dc, r, kShadow, kHighlight); return 1;
    case 4: Bevel(dc, r, kShadow, kHighlight); Bevel(dc, Shrink(r, 1), kHighlight, kShadow); return 2;
    case 5: Bevel(dc, r, 0, 0); return 1;
    default: return 0;
  }
}

void DrawPicture(DC& dc, const platform::Surface& pic, const Rect& area, int mode) {
  int w = pic.Width(), h = pic.Height();
  switch (mode) {
    case 1:
      dc.StretchBlt(area.left, area.top, area.Width(), area.Height(), pic, 0, 0, w, h,
                    platform::STRETCH_SMOOTH);
      break;
    case 2:
      dc.BitBlt(area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2, w, h, pic, 0, 0);
      break;
    case 3:
      for (int y = area.top; y < area.bottom; y += h)
        for (int x = area.left; x < area.right; x += w) dc.BitBlt(x, y, w, h, pic, 0, 0);
      break;
    default:
      dc.BitBlt(area.left, area.top, w, h, pic, 0, 0);
      break;
  }
}

class LabelUnit : public Component {
 public:
  explicit LabelUnit(LabelSettings s) : settings_(std::move(s)) { DecodePicture(); }
  ~LabelUnit() override {
    if (hwnd_ && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
  }

  bool Create(const CreateInfo& ci) {
    platform::CreateWindowParams p;
    p.parent = ci.parent;
    p.rect = ci.rect;
    p.style = platform::WS_CHILD;
    if (ci.flags & 2) p.style |= platform::WS_DISABLED;
    if (ci.flags & 4) p.style |= platform::WS_TABSTOP;
    p.childId = ci.childNumber;
    p.proc = [this](platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
      if (msg == platform::WM_PAINT) {
        Paint(h);
        return int64_t(0);
      }
      if (msg == platform::WM_ENABLE) platform::InvalidateRect(h, nullptr);
      return platform::DefWindowProc(h, msg, wParam, lParam);
    };
    hwnd_ = platform::CreateWindow(p);
    return hwnd_ != 0;
  }

  platform::HWND Hwnd() const override { return hwnd_; }
  std::string Caption() const override { return settings_.text; }

  PropValue ReadProperty(int i) override {
    PropValue v;
    auto& s = settings_.values;
    switch (i) {
      case kLabelCaption: v.text = settings_.text; break;
      case kLabelBorder: v.i = s[LabelSettings::kBorder]; break;
      case kLabelTextColour: v.i = uint32_t(s[LabelSettings::kTextColour]); break;
      case kLabelBackColour: v.i = uint32_t(s[LabelSettings::kBackColour]); break;
      case kLabelTransparent: v.i = s[LabelSettings::kTransparent] != 0; break;
      case kLabelAlignment: v.i = s[LabelSettings::kAlignment]; break;
      case kLabelVerticalAlignment: v.i = s[LabelSettings::kVerticalAlignment]; break;
      case kLabelWordWrap: v.i = s[LabelSettings::kWordWrap] != 0; break;
      case kLabelPicture: v.bytes = settings_.picture; break;
      case kLabelPicDrawMode: v.i = s[LabelSettings::kPicDrawMode]; break;
      case kLabelFont: {
        platform::LogFont lf;
        if (platform::LogFontFromBytes(settings_.font.data(), settings_.font.size(), lf)) {
          v.font = FontFromLogFont(lf);
          v.hasFont = true;
        }
        break;
      }
      case kLabelMargin: v.i = s[LabelSettings::kMargin]; break;
      case kLabelLineSpacing: v.i = s[LabelSettings::kLineSpacing]; break;
      case kLabelText2: v.text = settings_.text2; break;
      case kLabelText3: v.text = settings_.text3; break;
      default:
        if (i >= kLabelReserved1 && i <= kLabelReserved6) v.i = s[size_t(10 + i - kLabelReserved1)];
        break;
    }
    return v;
  }

  bool WriteProperty(int i, const PropValue& v) override {
    auto& s = settings_.values;
    int32_t n = int32_t(v.i);
    switch (i) {
      case kLabelCaption: settings_.text = v.text; break;
      case kLabelBorder: s[LabelSettings::kBorder] = std::clamp(n, 0, 5); break;
      case kLabelTextColour: s[LabelSettings::kTextColour] = n; break;
      case kLabelBackColour: s[LabelSettings::kBackColour] = n; break;
      case kLabelTransparent: s[LabelSettings::kTransparent] = n != 0; break;
      case kLabelAlignment: s[LabelSettings::kAlignment] = std::clamp(n, 0, 2); break;
      case kLabelVerticalAlignment: s[LabelSettings::kVerticalAlignment] = std::clamp(n, 0, 2); break;
      case kLabelWordWrap: s[LabelSettings::kWordWrap] = n != 0; break;
      case kLabelPicture: settings_.picture = v.bytes; DecodePicture(); break;
      case kLabelPicDrawMode: s[LabelSettings::kPicDrawMode] = std::clamp(n, 0, 3); break;
      case kLabelFont: {
        settings_.font.clear();
        if (v.hasFont) settings_.font = platform::LogFontToBytes(LogFontFromFont(v.font));
        break;
      }
      case kLabelMargin: s[LabelSettings::kMargin] = std::max(n, 0); break;
      case kLabelLineSpacing: s[LabelSettings::kLineSpacing] = n; break;
      case kLabelText2: settings_.text2 = v.text; break;
      case kLabelText3: settings_.text3 = v.text; break;
      default:
        if (i >= kLabelReserved1 && i <= kLabelReserved6) s[size_t(10 + i - kLabelReserved1)] = n;
        else return false;
        break;
    }
    Repaint();
    return false;
  }

 private:
  // A transparent label shows what lies under it, so that has to be painted again too.
  void Repaint() {
    if (!platform::IsWindow(hwnd_)) return;
    platform::HWND parent = platform::GetParent(hwnd_);
    if (settings_.values[LabelSettings::kTransparent] && parent) {
      platform::Rect r = platform::GetRectInParent(hwnd_);
      platform::InvalidateRect(parent, &r);
    }
    platform::InvalidateRect(hwnd_, nullptr);
  }

  void DecodePicture() {
    picture_.reset();
    if (!settings_.picture.empty()) picture_ = LoadPicture(settings_.picture);
  }

  void Paint(platform::HWND h) {
    platform::PaintStruct ps;
    DC* dc = platform::BeginPaint(h, &ps);
    if (!dc) return;
    const auto& s = settings_.values;
    Rect client = platform::GetClientRect(h);
    COLORREF back = uint32_t(s[LabelSettings::kBackColour]);
    if (back == kDefaultColour) back = platform::GetSysColor(platform::COLOR_BTNFACE);
    if (!s[LabelSettings::kTransparent]) dc->FillSolid(client, back & 0xFFFFFF);
    if (picture_) DrawPicture(*dc, *picture_, client, s[LabelSettings::kPicDrawMode]);
    int inset = DrawBorder(*dc, client, s[LabelSettings::kBorder]) + std::max(0, s[LabelSettings::kMargin]);
    DrawText(*dc, Shrink(client, inset), platform::IsWindowEnabled(h));
    platform::EndPaint(h, &ps);
  }

  void DrawText(DC& dc, const Rect& area, bool enabled) {
    const auto& s = settings_.values;
    const platform::LogFont lf = platform::LogFontOrDefault(settings_.font);
    dc.SelectFont(platform::CreateFont(lf));
    COLORREF colour = uint32_t(s[LabelSettings::kTextColour]);
    if (colour == kDefaultColour) colour = platform::GetSysColor(platform::COLOR_WINDOWTEXT);
    dc.SetTextColor(enabled ? colour & 0xFFFFFF : kShadow);
    dc.SetBkMode(platform::TRANSPARENT);

    std::string text = StripMnemonics(settings_.text);
    auto lines = LayoutLines(dc, text, area.Width(), s[LabelSettings::kWordWrap] != 0);
    int lineHeight = dc.GetTextExtent("Ag").y + s[LabelSettings::kLineSpacing];
    int total = lineHeight * int(lines.size()) - s[LabelSettings::kLineSpacing];
    int y = area.top;
    if (s[LabelSettings::kVerticalAlignment] == 1) y += (area.Height() - total) / 2;
    if (s[LabelSettings::kVerticalAlignment] == 2) y += area.Height() - total;
    for (const auto& line : lines) {
      int w = dc.GetTextExtent(line).x;
      int x = area.left;
      if (s[LabelSettings::kAlignment] == 1) x += (area.Width() - w) / 2;
      if (s[LabelSettings::kAlignment] == 2) x += area.Width() - w;
      dc.TextOut(x, y, line);
      y += lineHeight;
    }
  }

  LabelSettings settings_;
  std::optional<platform::Surface> picture_;
  platform::HWND hwnd_ = 0;
};

std::unique_ptr<Component> CreateLabel(const CreateInfo& ci) {
  auto settings = ParseLabelBlock(ci.ownBlock);
  if (!settings) return nullptr;
  auto label = std::make_unique<LabelUnit>(std::move(*settings));
  if (!label->Create(ci)) return nullptr;
  return label;
}

}  // namespace

std::optional<LabelSettings> ParseLabelBlock(std::span<const uint8_t> block) {
  LabelSettings s;
  if (block.empty()) return s;
  platform::ByteReader r(block);
  uint32_t version = r.U32Le();
  if (!r.Ok() || version > 2) return std::nullopt;
  // Fields missing at the end (older or shortened blocks) keep their defaults.
  for (auto& v : s.values) {
    int32_t x = r.I32Le();
    if (!r.Ok()) return s;
    v = x;
  }
  auto take = [&](auto& field) {
    auto b = r.LengthPrefixed();
    if (r.Ok()) field.assign(b.begin(), b.end());
    return r.Ok();
  };
  take(s.picture) && take(s.font) && take(s.text) && take(s.text2) && take(s.text3);
  return s;
}

std::vector<uint8_t> EncodeLabelBlock(const LabelSettings& s) {
  platform::ByteWriter w;
  w.U32Le(2);
  for (int32_t v : s.values) w.I32Le(v);
  w.LengthPrefixed(s.picture);
  w.LengthPrefixed(s.font);
  w.LengthPrefixedText(s.text);
  w.LengthPrefixedText(s.text2);
  w.LengthPrefixedText(s.text3);
  return std::move(w.Data());
}

UnitType LabelUnitType() {
  UnitType t;
  t.displayName = platform::gbk("标签");
  t.englishName = "Label";
  t.typeCode = kLabelTypeCode;
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent;
  t.create = CreateLabel;
  t.properties = PropertyTable({kPropText, kPropChoice, kPropColour, kPropColour, kPropBool,
                                kPropChoice, kPropChoice, kPropBool, kPropPicture, kPropChoice,
                                kPropFont, kPropInt, kPropInt, kPropInt, kPropInt, kPropInt,
                                kPropInt, kPropInt, kPropInt, kPropText, kPropText});
  return t;
}

void RegisterFormUnitTypes() {
  RegisterUnitType(LabelUnitType());
  RegisterUnitType(TimerUnitType());
}

}  // namespace rt
