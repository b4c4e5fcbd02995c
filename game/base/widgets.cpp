#include "game/base/widgets.h"

#include <algorithm>
#include <cstdint>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/listbox.h"
#include "game/base/options.h"
#include "game/base/video.h"

namespace zarn {

namespace {

inline constexpr std::uint8_t FocusedColour = 43;
inline constexpr std::uint8_t UnfocusedColour = 15;
inline constexpr std::uint8_t FrameColour = 43;

// The standard Russian layout: the Latin keys and the cp1251 letters on them.
constexpr std::string_view LayoutKeys = "`qwertyuiop[]asdfghjkl;'zxcvbnm,./~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?";
constexpr std::string_view LayoutLetters =
    "ёйцукенгшщзхъфывапролджэячсмитьбю.ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,"_cp1251;
static_assert(LayoutKeys.size() == 68 && LayoutLetters.size() == 68);

int LocalSide() { return ViewState.LocalSide; }

}  // namespace

// ---- Edit line ----

void EditLineCreate(TEditWidget& rec, int x, int y) {
  rec = TEditWidget{};
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.TextX = static_cast<std::uint16_t>(x + 5);
  rec.TextY = static_cast<std::uint16_t>(y + 5);
  rec.NextCaret = TickCount;
}

void EditLineSetText(TEditWidget& rec, std::string_view text) {
  // A long name taken from a list stays whole; only typing is limited.
  rec.Text.assign(text.substr(0, 255));
  rec.Caret = static_cast<std::uint16_t>(rec.Text.size() + 1);
}

void EditLineDraw(TEditWidget& rec) {
  if (LoadPicture("editbox.img")) BlitPicture(rec.X, rec.Y);
  DrawText(MainFont, rec.TextX, rec.TextY, rec.Focus ? FocusedColour : UnfocusedColour,
           FitText(MainFont, rec.TextWidth, rec.Text));
  if (rec.CaretVisible) {
    const std::size_t before = std::min<std::size_t>(rec.Caret > 0 ? rec.Caret - 1u : 0u, rec.Text.size());
    const std::string head = rec.Text.substr(0, before);
    const std::string caret = std::string(FitText(MainFont, rec.TextWidth, head)) + "|";
    DrawText(MainFont, rec.TextX, rec.TextY, FocusedColour, caret);
  }
  if (TickCount >= rec.NextCaret) {
    rec.NextCaret = TickCount + rec.CaretPeriod;
    rec.CaretVisible = rec.CaretVisible ? 0 : 1;
  }
}

void EditLineMouseDown(TEditWidget& rec, int x, int y) {
  rec.Focus = (x >= rec.X && x <= rec.X + rec.Width && y >= rec.Y && y <= rec.Y + rec.Height) ? 1 : 0;
}

void EditLineKey(TEditWidget& rec) {
  if (!rec.Focus) return;
  const std::int32_t key = TakeKeyCode();
  const std::size_t len = rec.Text.size();
  // A caret set by hand is kept inside the text.
  std::size_t caret = std::clamp<std::size_t>(rec.Caret, 1, len + 1);
  switch (key) {
    case KeyBackspace:
      if (caret > 1) {
        rec.Text.erase(caret - 2, 1);
        --caret;
      }
      break;
    case KeyLeft:
      if (caret > 1) --caret;
      break;
    case KeyRight:
      if (caret <= len) ++caret;
      break;
    case KeyDelete:
      if (caret <= len) rec.Text.erase(caret - 1, 1);
      break;
    default:
      KeyCode = key;
      return;
  }
  rec.Caret = static_cast<std::uint16_t>(caret);
}

void EditLineChar(TEditWidget& rec) {
  if (!rec.Focus) return;
  const std::uint8_t c = LastTypedChar();
  // Control characters (Backspace, Enter, Tab, Escape ...) are keys, not text.
  if (c < 32) return;
  if (rec.Text.size() >= EditMaxChars) return;
  const std::size_t at = std::clamp<std::size_t>(rec.Caret, 1, rec.Text.size() + 1) - 1;
  rec.Text.insert(rec.Text.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(c));
  rec.Caret = static_cast<std::uint16_t>(at + 2);
}

// ---- Check box ----

void CheckBoxCreate(TCheckWidget& rec, int x, int y, int width, bool* value) {
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.Width = static_cast<std::uint16_t>(width);
  rec.Height = 14;
  rec.Value = value;
}

void CheckBoxDraw(const TCheckWidget& rec) {
  const bool on = rec.Value != nullptr && *rec.Value;
  if (LoadPicture(on ? "chktrue.img" : "chkfalse.img")) BlitPicture(rec.X, rec.Y);
  RecolorRect(rec.X, rec.Y, rec.Width, 14, 0, LocalSide());
}

bool CheckBoxMouseDown(TCheckWidget& rec, int x, int y) {
  if (rec.Value == nullptr) return false;
  if (!(x > rec.X - 2 && x < rec.X + rec.Width && y >= rec.Y && y <= rec.Y + 14)) return false;
  *rec.Value = !*rec.Value;
  return true;
}

// ---- Track bar ----

void TrackBarCreate(TTrackWidget& rec, int x, int y, std::int32_t minimum, std::int32_t maximum,
                    std::int32_t step, std::int32_t* value) {
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.Width = 200;
  rec.Height = 12;
  rec.Minimum = minimum;
  rec.Maximum = maximum;
  rec.Step = step;
  rec.Value = value;
  TrackBarPlaceThumb(rec);
}

void TrackBarPlaceThumb(TTrackWidget& rec) {
  rec.ThumbX = rec.X;
  if (rec.Value == nullptr || rec.Maximum <= rec.Minimum) return;
  // A setting outside the range (an edited settings file) is drawn at the nearer end.
  const std::int64_t v = std::clamp<std::int64_t>(*rec.Value, rec.Minimum, rec.Maximum);
  const double share = static_cast<double>(v - rec.Minimum) /
                       (static_cast<double>(rec.Maximum) - static_cast<double>(rec.Minimum));
  rec.ThumbX = static_cast<std::uint16_t>(rec.X + static_cast<int>(share * (rec.Width - 20)));
}

void TrackBarDraw(TTrackWidget& rec) {
  TrackBarPlaceThumb(rec);
  if (LoadPicture("trackbar.img")) BlitPicture(rec.X, rec.Y);
  if (LoadPicture("dvigok2.img")) BlitPictureTransparent(rec.ThumbX, rec.Y - 2);
  RecolorRect(rec.X, rec.Y, rec.Width, rec.Height, 0, LocalSide());
}

bool TrackBarMouseDown(TTrackWidget& rec, int x, int y) {
  if (rec.Value == nullptr) return false;
  if (!(x > rec.X && x < rec.X + rec.Width && y > rec.Y - 3 && y < rec.Y + rec.Height)) return false;
  TrackBarPlaceThumb(rec);
  const std::int64_t lo = rec.Minimum, hi = std::max(rec.Minimum, rec.Maximum);
  std::int64_t v = *rec.Value;
  if (x < rec.ThumbX)
    v = std::clamp<std::int64_t>(v - rec.Step, lo, hi);
  else if (x > rec.ThumbX + 18)
    v = std::clamp<std::int64_t>(v + rec.Step, lo, hi);
  *rec.Value = static_cast<std::int32_t>(v);
  TrackBarPlaceThumb(rec);
  return true;
}

// ---- Side chooser ----

void SideChooserCreate(TSideChooser& rec, int x, int y) {
  rec = TSideChooser{};
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.TextX = static_cast<std::uint16_t>(x + 5);
  rec.TextY = static_cast<std::uint16_t>(y + 5);
  rec.Selected = 0;
  SideChooserSet(rec, {1, 1, 1, 1, 1, 1, 1, 1});
}

void SideChooserSet(TSideChooser& rec, const std::array<std::uint8_t, 8>& flags) {
  rec.Available = flags;
  int n = 0;
  for (const std::uint8_t f : flags) n += f ? 1 : 0;
  const int gap = (rec.TextWidth - 10 * n) / 9;
  int x = rec.TextX + gap;
  rec.Selected = NoSide;
  for (int side = 0; side < 8; ++side) {
    TSphereRect& s = rec.Spheres[static_cast<std::size_t>(side)];
    s = TSphereRect{};
    if (!flags[static_cast<std::size_t>(side)]) continue;
    s = {x, rec.TextY, x + 9, rec.TextY + rec.TextHeight - 1, 1};
    x += 10 + gap;
    if (rec.Selected == NoSide) rec.Selected = static_cast<std::uint8_t>(side);
  }
}

void SideChooserDraw(const TSideChooser& rec) {
  if (LoadPicture("editbox.img")) BlitPicture(rec.X, rec.Y);
  for (int side = 0; side < 8; ++side) {
    const TSphereRect& s = rec.Spheres[static_cast<std::size_t>(side)];
    if (!s.Shown) continue;
    if (LoadPicture("sphera.img")) {
      BlitPicture(s.X1, s.Y1);
      RecolorRect(s.X1, s.Y1, PictureWidth(), PictureHeight(), 0, side);
    }
    if (side == rec.Selected) DrawFrame(s.X1 - 1, s.Y1 - 1, s.X2 + 1, s.Y2 + 1, FrameColour);
  }
}

bool SideChooserMouseDown(TSideChooser& rec, int x, int y) {
  if (!(x >= rec.X && x <= rec.X + rec.Width && y >= rec.Y && y <= rec.Y + rec.Height)) return false;
  for (int side = 0; side < 8; ++side) {
    const TSphereRect& s = rec.Spheres[static_cast<std::size_t>(side)];
    if (s.Shown && x >= s.X1 && x <= s.X2 && y >= s.Y1 && y <= s.Y2) {
      rec.Selected = static_cast<std::uint8_t>(side);
      return true;
    }
  }
  return false;
}

// ---- Chat and seats ----

std::uint8_t RussianLayoutChar(std::uint8_t c) {
  const std::size_t at = LayoutKeys.find(static_cast<char>(c));
  if (at == std::string_view::npos || c == 0) return c;
  return static_cast<std::uint8_t>(LayoutLetters[at]);
}

void TypeChatChar(std::uint8_t c) {
  if (GameOptions.RusChat) c = Cp1251ToCp866Char(RussianLayoutChar(c));
  // Brackets would end the chat message on the wire; control characters are keys.
  if (c < 32 || c == '[' || c == ']') return;
  if (ChatLine.size() >= ChatMaxChars) return;
  ChatLine.push_back(static_cast<char>(c));
}

void ResetPlayerSlots() {
  for (int i = 1; i <= MaxPlayers; ++i) {
    TPlayerConnection& seat = PlayerConnections[i];
    seat.Side = SeatWithoutSide;
    seat.PlayerNumber = static_cast<std::uint8_t>(i);
    seat.Connection = 1;
    seat.Connected = 0;
  }
}

int CountUsedPlayerSlots() {
  int n = 0;
  for (const TPlayerConnection& seat : PlayerConnections)
    if (seat.Side != SeatWithoutSide) ++n;
  return n;
}

}  // namespace zarn
