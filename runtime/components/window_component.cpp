#include "runtime/components/window_component.h"

#include <algorithm>
#include <memory>

#include "platform/draw.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/runtime.h"
#include "runtime/pictures/picture_loader.h"
#include "runtime/sound/sound.h"

namespace rt {

namespace {

constexpr uint32_t kDefaultColour = 0xFF000000;
constexpr int kFrameWidth = 2, kEdgeWidth = 2, kCaptionHeight = 20, kToolCaptionHeight = 16;

bool IsToolFrame(int border) { return border == 3 || border == 4; }
bool IsResizable(int border) { return border == 1 || border == 3 || border == 5; }

class WindowUnit : public Component {
 public:
  WindowUnit(const CreateInfo& ci, WindowSettings s) : windowId_(ci.windowId), settings_(std::move(s)) {
    UpdateKeySettings();
    DecodePicture();
  }
  ~WindowUnit() override {
    StopMusic();
    if (hwnd_ && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
  }

  bool Create(const CreateInfo& ci) {
    platform::CreateWindowParams p;
    p.title = platform::GbkToUtf8(settings_.caption);
    p.rect = ClientRectFor(ci.rect);
    p.style = WindowStyleFor(settings_);
    if (ci.flags & 2) p.style |= platform::WS_DISABLED;
    if (ci.flags & 1) p.style |= platform::WS_VISIBLE;
    p.proc = [this](platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
      return Proc(h, msg, wParam, lParam);
    };
    hwnd_ = platform::CreateWindow(p);
    if (!hwnd_) return false;
    // The desktop may have adjusted the size; the stored outer size wins.
    if (platform::GetRectInParent(hwnd_) != p.rect) platform::MoveWindow(hwnd_, p.rect, false);
    StartMusic();  // before the window's Created event, as the form is being loaded
    return true;
  }

  platform::HWND Hwnd() const override { return hwnd_; }
  const FormKeySettings* KeySettings() const override { return &keys_; }
  std::string Caption() const override { return settings_.caption; }
  platform::Rect FrameInsets() const override { return rt::FrameInsets(settings_); }

  PropValue ReadProperty(int i) override;
  bool WriteProperty(int i, const PropValue& v) override;

 private:
  // The stored rectangle is the outer one; the desktop places client areas.
  platform::Rect ClientRectFor(const platform::Rect& outer) const {
    platform::Rect in = rt::FrameInsets(settings_);
    int w = std::max(0, outer.Width() - in.left - in.right);
    int h = std::max(0, outer.Height() - in.top - in.bottom);
    int x = outer.left, y = outer.top;
    if (settings_.startPosition == 1) {
      platform::Rect screen = platform::GetScreenRect();
      x = screen.left + (screen.Width() - outer.Width()) / 2;
      y = screen.top + (screen.Height() - outer.Height()) / 2;
    }
    return {x + in.left, y + in.top, x + in.left + w, y + in.top + h};
  }

  void UpdateKeySettings() {
    keys_.enterMovesFocus = settings_.enterMovesFocus != 0;
    keys_.escCloses = settings_.escCloses != 0;
    keys_.f1OpensHelp = settings_.f1Help != 0;
    keys_.helpFile = settings_.helpFile;
  }

  void DecodePicture() {
    picture_.reset();
    if (!settings_.backPicture.empty()) picture_ = LoadPicture(settings_.backPicture);
  }

  void StartMusic() {
    StopMusic();
    if (settings_.music.empty() || (settings_.musicPlayMode != 0 && settings_.musicPlayMode != 1)) return;
    bool loop = settings_.musicPlayMode == 0;
    if (!midi_) midi_ = std::make_unique<MidiPlayer>();
    if (midi_->Play(settings_.music, loop)) return;
    waveStarted_ = PlayWave(settings_.music, loop ? 1 : 0);
  }

  void StopMusic() {
    if (midi_) midi_->Stop();
    // FIXME: WAVE sounds cannot be stopped one by one; a window's WAVE music stops with
    // every other WAVE sound.
    if (waveStarted_) StopAllWaves(false);
    waveStarted_ = false;
  }

  // A close request: the window stays when it is gone after the event or the handler
  // returned 0; otherwise it is destroyed.
  void RequestClose(platform::HWND h) {
    EventRecord ev;
    ev.windowId = windowId_;
    ev.eventIndex = kEvCloseRequested;
    RaiseEvent(ev);
    if (!platform::IsWindow(h)) return;
    if (ev.resultPresent && ev.result == 0) return;
    platform::DestroyWindow(h);
  }

  int64_t Proc(platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
    switch (msg) {
      case platform::WM_CLOSE:
        RequestClose(h);
        return 0;
      case platform::WM_QUERYENDSESSION: {
        EventRecord ev;
        ev.windowId = windowId_;
        ev.eventIndex = kEvCloseRequested;
        RaiseEvent(ev);
        return (ev.resultPresent && ev.result == 0) ? 0 : 1;
      }
      case platform::WM_PAINT:
        Paint(h);
        return 0;
      case platform::WM_DESTROY: {
        StopMusic();
        uint32_t windowId = windowId_;
        hwnd_ = 0;
        WindowDestroyed(windowId);
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
    uint32_t back = settings_.backColour == kDefaultColour
                        ? platform::GetSysColor(platform::COLOR_BTNFACE)
                        : settings_.backColour & 0xFFFFFF;
    dc->FillSolid(platform::GetClientRect(h), back);
    if (picture_) dc->BitBlt(0, 0, picture_->Width(), picture_->Height(), *picture_, 0, 0);
    platform::EndPaint(h, &ps);
  }

  void Restyle() {
    if (!platform::IsWindow(hwnd_)) return;
    uint32_t keep = platform::GetStyle(hwnd_) & (platform::WS_VISIBLE | platform::WS_DISABLED);
    platform::SetStyle(hwnd_, WindowStyleFor(settings_) | keep);
  }

  uint32_t windowId_;
  WindowSettings settings_;
  FormKeySettings keys_;
  std::optional<platform::Surface> picture_;
  std::unique_ptr<MidiPlayer> midi_;
  bool waveStarted_ = false;
  platform::HWND hwnd_ = 0;
};

// Integer settings by property, in property order; nullptr for the byte and text ones.
int32_t* IntSetting(WindowSettings& s, int i) {
  switch (i) {
    case kWinBorder: return &s.borderType;
    case kWinUnused3: return &s.unused3;
    case kWinBackColour: return reinterpret_cast<int32_t*>(&s.backColour);
    case kWinMusicPlayMode: return &s.musicPlayMode;
    case kWinMaxButton: return &s.maxButton;
    case kWinMinButton: return &s.minButton;
    case kWinControlBox: return &s.controlBox;
    case kWinStartPosition: return &s.startPosition;
    case kWinMovable: return &s.movable;
    case kWinEnterMovesFocus: return &s.enterMovesFocus;
    case kWinEscCloses: return &s.escCloses;
    case kWinF1Help: return &s.f1Help;
    case kWinHelpTopic: return &s.helpTopic;
    case kWinShowInTaskBar: return &s.showInTaskBar;
    case kWinDragAnywhere: return &s.dragAnywhere;
    case kWinUnused17: return &s.unused17;
    case kWinAlwaysOnTop: return &s.alwaysOnTop;
    case kWinUnused19: return &s.unused19;
    default: return nullptr;
  }
}

PropValue WindowUnit::ReadProperty(int i) {
  PropValue v;
  if (int32_t* n = IntSetting(settings_, i)) {
    v.i = i == kWinBackColour ? int64_t(settings_.backColour) : *n;
    return v;
  }
  switch (i) {
    case kWinBackPicture: v.bytes = settings_.backPicture; break;
    case kWinIcon: v.bytes = settings_.icon; break;
    case kWinMusic: v.bytes = settings_.music; break;
    case kWinCaption: v.text = settings_.caption; break;
    case kWinClassName: v.text = settings_.className; break;
    case kWinHelpFile: v.text = settings_.helpFile; break;
  }
  return v;
}

bool WindowUnit::WriteProperty(int i, const PropValue& v) {
  if (int32_t* n = IntSetting(settings_, i)) {
    *n = int32_t(v.i);
  } else {
    switch (i) {
      case kWinBackPicture: settings_.backPicture = v.bytes; DecodePicture(); break;
      case kWinIcon: settings_.icon = v.bytes; break;
      case kWinMusic: settings_.music = v.bytes; break;
      case kWinCaption: settings_.caption = v.text; break;
      case kWinClassName: settings_.className = v.text; break;
      case kWinHelpFile: settings_.helpFile = v.text; break;
      default: return false;
    }
  }
  UpdateKeySettings();
  if (i == kWinMusic || i == kWinMusicPlayMode) StartMusic();
  if (i == kWinCaption && platform::IsWindow(hwnd_))
    platform::SetWindowTitle(hwnd_, platform::GbkToUtf8(settings_.caption));
  if (i == kWinBorder || i == kWinMaxButton || i == kWinMinButton || i == kWinControlBox ||
      i == kWinAlwaysOnTop)
    Restyle();
  if ((i == kWinBackColour || i == kWinBackPicture) && platform::IsWindow(hwnd_))
    platform::InvalidateRect(hwnd_, nullptr);
  return false;
}

std::unique_ptr<Component> CreateWindowUnit(const CreateInfo& ci) {
  auto settings = ParseWindowBlock(ci.ownBlock);
  if (!settings) return nullptr;
  auto unit = std::make_unique<WindowUnit>(ci, std::move(*settings));
  if (!unit->Create(ci)) return nullptr;
  return unit;
}

}  // namespace

uint32_t WindowStyleFor(const WindowSettings& s) {
  using namespace platform;
  uint32_t style = 0;
  int border = s.borderType;
  if (border != 0) {
    style |= WS_CAPTION | (IsResizable(border) ? WS_THICKFRAME : WS_BORDER);
    if (IsToolFrame(border)) style |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) style |= WS_EX_CLIENTEDGE;
    if (s.controlBox) {
      style |= WS_SYSMENU;
      // A tool window's caption has room for the close box only.
      if (!IsToolFrame(border)) {
        if (s.minButton) style |= WS_MINIMIZEBOX;
        if (s.maxButton) style |= WS_MAXIMIZEBOX;
      }
    }
  }
  if (s.alwaysOnTop == 1) style |= WS_EX_TOPMOST;
  return style;
}

platform::Rect FrameInsets(const WindowSettings& s) {
  int border = s.borderType;
  if (border == 0) return {0, 0, 0, 0};
  int side = kFrameWidth + ((border == 5 || border == 6) ? kEdgeWidth : 0);
  int caption = IsToolFrame(border) ? kToolCaptionHeight : kCaptionHeight;
  return {side, side + caption, side, side};
}

const FieldTable<WindowSettings>& WindowFields() {
  using K = FieldKind;
  using S = WindowSettings;
  static const FieldTable<S> table(
      {"window", kWindowTypeCode, 6, kUnitVisible, CutShort::KeepsWhatWasRead},
      {{"Border", K::Int, kWinBorder, kPropChoice, &S::borderType},
       {"Reserved3", K::Int, kWinUnused3, kPropInt, &S::unused3},
       {"BackColor", K::Colour, kWinBackColour, kPropColour, &S::backColour},
       {"MaxButton", K::Bool, kWinMaxButton, kPropBool, &S::maxButton},
       {"MinButton", K::Bool, kWinMinButton, kPropBool, &S::minButton},
       {"ControlBox", K::Bool, kWinControlBox, kPropBool, &S::controlBox},
       {"StartPosition", K::Int, kWinStartPosition, kPropChoice, &S::startPosition},
       {"Movable", K::Bool, kWinMovable, kPropBool, &S::movable},
       {"MusicPlayMode", K::Int, kWinMusicPlayMode, kPropChoice, &S::musicPlayMode},
       {"EnterMovesFocus", K::Bool, kWinEnterMovesFocus, kPropBool, &S::enterMovesFocus},
       {"EscCloses", K::Bool, kWinEscCloses, kPropBool, &S::escCloses},
       {"F1Help", K::Bool, kWinF1Help, kPropBool, &S::f1Help},
       {"HelpTopic", K::Int, kWinHelpTopic, kPropInt, &S::helpTopic},
       {"ShowInTaskBar", K::Bool, kWinShowInTaskBar, kPropBool, &S::showInTaskBar, 2},
       {"DragAnywhere", K::Bool, kWinDragAnywhere, kPropBool, &S::dragAnywhere, 3},
       {"Reserved17", K::Int, kWinUnused17, kPropInt, &S::unused17, 3},
       {"AlwaysOnTop", K::Bool, kWinAlwaysOnTop, kPropBool, &S::alwaysOnTop, 4},
       {"Reserved19", K::Int, kWinUnused19, kPropInt, &S::unused19, 5},
       {"ClassName", K::Text, kWinClassName, kPropText, &S::className, 6},
       {"BackPicture", K::Bytes, kWinBackPicture, kPropPicture, &S::backPicture},
       {"Icon", K::Bytes, kWinIcon, kPropIcon, &S::icon},
       {"Music", K::Bytes, kWinMusic, kPropMusic, &S::music},
       {"Caption", K::Text, kWinCaption, kPropText, &S::caption},
       {"HelpFile", K::Text, kWinHelpFile, kPropText, &S::helpFile}},
      {{"Created", kEvCreated}, {"CloseRequested", kEvCloseRequested}});
  return table;
}

std::optional<WindowSettings> ParseWindowBlock(std::span<const uint8_t> block) {
  auto read = WindowFields().Read(block);
  if (!read) return std::nullopt;
  read->first.version = int32_t(read->second);
  return std::move(read->first);
}

std::vector<uint8_t> EncodeWindowBlock(const WindowSettings& s) { return WindowFields().Write(s); }

UnitType WindowUnitType() {
  UnitType t = UnitTypeOf(WindowFields().Facts());
  t.displayName = platform::gbk("窗口");
  t.flags = kUnitRaisesEvents | kUnitIsWindowComponent;
  t.create = CreateWindowUnit;
  return t;
}

}  // namespace rt
