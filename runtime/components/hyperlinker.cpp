#include "runtime/components/hyperlinker.h"

#include <memory>

#include "platform/draw.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/font_value.h"
#include "runtime/forms/runtime.h"

namespace rt {

namespace {

constexpr uint32_t kDefaultColour = 0xFF000000;

class HyperLinkerUnit : public Component {
 public:
  explicit HyperLinkerUnit(HyperLinkerSettings s) : settings_(std::move(s)) {}
  ~HyperLinkerUnit() override {
    if (hwnd_ && platform::IsWindow(hwnd_)) {
      if (platform::GetCapture() == hwnd_) platform::ReleaseCapture();
      platform::DestroyWindow(hwnd_);
    }
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
      return Proc(h, msg, wParam, lParam);
    };
    hwnd_ = platform::CreateWindow(p);
    return hwnd_ != 0;
  }

  platform::HWND Hwnd() const override { return hwnd_; }
  std::string Caption() const override { return settings_.caption; }
  bool HasDefaultAction() const override { return true; }
  void DefaultAction() override { Activate(); }

  PropValue ReadProperty(int i) override {
    PropValue v;
    switch (i) {
      case kLinkType: v.i = settings_.linkType; break;
      case kLinkNormalColour: v.i = settings_.normalColour; break;
      case kLinkVisitedColour: v.i = settings_.visitedColour; break;
      case kLinkHoverColour: v.i = settings_.hoverColour; break;
      case kLinkBackColour: v.i = settings_.backColour; break;
      case kLinkSelection: v.i = settings_.selection; break;
      case kLinkFont: {
        platform::LogFont lf;
        if (platform::LogFontFromBytes(settings_.font.data(), settings_.font.size(), lf)) {
          v.font = FontFromLogFont(lf);
          v.hasFont = true;
        }
        break;
      }
      case kLinkCaption: v.text = settings_.caption; break;
      case kLinkMailAddress: v.text = settings_.mailAddress; break;
      case kLinkWebAddress: v.text = settings_.webAddress; break;
    }
    return v;
  }

  bool WriteProperty(int i, const PropValue& v) override {
    switch (i) {
      case kLinkType: settings_.linkType = int32_t(v.i); break;
      case kLinkNormalColour: settings_.normalColour = uint32_t(v.i); break;
      case kLinkVisitedColour: settings_.visitedColour = uint32_t(v.i); break;
      case kLinkHoverColour: settings_.hoverColour = uint32_t(v.i); break;
      case kLinkBackColour: settings_.backColour = uint32_t(v.i); break;
      case kLinkSelection: settings_.selection = int32_t(v.i); break;
      case kLinkFont: {
        settings_.font.clear();
        if (v.hasFont) settings_.font = platform::LogFontToBytes(LogFontFromFont(v.font));
        break;
      }
      case kLinkCaption: settings_.caption = v.text; break;
      case kLinkMailAddress: settings_.mailAddress = v.text; break;
      case kLinkWebAddress: settings_.webAddress = v.text; break;
      default: return false;
    }
    Repaint();
    return false;
  }

 private:
  void Repaint() {
    if (platform::IsWindow(hwnd_)) platform::InvalidateRect(hwnd_, nullptr);
  }

  void Activate() {
    std::string target = LinkTarget(settings_);
    if (target.empty()) return;
    std::string utf8 = platform::GbkToUtf8(target);
    bool started = platform::OpenWithDesktop(utf8);
    if (!started) {
      std::string command = HtmFallbackCommand(platform::HtmOpenCommand(), utf8);
      started = !command.empty() && platform::RunCommandLine(command);
    }
    if (started) {
      visited_ = true;
      Repaint();
    }
  }

  void SetHover(platform::HWND h, bool hover) {
    if (hover == hovered_) return;
    hovered_ = hover;
    if (hover) platform::SetCapture(h);
    else if (platform::GetCapture() == h) platform::ReleaseCapture();
    Repaint();
  }

  int64_t Proc(platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
    switch (msg) {
      case platform::WM_PAINT:
        Paint(h);
        return 0;
      case platform::WM_MOUSEMOVE: {
        platform::Point p{platform::LParamX(lParam), platform::LParamY(lParam)};
        SetHover(h, platform::GetClientRect(h).Contains(p));
        return 0;
      }
      case platform::WM_CAPTURECHANGED:
        if (hovered_ && platform::GetCapture() != h) {
          hovered_ = false;
          Repaint();
        }
        return 0;
      case platform::WM_LBUTTONDOWN:
        pressed_ = true;
        return 0;
      case platform::WM_LBUTTONUP: {
        platform::Point p{platform::LParamX(lParam), platform::LParamY(lParam)};
        bool click = pressed_ && platform::GetClientRect(h).Contains(p);
        pressed_ = false;
        if (click) Activate();
        return 0;
      }
      default:
        return platform::DefWindowProc(h, msg, wParam, lParam);
    }
  }

