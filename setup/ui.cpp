// The installer's user interface over the platform layer's window, SDL2_ttf and fontconfig.
#include "setup/ui.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/app.h"
#include "platform/keys.h"

namespace zarn3set {
namespace {

TTF_Font* gFont = nullptr;
TTF_Font* gBold = nullptr;
constexpr int kFontSize = 12;
constexpr int kTitle = 22;  // height of a page's title bar

constexpr TColor kFace = 0x00C8D0D4;     // panels and buttons (R 212 G 208 B 200)
constexpr TColor kLight = 0x00FFFFFF;
constexpr TColor kShadow = 0x00808080;
constexpr TColor kDark = 0x00404040;
constexpr TColor kTitleBar = 0x006A240A;  // dark blue
constexpr TColor kWhite = 0x00FFFFFF;
constexpr TColor kBlack = 0x00000000;
constexpr TColor kGreyText = 0x00808080;
constexpr TColor kSelection = 0x006A240A;
constexpr TColor kBar = 0x00800000;  // navy

std::string FindFont(const char* pattern) {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  if (!p) return path;
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult result;
  FcPattern* m = FcFontMatch(nullptr, p, &result);
  if (m) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file)
      path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(m);
  }
  FcPatternDestroy(p);
  return path;
}

TTF_Font* FontOf(bool bold) { return bold && gBold ? gBold : gFont; }

// Byte offsets of the UTF-8 character boundaries before and after `i`.
std::size_t PrevChar(const std::string& s, std::size_t i) {
  if (i == 0) return 0;
  --i;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return i;
}
std::size_t NextChar(const std::string& s, std::size_t i) {
  if (i >= s.size()) return s.size();
  ++i;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  return i;
}

// The longest start of `s` (whole characters) that fits `width`; at least one character so
// that breaking a word always moves on.
std::size_t FittingBytes(const std::string& s, int width, bool bold) {
  std::size_t n = NextChar(s, 0);
  while (n < s.size() && TextWidth(s.substr(0, NextChar(s, n)), bold) <= width) n = NextChar(s, n);
  return n;
}

plat::Rect Abs(const TPage& p, plat::Rect r) { return {p.rect.x + r.x, p.rect.y + kTitle + r.y, r.w, r.h}; }
bool Inside(plat::Rect r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }
bool Focusable(const TWidget& w) {
  return w.visible && w.enabled &&
         (w.kind == TWidgetKind::Button || w.kind == TWidgetKind::CheckBox ||
          w.kind == TWidgetKind::Edit || w.kind == TWidgetKind::List);
}

// Width an edit line has for its text.
int EditRoom(const TWidget& w) { return w.rect.w - 10; }

// Keeps the caret on a character of the text and in view; answers the first byte shown (kept
// in `top` so that the view moves only as the caret leaves it).
std::size_t EditScroll(TWidget& w) {
  w.caret = std::min(w.caret, w.text.size());
  while (w.caret > 0 && (static_cast<unsigned char>(w.text[w.caret]) & 0xC0) == 0x80) --w.caret;
  std::size_t first = std::min(static_cast<std::size_t>(std::max(w.top, 0)), w.caret);
  while (first > 0 && (static_cast<unsigned char>(w.text[first]) & 0xC0) == 0x80) --first;
  while (TextWidth(w.text.substr(first, w.caret - first)) > EditRoom(w)) first = NextChar(w.text, first);
  // Text removed: show more of what lies before.
  while (first > 0 && TextWidth(w.text.substr(PrevChar(w.text, first))) <= EditRoom(w))
    first = PrevChar(w.text, first);
  w.top = static_cast<int>(first);
  return first;
}

// The dotted frame of the focused row.
void DotFrame(plat::Surface& s, plat::Rect r) {
  for (int x = r.x; x < r.x + r.w; x += 2) {
    FillRect(s, {x, r.y, 1, 1}, kDark);
    FillRect(s, {x, r.y + r.h - 1, 1, 1}, kDark);
  }
  for (int y = r.y; y < r.y + r.h; y += 2) {
    FillRect(s, {r.x, y, 1, 1}, kDark);
    FillRect(s, {r.x + r.w - 1, y, 1, 1}, kDark);
  }
}

}  // namespace

