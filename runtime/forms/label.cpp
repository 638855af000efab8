#include "runtime/forms/label.h"

#include <algorithm>
#include <optional>

#include "platform/draw.h"
#include "platform/text.h"
#include "platform/window.h"
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

constexpr int32_t LabelSettings::*kReserved[] = {
    &LabelSettings::reserved10, &LabelSettings::reserved11, &LabelSettings::reserved12,
    &LabelSettings::reserved13, &LabelSettings::reserved14, &LabelSettings::reserved15};
static_assert(std::size(kReserved) == kLabelReserved6 - kLabelReserved1 + 1);

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
    const LabelSettings& s = settings_;
    switch (i) {
      case kLabelCaption: v.text = s.text; break;
      case kLabelBorder: v.i = s.border; break;
      case kLabelTextColour: v.i = s.textColour; break;
      case kLabelBackColour: v.i = s.backColour; break;
      case kLabelTransparent: v.i = s.transparent != 0; break;
      case kLabelAlignment: v.i = s.alignment; break;
      case kLabelVerticalAlignment: v.i = s.verticalAlignment; break;
      case kLabelWordWrap: v.i = s.wordWrap != 0; break;
      case kLabelPicture: v.bytes = s.picture; break;
      case kLabelPicDrawMode: v.i = s.picDrawMode; break;
      case kLabelFont: {
        platform::LogFont lf;
        if (platform::LogFontFromBytes(s.font.data(), s.font.size(), lf)) {
          v.font = FontFromLogFont(lf);
          v.hasFont = true;
        }
        break;
      }
      case kLabelMargin: v.i = s.margin; break;
      case kLabelLineSpacing: v.i = s.lineSpacing; break;
      case kLabelText2: v.text = s.text2; break;
      case kLabelText3: v.text = s.text3; break;
      default:
        if (i >= kLabelReserved1 && i <= kLabelReserved6) v.i = s.*kReserved[i - kLabelReserved1];
        break;
    }
    return v;
  }

  bool WriteProperty(int i, const PropValue& v) override {
    LabelSettings& s = settings_;
    int32_t n = int32_t(v.i);
    switch (i) {
      case kLabelCaption: s.text = v.text; break;
      case kLabelBorder: s.border = std::clamp(n, 0, 5); break;
      case kLabelTextColour: s.textColour = uint32_t(n); break;
      case kLabelBackColour: s.backColour = uint32_t(n); break;
      case kLabelTransparent: s.transparent = n != 0; break;
      case kLabelAlignment: s.alignment = std::clamp(n, 0, 2); break;
      case kLabelVerticalAlignment: s.verticalAlignment = std::clamp(n, 0, 2); break;
      case kLabelWordWrap: s.wordWrap = n != 0; break;
      case kLabelPicture: s.picture = v.bytes; DecodePicture(); break;
      case kLabelPicDrawMode: s.picDrawMode = std::clamp(n, 0, 3); break;
      case kLabelFont: {
        s.font.clear();
        if (v.hasFont) s.font = platform::LogFontToBytes(LogFontFromFont(v.font));
        break;
      }
      case kLabelMargin: s.margin = std::max(n, 0); break;
      case kLabelLineSpacing: s.lineSpacing = n; break;
      case kLabelText2: s.text2 = v.text; break;
      case kLabelText3: s.text3 = v.text; break;
      default:
        if (i >= kLabelReserved1 && i <= kLabelReserved6) s.*kReserved[i - kLabelReserved1] = n;
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
    if (settings_.transparent && parent) {
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
    const LabelSettings& s = settings_;
    Rect client = platform::GetClientRect(h);
    COLORREF back = s.backColour;
    if (back == kDefaultColour) back = platform::GetSysColor(platform::COLOR_BTNFACE);
    if (!s.transparent) dc->FillSolid(client, back & 0xFFFFFF);
    if (picture_) DrawPicture(*dc, *picture_, client, s.picDrawMode);
    int inset = DrawBorder(*dc, client, s.border) + std::max(0, s.margin);
    DrawText(*dc, Shrink(client, inset), platform::IsWindowEnabled(h));
    platform::EndPaint(h, &ps);
  }

  void DrawText(DC& dc, const Rect& area, bool enabled) {
    const LabelSettings& s = settings_;
    const platform::LogFont lf = platform::LogFontOrDefault(settings_.font);
    dc.SelectFont(platform::CreateFont(lf));
    COLORREF colour = s.textColour;
    if (colour == kDefaultColour) colour = platform::GetSysColor(platform::COLOR_WINDOWTEXT);
    dc.SetTextColor(enabled ? colour & 0xFFFFFF : kShadow);
    dc.SetBkMode(platform::TRANSPARENT);

    std::string text = StripMnemonics(settings_.text);
    auto lines = LayoutLines(dc, text, area.Width(), s.wordWrap != 0);
    int lineHeight = dc.GetTextExtent("Ag").y + s.lineSpacing;
    int total = lineHeight * int(lines.size()) - s.lineSpacing;
    int y = area.top;
    if (s.verticalAlignment == 1) y += (area.Height() - total) / 2;
    if (s.verticalAlignment == 2) y += area.Height() - total;
    for (const auto& line : lines) {
      int w = dc.GetTextExtent(line).x;
      int x = area.left;
      if (s.alignment == 1) x += (area.Width() - w) / 2;
      if (s.alignment == 2) x += area.Width() - w;
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

const FieldTable<LabelSettings>& LabelFields() {
  using K = FieldKind;
  using S = LabelSettings;
  static const FieldTable<S> table(
      {"Label", kLabelTypeCode, 2, kUnitVisible, CutShort::KeepsWhatWasRead},
      {{"Border", K::Int, kLabelBorder, kPropChoice, &S::border},
       {"TextColor", K::Colour, kLabelTextColour, kPropColour, &S::textColour},
       {"BackColor", K::Colour, kLabelBackColour, kPropColour, &S::backColour},
       {"Alignment", K::Int, kLabelAlignment, kPropChoice, &S::alignment},
       {"VerticalAlignment", K::Int, kLabelVerticalAlignment, kPropChoice, &S::verticalAlignment},
       {"WordWrap", K::Bool, kLabelWordWrap, kPropBool, &S::wordWrap},
       {"Transparent", K::Bool, kLabelTransparent, kPropBool, &S::transparent},
       {"PicDrawMode", K::Int, kLabelPicDrawMode, kPropChoice, &S::picDrawMode},
       {"Margin", K::Int, kLabelMargin, kPropInt, &S::margin},
       {"LineSpacing", K::Int, kLabelLineSpacing, kPropInt, &S::lineSpacing},
       {"Reserved10", K::Int, kLabelReserved1, kPropInt, &S::reserved10},
       {"Reserved11", K::Int, kLabelReserved1 + 1, kPropInt, &S::reserved11},
       {"Reserved12", K::Int, kLabelReserved1 + 2, kPropInt, &S::reserved12},
       {"Reserved13", K::Int, kLabelReserved1 + 3, kPropInt, &S::reserved13},
       {"Reserved14", K::Int, kLabelReserved1 + 4, kPropInt, &S::reserved14},
       {"Reserved15", K::Int, kLabelReserved6, kPropInt, &S::reserved15},
       {"Picture", K::Bytes, kLabelPicture, kPropPicture, &S::picture},
       {"Font", K::Font, kLabelFont, kPropFont, &S::font},
       {"Caption", K::Text, kLabelCaption, kPropText, &S::text},
       {"Text2", K::Text, kLabelText2, kPropText, &S::text2},
       {"Text3", K::Text, kLabelText3, kPropText, &S::text3}});
  return table;
}

std::optional<LabelSettings> ParseLabelBlock(std::span<const uint8_t> block) {
  return LabelFields().ReadSettings(block);
}

std::vector<uint8_t> EncodeLabelBlock(const LabelSettings& s) { return LabelFields().Write(s); }

UnitType LabelUnitType() {
  UnitType t = UnitTypeOf(LabelFields().Facts());
  t.displayName = platform::gbk("标签");
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent;
  t.create = CreateLabel;
  return t;
}

void RegisterFormUnitTypes() {
  RegisterUnitType(LabelUnitType());
  RegisterUnitType(TimerUnitType());
}

}  // namespace rt