  void Paint(platform::HWND h) {
    platform::PaintStruct ps;
    platform::DC* dc = platform::BeginPaint(h, &ps);
    if (!dc) return;
    platform::Rect client = platform::GetClientRect(h);
    uint32_t back = settings_.backColour == kDefaultColour
                        ? platform::GetSysColor(platform::COLOR_BTNFACE)
                        : settings_.backColour & 0xFFFFFF;
    dc->FillSolid(client, back);

    std::string text = settings_.caption.empty() ? Address() : settings_.caption;
    const platform::LogFont lf = platform::LogFontOrDefault(settings_.font);
    dc->SelectFont(platform::CreateFont(lf));
    uint32_t colour = hovered_ ? settings_.hoverColour : visited_ ? settings_.visitedColour
                                                                  : settings_.normalColour;
    dc->SetTextColor(colour & 0xFFFFFF);
    dc->SetBkMode(platform::TRANSPARENT);
    // One line, centred both ways and not clipped to the text's own box; '&' is shown.
    platform::Point size = dc->GetTextExtent(text);
    dc->TextOut((client.Width() - size.x) / 2, (client.Height() - size.y) / 2, text);
    platform::EndPaint(h, &ps);
  }

  std::string Address() const {
    return settings_.linkType <= 0 ? settings_.mailAddress : settings_.webAddress;
  }

  HyperLinkerSettings settings_;
  platform::HWND hwnd_ = 0;
  bool hovered_ = false, visited_ = false, pressed_ = false;
};

std::unique_ptr<Component> CreateHyperLinker(const CreateInfo& ci) {
  auto settings = ParseHyperLinkerBlock(ci.ownBlock);
  if (!settings) return nullptr;
  auto unit = std::make_unique<HyperLinkerUnit>(std::move(*settings));
  if (!unit->Create(ci)) return nullptr;
  return unit;
}

}  // namespace

std::string LinkTarget(const HyperLinkerSettings& s) {
  if (s.linkType >= 1) return s.webAddress;
  if (s.mailAddress.empty()) return {};
  return "mailto:" + s.mailAddress;
}

std::string HtmFallbackCommand(const std::string& registered, const std::string& target) {
  if (registered.empty() || target.empty()) return {};
  std::string command = registered;
  size_t p = command.find("%1");
  if (p != std::string::npos) {
    bool quoted = p > 0 && command[p - 1] == '"' && p + 2 < command.size() && command[p + 2] == '"';
    command.erase(quoted ? p - 1 : p);
  }
  while (!command.empty() && command.back() == ' ') command.pop_back();
  if (command.empty()) return {};
  return command + " " + target;
}

const FieldTable<HyperLinkerSettings>& HyperLinkerFields() {
  using K = FieldKind;
  using S = HyperLinkerSettings;
  static const FieldTable<S> table(
      {"HyperLinker", kHyperLinkerTypeCode, 1, kUnitVisible, CutShort::KeepsWhatWasRead},
      {{"LinkType", K::Int, kLinkType, kPropChoice, &S::linkType},
       {"NormalColor", K::Colour, kLinkNormalColour, kPropColour, &S::normalColour},
       {"VisitedColor", K::Colour, kLinkVisitedColour, kPropColour, &S::visitedColour},
       {"HoverColor", K::Colour, kLinkHoverColour, kPropColour, &S::hoverColour},
       {"BackColor", K::Colour, kLinkBackColour, kPropColour, &S::backColour},
       {"Selection", K::Int, kLinkSelection, kPropInt, &S::selection},
       {"Font", K::Font, kLinkFont, kPropFont, &S::font},
       {"Caption", K::Text, kLinkCaption, kPropText, &S::caption},
       {"MailAddress", K::Text, kLinkMailAddress, kPropText, &S::mailAddress},
       {"WebAddress", K::Text, kLinkWebAddress, kPropText, &S::webAddress}});
  return table;
}

std::optional<HyperLinkerSettings> ParseHyperLinkerBlock(std::span<const uint8_t> block) {
  return HyperLinkerFields().ReadSettings(block);
}

std::vector<uint8_t> EncodeHyperLinkerBlock(const HyperLinkerSettings& s) {
  return HyperLinkerFields().Write(s);
}

UnitType HyperLinkerUnitType() {
  UnitType t = UnitTypeOf(HyperLinkerFields().Facts());
  t.displayName = platform::gbk("超级链接框");
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent;
  t.create = CreateHyperLinker;
  return t;
}

}  // namespace rt