void Trace(const std::string& line) {
  static const bool on = [] {
    const char* v = std::getenv("ZARN3SET_TRACE");
    return v && *v == '1';
  }();
  if (on) {
    std::fprintf(stderr, "zarn3set: %s\n", line.c_str());
    std::fflush(stderr);
  }
}

bool UiInit(std::string* error) {
  if (gFont) return true;
  if (!TTF_WasInit() && TTF_Init() != 0) {
    if (error) *error = std::string("Cannot start the font renderer: ") + TTF_GetError();
    return false;
  }
  std::string regular = FindFont("DejaVu Sans"), bold = FindFont("DejaVu Sans:bold");
  if (regular.empty() || !(gFont = TTF_OpenFont(regular.c_str(), kFontSize))) {
    if (error) *error = "No font for the installer (install fonts-dejavu-core): " + regular;
    return false;
  }
  if (!bold.empty()) gBold = TTF_OpenFont(bold.c_str(), kFontSize);
  return true;
}

void UiShutdown() {
  if (gBold) TTF_CloseFont(gBold);
  if (gFont) TTF_CloseFont(gFont);
  gFont = gBold = nullptr;
  if (TTF_WasInit()) TTF_Quit();
  FcFini();  // the font search's configuration
}

int TextWidth(const std::string& utf8, bool bold) {
  int w = 0, h = 0;
  if (!gFont || utf8.empty()) return 0;
  TTF_SizeUTF8(FontOf(bold), utf8.c_str(), &w, &h);
  return w;
}

int LineHeight() { return gFont ? TTF_FontLineSkip(gFont) : 16; }

std::vector<std::string> WrapLines(const std::string& text, int width, bool bold) {
  std::vector<std::string> out;
  auto flush = [&](const std::string& p) {
    std::string line;
    std::size_t i = 0;
    while (i < p.size()) {
      std::size_t sp = p.find(' ', i + 1);
      if (sp == std::string::npos) sp = p.size();
      std::string word = p.substr(i, sp - i);
      if (!line.empty() && TextWidth(line + word, bold) > width) {
        out.push_back(line);
        line = word[0] == ' ' ? word.substr(1) : word;  // the blank the line broke at goes
      } else {
        line += word;
      }
      // A word wider than the line itself is broken wherever it must be.
      while (TextWidth(line, bold) > width) {
        std::size_t fit = FittingBytes(line, width, bold);
        out.push_back(line.substr(0, fit));
        line.erase(0, fit);
      }
      i = sp;
    }
    out.push_back(line);
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t nl = text.find('\n', start);
    std::string p = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!p.empty() && p.back() == '\r') p.pop_back();
    flush(p);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return out;
}

std::string ElideMiddle(const std::string& utf8, int width, bool bold) {
  if (TextWidth(utf8, bold) <= width) return utf8;
  static const std::string kDots = "…";
  // Keep as much of both ends as fits, the end (the file's own name) first when one
  // character more fits only on one side.
  std::size_t head = 0, tail = utf8.size();
  auto shown = [&](std::size_t h, std::size_t t) { return utf8.substr(0, h) + kDots + utf8.substr(t); };
  for (bool grew = true; grew;) {
    grew = false;
    std::size_t t = PrevChar(utf8, tail);
    if (t > head && TextWidth(shown(head, t), bold) <= width) tail = t, grew = true;
    std::size_t h = NextChar(utf8, head);
    if (h < tail && TextWidth(shown(h, tail), bold) <= width) head = h, grew = true;
  }
  return shown(head, tail);
}

int DrawText(plat::Surface& s, int x, int y, const std::string& utf8, TColor color, bool bold) {
  if (!gFont || utf8.empty()) return 0;
  SDL_Color white{255, 255, 255, 255};
  SDL_Surface* t = TTF_RenderUTF8_Blended(FontOf(bold), utf8.c_str(), white);
  if (!t) return 0;
  TRGB c = ColorToRgb(color);
  SDL_LockSurface(t);
  for (int ty = 0; ty < t->h; ++ty) {
    int dy = y + ty;
    if (dy < 0 || dy >= s.height) continue;
    const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(t->pixels) + ty * t->pitch);
    for (int tx = 0; tx < t->w; ++tx) {
      int dx = x + tx;
      if (dx < 0 || dx >= s.width) continue;
      std::uint32_t a = src[tx] >> 24;
      if (a == 0) continue;
      std::uint16_t& d = s.pixels[static_cast<std::size_t>(dy) * s.width + dx];
      std::uint8_t r, g, b;
      plat::UnpackColour(s.format, d, r, g, b);
      auto mix = [a](int fg, int bg) { return static_cast<std::uint8_t>((fg * a + bg * (255 - a)) / 255); };
      d = plat::PackColour(s.format, mix(c.r, r), mix(c.g, g), mix(c.b, b));
    }
  }
  int w = t->w;
  SDL_UnlockSurface(t);
  SDL_FreeSurface(t);
  return w;
}

int DrawTextBlock(plat::Surface& s, plat::Rect r, const std::string& utf8, TColor color, bool bold) {
  std::vector<std::string> lines = WrapLines(utf8, r.w, bold);
  std::size_t rows = r.h > 0 ? std::max(1, r.h / LineHeight()) : lines.size();
  if (lines.size() > rows) {
    std::size_t head = rows / 2, tail = rows - head - 1;
    std::vector<std::string> kept(lines.begin(), lines.begin() + static_cast<long>(head));
    kept.push_back("…");
    kept.insert(kept.end(), lines.end() - static_cast<long>(tail), lines.end());
    lines = std::move(kept);
  }
  int y = r.y;
  for (const std::string& line : lines) {
    DrawText(s, r.x, y, line, color, bold);
    y += LineHeight();
  }
  return y - r.y;
}

void FillRect(plat::Surface& s, plat::Rect r, TColor c) {
  std::uint16_t v = SurfaceColor(s, c);
  int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
  int x1 = std::min(s.width, r.x + r.w), y1 = std::min(s.height, r.y + r.h);
  for (int y = y0; y < y1; ++y)
    std::fill(s.pixels.begin() + static_cast<long>(y) * s.width + x0,
              s.pixels.begin() + static_cast<long>(y) * s.width + x1, v);
}

void FrameRect(plat::Surface& s, plat::Rect r, TColor light, TColor dark) {
  FillRect(s, {r.x, r.y, r.w, 1}, light);
  FillRect(s, {r.x, r.y, 1, r.h}, light);
  FillRect(s, {r.x, r.y + r.h - 1, r.w, 1}, dark);
  FillRect(s, {r.x + r.w - 1, r.y, 1, r.h}, dark);
}

// ---------------------------------------------------------------------------------------------

TWidget* TPage::Add(TWidgetKind kind, plat::Rect r, const std::string& text) {
  auto w = std::make_unique<TWidget>();
  w->kind = kind;
  w->rect = r;
  w->caption = text;
  if (kind == TWidgetKind::Picture) w->picture = std::make_unique<TRxGIFAnimator>();
  widgets.push_back(std::move(w));
  return widgets.back().get();
}

TWidget* TPage::Find(const std::string& text) {
  for (auto& w : widgets)
    if (w->caption == text) return w.get();
  return nullptr;
}

void TPage::CentreOf(const TWidget* w, int& x, int& y) const {
  plat::Rect a = Abs(*this, w->rect);
  x = a.x + a.w / 2;
  y = a.y + a.h / 2;
}

void TPage::Paint(plat::Surface& s) {
  FillRect(s, {rect.x + 4, rect.y + 4, rect.w, rect.h}, kDark);  // shadow
  FillRect(s, rect, kFace);
  FrameRect(s, rect, kLight, kDark);
  FillRect(s, {rect.x + 3, rect.y + 3, rect.w - 6, kTitle - 5}, kTitleBar);
  DrawText(s, rect.x + 8, rect.y + 3, caption, kWhite, true);
  for (int i = 0; i < static_cast<int>(widgets.size()); ++i) {
    TWidget& w = *widgets[i];
    if (!w.visible) continue;
    plat::Rect a = Abs(*this, w.rect);
    TColor text = w.enabled ? kBlack : kGreyText;
    bool focused = i == focus;
    switch (w.kind) {
      case TWidgetKind::Label:
        if (w.oneLine) DrawText(s, a.x, a.y, ElideMiddle(w.caption, a.w, w.bold), w.color, w.bold);
        else DrawTextBlock(s, a, w.caption, w.color, w.bold);
        break;
      case TWidgetKind::Button: {
        FillRect(s, a, kFace);
        FrameRect(s, a, kLight, kDark);
        if (focused) FrameRect(s, {a.x + 1, a.y + 1, a.w - 2, a.h - 2}, kDark, kDark);
        int tw = TextWidth(w.caption);
        DrawText(s, a.x + (a.w - tw) / 2, a.y + (a.h - LineHeight()) / 2, w.caption, text);
        break;
      }
      case TWidgetKind::CheckBox: {
        plat::Rect box{a.x, a.y + (a.h - 13) / 2, 13, 13};
        FillRect(s, box, w.enabled ? kWhite : kFace);
        FrameRect(s, box, kShadow, kLight);
        if (w.checked)
          for (int k = 0; k < 7; ++k) {
            FillRect(s, {box.x + 3 + k, box.y + 3 + k, 2, 2}, text);
            FillRect(s, {box.x + 9 - k, box.y + 3 + k, 2, 2}, text);
          }
        DrawText(s, a.x + 19, a.y + (a.h - LineHeight()) / 2, w.caption, text);
        if (focused) FillRect(s, {a.x + 19, a.y + a.h - 1, TextWidth(w.caption), 1}, kDark);
        break;
      }
      case TWidgetKind::Edit: {
        FillRect(s, a, kWhite);
        FrameRect(s, a, kShadow, kLight);
        std::size_t first = EditScroll(w);
        std::string shown = w.text.substr(first);
        std::size_t fit = shown.size();
        while (fit > 0 && TextWidth(shown.substr(0, fit)) > EditRoom(w)) fit = PrevChar(shown, fit);
        DrawText(s, a.x + 4, a.y + (a.h - LineHeight()) / 2, shown.substr(0, fit), text);
        if (focused) {
          int cx = a.x + 4 + TextWidth(w.text.substr(first, w.caret - first));
          FillRect(s, {cx, a.y + 3, 1, a.h - 6}, kBlack);
        }
        break;
      }
      case TWidgetKind::List: {
        FillRect(s, a, kWhite);
        FrameRect(s, a, kShadow, kLight);
        int rows = ListRows(w);
        for (int k = 0; k < rows && w.top + k < static_cast<int>(w.items.size()); ++k) {
          int idx = w.top + k;
          plat::Rect line{a.x + 2, a.y + 2 + k * LineHeight(), a.w - 4, LineHeight()};
          if (idx == w.selected) FillRect(s, line, kSelection);
          DrawText(s, line.x + 2, line.y, ElideMiddle(w.items[idx], line.w - 4),
                   idx == w.selected ? kWhite : text);
          // The row the keys move from, framed in dots while the list has the focus.
          if (focused && idx == std::max(w.selected, 0)) DotFrame(s, line);
        }
        break;
      }
      case TWidgetKind::Progress: {
        FillRect(s, a, kFace);
        FrameRect(s, a, kShadow, kLight);
        int fill = (a.w - 4) * std::clamp(w.position, 0, 100) / 100;
        FillRect(s, {a.x + 2, a.y + 2, fill, a.h - 4}, kBar);
        break;
      }
      case TWidgetKind::Picture:
        w.picture->SetBounds(a.x, a.y, a.w, a.h);
        w.picture->Paint(s);
        break;
    }
  }
}

void TPage::Activate(TWidget* w, int x, int y) {
  switch (w->kind) {
    case TWidgetKind::Button:
      if (w->onClick) w->onClick();
      break;
    case TWidgetKind::CheckBox:
      w->checked = !w->checked;
      if (w->onClick) w->onClick();
      break;
    case TWidgetKind::List: {
      plat::Rect a = Abs(*this, w->rect);
      int row = (y - a.y - 2) / LineHeight();
      int idx = w->top + row;
      if (y >= a.y + 2 && idx >= 0 && idx < static_cast<int>(w->items.size())) {
        w->selected = idx;
        if (w->onClick) w->onClick();
      }
      break;
    }
    case TWidgetKind::Edit: {
      // The caret goes to the character boundary nearest the click.
      std::size_t first = EditScroll(*w);
      int want = x - (Abs(*this, w->rect).x + 4);
      std::size_t at = first;
      while (at < w->text.size()) {
        std::size_t next = NextChar(w->text, at);
        int left = TextWidth(w->text.substr(first, at - first));
        int right = TextWidth(w->text.substr(first, next - first));
        if (want < (left + right) / 2) break;
        at = next;
      }
      w->caret = at;
      break;
    }
    default:
      break;
  }
}

void TPage::MouseDown(int x, int y) {
  for (int i = 0; i < static_cast<int>(widgets.size()); ++i) {
    TWidget* w = widgets[i].get();
    if (!w->visible || !w->enabled || !Inside(Abs(*this, w->rect), x, y)) continue;
    if (Focusable(*w)) focus = i;
    Activate(w, x, y);
    return;
  }
}

void TPage::KeyDown(int key) {
  int n = static_cast<int>(widgets.size());
  if (key == plat::vk::Tab) {
    for (int k = 1; k <= n; ++k) {
      int i = (std::max(focus, 0) + k) % n;
      if (Focusable(*widgets[i])) {
        focus = i;
        return;
      }
    }
    return;
  }
  TWidget* w = focus >= 0 && focus < n ? widgets[focus].get() : nullptr;
  if (!w) return;
  if (w->kind == TWidgetKind::Edit) {
    EditKey(*w, key);
  } else if (w->kind == TWidgetKind::List) {
    ListKey(*w, key);
  } else if ((key == plat::vk::Return || key == plat::vk::Space) &&
             (w->kind == TWidgetKind::Button || w->kind == TWidgetKind::CheckBox)) {
    Activate(w, 0, 0);
  }
}

void TPage::EditKey(TWidget& w, int key) {
  EditScroll(w);
  std::size_t before = w.text.size();
  switch (key) {
    case plat::vk::Left: w.caret = PrevChar(w.text, w.caret); break;
    case plat::vk::Right: w.caret = NextChar(w.text, w.caret); break;
    case plat::vk::Home: w.caret = 0; break;
    case plat::vk::End: w.caret = w.text.size(); break;
    case plat::vk::Back: {
      std::size_t from = PrevChar(w.text, w.caret);
      w.text.erase(from, w.caret - from);
      w.caret = from;
      break;
    }
    case plat::vk::Delete: w.text.erase(w.caret, NextChar(w.text, w.caret) - w.caret); break;
    default: return;
  }
  EditScroll(w);
  if (w.text.size() != before && w.onChange) w.onChange();
}

int TPage::ListRows(const TWidget& w) { return std::max(1, (w.rect.h - 4) / LineHeight()); }

// Keys move the selection as in any list box; Return opens the folder selected, as a double
// click would.
void TPage::ListKey(TWidget& w, int key) {
  int count = static_cast<int>(w.items.size()), rows = ListRows(w);
  if (count == 0) return;
  int to = w.selected;
  switch (key) {
    case plat::vk::Up: to = w.selected < 0 ? 0 : w.selected - 1; break;
    case plat::vk::Down: to = w.selected + 1; break;
    case plat::vk::Prior: to = std::max(w.selected, 0) - (rows - 1); break;
    case plat::vk::Next: to = std::max(w.selected, 0) + (rows - 1); break;
    case plat::vk::Home: to = 0; break;
    case plat::vk::End: to = count - 1; break;
    case plat::vk::Return:
      if (w.selected >= 0 && w.onClick) w.onClick();
      return;
    default: return;
  }
  w.selected = std::clamp(to, 0, count - 1);
  w.top = std::clamp(w.top, std::max(0, w.selected - rows + 1), w.selected);
}

void TPage::KeyPress(const std::string& utf8) {
  int n = static_cast<int>(widgets.size());
  TWidget* w = focus >= 0 && focus < n ? widgets[focus].get() : nullptr;
  if (!w || w->kind != TWidgetKind::Edit || utf8.empty() || static_cast<unsigned char>(utf8[0]) < 32) return;
  EditScroll(*w);
  w->text.insert(w->caret, utf8);
  w->caret += utf8.size();
  if (w->onChange) w->onChange();
}

// ---------------------------------------------------------------------------------------------

bool TScreen::Create(const std::string& caption, std::string* error) {
  form = plat::CreateForm(caption, kWidth, kHeight, error);
  if (!form) return false;
  plat::MaximizeForm(form);
  FitWindow();
  if (surface.pixels.empty()) {
    if (error) *error = "Cannot make the window's picture";
    return false;
  }
  background.autoSize = false;
  background.SetStretch(true);
  background.color = 0x00804000;
  // The top page takes the input until it has closed: a second click or Return that came in
  // the same pass must not step the wizard past the page that follows.
  auto taking = [this]() -> TPage* { return stack.empty() || stack.back()->modalResult ? nullptr : stack.back(); };
  form->OnMouseDown = [this, taking](plat::MouseButton b, plat::ShiftState, int x, int y) {
    if (b != plat::MouseButton::Left || !taking()) return;
    taking()->MouseDown(x, y);
    dirty = true;
  };
  form->OnKeyDown = [this, taking](int& key, plat::ShiftState) {
    if (!taking()) return;
    taking()->KeyDown(key);
    dirty = true;
  };
  form->OnKeyPress = [this, taking](std::uint8_t& ch) {
    if (!taking()) return;
    taking()->KeyPress(plat::Cp1251ToUtf8(std::string(1, static_cast<char>(ch))));
    dirty = true;
  };
  form->OnCloseQuery = [this](bool& canClose) {
    canClose = false;
    closeRequested = true;
  };
  form->OnMouseMove = [this](plat::ShiftState, int, int) { UpdateCursor(); };
  form->OnActivate = [this] { dirty = true; };
  form->OnResize = [this] { FitWindow(); };
  plat::ShowForm(form);
  Screen = this;
  return true;
}

void TScreen::Destroy() {
  if (Screen == this) Screen = nullptr;
  if (form) plat::DestroyForm(form);
  form = nullptr;
  plat::SurfaceRelease(surface);
}

namespace {
// Centred; a page larger than the window keeps its top left corner in view.
void Centre(TPage& page, int width, int height) {
  page.rect.x = std::max(0, (width - page.rect.w) / 2);
  page.rect.y = std::max(0, (height - page.rect.h) / 2);
}
}  // namespace

void TScreen::FitWindow() {
  if (!form) return;
  int w = form->clientWidth, h = form->clientHeight;
  if (w == surface.width && h == surface.height && !surface.pixels.empty()) return;
  plat::Surface made;
  // Without memory for the new size the old picture is shown stretched.
  if (!plat::SurfaceCreate(made, w, h, plat::PixelFormat::Rgb565)) return;
  plat::SurfaceRelease(surface);
  surface = std::move(made);
  width = w;
  height = h;
  background.SetBounds(0, 0, w, h);
  for (TPage* p : stack) Centre(*p, w, h);
  dirty = true;
  Trace("window " + std::to_string(w) + " x " + std::to_string(h));
  UpdateCursor();
}

void TScreen::UpdateCursor() {
  if (!form) return;
  bool busy = false;
  for (auto it = stack.rbegin(); it != stack.rend(); ++it)
    if (Inside((*it)->rect, form->mouseX, form->mouseY)) {
      busy = (*it)->busy;
      break;
    }
  plat::SetSystemCursor(busy ? plat::SystemCursor::Wait : plat::SystemCursor::Arrow);
}

void TScreen::Push(TPage* page) {
  page->visible = true;
  Centre(*page, width, height);
  if (page->focus < 0)
    for (int i = 0; i < static_cast<int>(page->widgets.size()); ++i)
      if (page->widgets[i]->kind == TWidgetKind::Edit && page->widgets[i]->enabled) {
        page->focus = i;
        break;
      }
  stack.push_back(page);
  dirty = true;
  UpdateCursor();
}

void TScreen::Pop(TPage* page) {
  page->visible = false;
  std::erase(stack, page);
  dirty = true;
  UpdateCursor();
}

void TScreen::Repaint() {
  if (!form) return;
  FillRect(surface, {0, 0, surface.width, surface.height}, background.color);
  background.Paint(surface);
  DrawText(surface, 16, 10, "Zarn III", kWhite, true);
  for (TPage* p : stack) p->Paint(surface);
  plat::Present(form, surface, true);
  dirty = false;
  static std::string lastTop;
  std::string top = stack.empty() ? std::string("none") : stack.back()->name;
  if (top != lastTop) {
    lastTop = top;
    Trace("shown " + top);
  }
}

void TScreen::Pump() {
  plat::ProcessMessages(false);
  if (dirty) Repaint();
}

int TScreen::RunModal(TPage& page) {
  Push(&page);
  page.modalResult = 0;
  while (page.modalResult == 0) {
    if (closeRequested || plat::Terminated()) {
      page.modalResult = -1;
      break;
    }
    if (onModalPass) onModalPass(*this, page);
    if (page.modalResult != 0) break;
    if (dirty) Repaint();
    plat::ProcessMessages(true);
  }
  Pop(&page);
  return page.modalResult;
}

int MessageDlg(const std::string& caption, const std::string& text,
               const std::vector<std::string>& buttons) {
  Trace("message " + text);
  if (!Screen) {
    plat::MessageBox(plat::MainForm(), caption, text, plat::MessageKind::Warning);
    return 0;
  }
  TPage box;
  box.name = "message";
  box.caption = caption;
  int width = 420;
  int frame = kTitle + 16 + 16 + 28 + 14;
  // Text past the window's height is elided in its middle; a line at least is shown.
  int textHeight = std::min(static_cast<int>(WrapLines(text, width - 32, false).size()) * LineHeight(),
                            std::max(1, (Screen->height - 40 - frame) / LineHeight()) * LineHeight());
  int height = frame + textHeight;
  box.rect = {0, 0, width, height};  // centred when shown
  TWidget* label = box.Add(TWidgetKind::Label, {16, 16, width - 32, textHeight}, text);
  label->color = 0;
  int bw = 88, gap = 10;
  int total = static_cast<int>(buttons.size()) * bw + (static_cast<int>(buttons.size()) - 1) * gap;
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    TWidget* b = box.Add(TWidgetKind::Button,
                         {(width - total) / 2 + i * (bw + gap), 16 + textHeight + 16, bw, 28}, buttons[i]);
    b->onClick = [&box, i] { box.modalResult = i + 1; };
    if (i == 0) box.focus = static_cast<int>(box.widgets.size()) - 1;
  }
  int r = Screen->RunModal(box);
  return r > 0 ? r - 1 : -1;
}

}  // namespace zarn3set
