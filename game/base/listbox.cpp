#include "game/base/listbox.h"

#include <algorithm>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/fonts.h"
#include "game/base/globals.h"
#include "game/base/video.h"

namespace zarn {

namespace {

inline constexpr std::uint8_t ListHeadingColour = 228;

void Create(TListWidget& rec, int x, int y, bool highlight, TListKind kind) {
  const bool shortList = kind == TListKind::Short;
  rec.Kind = kind;
  rec.X = static_cast<std::uint16_t>(x);
  rec.Y = static_cast<std::uint16_t>(y);
  rec.Width = 254;
  rec.Height = shortList ? 68 : 108;
  rec.TextX = static_cast<std::uint16_t>(x + 4);
  rec.TextY = static_cast<std::uint16_t>(y + 5);
  rec.TextWidth = 232;
  rec.TextHeight = shortList ? 60 : 100;
  rec.VisibleRows = shortList ? 6 : 10;
  rec.Selection = 0;
  rec.TopIndex = 0;
  rec.RepeatInterval = 2;
  rec.NextRepeat = TickCount;
  rec.Items.clear();
  const std::int32_t ax1 = x + 237, ax2 = x + 250;
  rec.Rects[ListRectUp] = {ax1, y + 2, ax2, y + 11};
  rec.Rects[ListRectDown] = {ax1, y + rec.Height - 12, ax2, y + rec.Height - 3};
  rec.Rects[ListRectThumb] = {ax1, y + 12, ax2, y + 12 + ListThumbHeight};
  rec.Rects[ListRectTrack] = {ax1, y + 12, ax2, y + rec.Height - 13};
  rec.Highlight = highlight ? 1 : 0;
  rec.NeedsScrollbar = 1;
  rec.Pressed = 0;
  rec.RowFlags.fill(1);
  rec.ColumnSelection = -1;
}

bool InBox(const TListWidget& rec, int x, int y) {
  return x >= rec.X && x <= rec.X + rec.Width && y >= rec.Y && y <= rec.Y + rec.Height;
}

bool InText(const TListWidget& rec, int x, int y) {
  return x >= rec.TextX && x <= rec.TextX + rec.TextWidth && y >= rec.TextY &&
         y <= rec.TextY + rec.TextHeight;
}

bool IsHeading(std::string_view item) { return item.find('[') != std::string_view::npos; }

void Recolor(const TListRect& r, int offset) {
  RecolorRect(r.X1, r.Y1, r.X2 - r.X1 + 1, r.Y2 - r.Y1 + 1, offset, ViewState.LocalSide);
}

void DrawRow(const TListWidget& rec, int item, int row) {
  const std::string& text = rec.Items[static_cast<std::size_t>(item)];
  const int y = rec.TextY + ListRowHeight * row;
  int x = rec.TextX;
  int width = rec.TextWidth;
  switch (rec.Kind) {
    case TListKind::Check: {
      LoadPicture(CheckListFlag(rec, item) ? "chktrue.img" : "chkfalse.img");
      BlitPicture(x, y);
      x += ListCheckWidth;
      width -= ListCheckWidth;
      break;
    }
    case TListKind::Column: {
      if (IsHeading(text)) {
        DrawText(MainFont, x, y, ListHeadingColour, FitText(MainFont, width, std::string_view(text).substr(1)));
      } else {
        const bool selected = rec.Highlight && rec.ColumnSelection == item;
        const std::string shown = "   " + text;
        DrawText(MainFont, x, y, selected ? ListSelectedColour : ListTextColour, FitText(MainFont, width, shown));
      }
      return;
    }
    case TListKind::Plain:
    case TListKind::Short:
      break;
  }
  const bool selected = rec.Highlight && rec.Selection == item;
  DrawText(MainFont, x, y, selected ? ListSelectedColour : ListTextColour, FitText(MainFont, width, text));
}

}  // namespace

std::string_view FitText(int font, int width, std::string_view text) {
  if (text.empty()) return text;
  const std::size_t n = TextFitCount(font, width, text);
  return text.substr(0, n - 1);
}

void ListBoxCreate(TListWidget& rec, int x, int y, bool highlight) { Create(rec, x, y, highlight, TListKind::Plain); }
void CheckListCreate(TListWidget& rec, int x, int y, bool highlight) { Create(rec, x, y, highlight, TListKind::Check); }
void ColumnListCreate(TListWidget& rec, int x, int y, bool highlight) { Create(rec, x, y, highlight, TListKind::Column); }
void ShortListCreate(TListWidget& rec, int x, int y, bool highlight) { Create(rec, x, y, highlight, TListKind::Short); }

void ListBoxFree(TListWidget& rec) {
  rec.Items.clear();
  rec.Items.shrink_to_fit();
}

void ListBoxClear(TListWidget& rec) {
  rec.Items.clear();
  rec.TopIndex = 0;
  rec.Selection = 0;
  rec.NeedsScrollbar = 0;
  ListBoxPlaceThumb(rec);
}

bool ListBoxAdd(TListWidget& rec, std::string_view text) {
  if (rec.Count() >= ListMaxItems) return false;
  if (rec.Kind == TListKind::Check && rec.Count() >= ListCheckRows) return false;
  rec.Items.emplace_back(text);
  // Exactly a page of items fits without scrolling.
  rec.NeedsScrollbar = rec.Count() > rec.VisibleRows ? 1 : 0;
  return true;
}

bool CheckListAdd(TListWidget& rec, std::string_view text, bool flag) {
  if (!ListBoxAdd(rec, text)) return false;
  rec.RowFlags[static_cast<std::size_t>(rec.Count() - 1)] = flag ? 1 : 0;
  return true;
}

bool CheckListFlag(const TListWidget& rec, int row) {
  return row >= 0 && row < ListCheckRows && rec.RowFlags[static_cast<std::size_t>(row)] != 0;
}

bool ListBoxAddWrapped(TListWidget& rec, std::string_view text) {
  // A row is drawn up to the first character that does not fit: whole only when narrower.
  const int width = rec.TextWidth - (rec.Kind == TListKind::Check ? ListCheckWidth : 0);
  const auto fits = [&](std::string_view s) { return TextWidth(MainFont, s) < width; };
  while (!fits(text)) {
    std::size_t cut = 0;
    for (std::size_t i = 1; i < text.size() && fits(text.substr(0, i)); ++i)
      if (text[i] == ' ' && text[i - 1] != ' ') cut = i;
    if (cut == 0) cut = std::max<std::size_t>(1, FitText(MainFont, width, text).size());
    if (!ListBoxAdd(rec, text.substr(0, cut))) return false;
    text.remove_prefix(cut);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  return ListBoxAdd(rec, text);
}

void ListBoxToFontCodePage(TListWidget& rec) {
  for (std::string& s : rec.Items) s = ToFontCodePage(s);
}

void ListBoxPlaceThumb(TListWidget& rec) {
  const TListRect& track = rec.Rects[ListRectTrack];
  TListRect& thumb = rec.Rects[ListRectThumb];
  const int spare = rec.Count() - rec.VisibleRows;
  std::int32_t top = track.Y1;
  if (spare <= 0) {
    // Everything fits: nothing to divide by, and nothing to scroll.
    rec.NeedsScrollbar = 0;
  } else {
    const int travel = std::max(0, track.Y2 - track.Y1 - ListThumbHeight);
    const int index = std::min<int>(rec.TopIndex, spare);
    top += static_cast<std::int32_t>(static_cast<double>(index) / spare * travel);
    rec.NeedsScrollbar = 1;
  }
  thumb.Y1 = top;
  thumb.Y2 = top + ListThumbHeight;
}

void ListBoxScrollUp(TListWidget& rec) {
  if (rec.TopIndex > 0) --rec.TopIndex;
  ListBoxPlaceThumb(rec);
}

void ListBoxScrollDown(TListWidget& rec) {
  if (rec.TopIndex + rec.VisibleRows < rec.Count()) ++rec.TopIndex;
  ListBoxPlaceThumb(rec);
}

void ListBoxPageUp(TListWidget& rec) {
  for (int i = 0; i < rec.VisibleRows; ++i) ListBoxScrollUp(rec);
}

void ListBoxPageDown(TListWidget& rec) {
  for (int i = 0; i < rec.VisibleRows; ++i) ListBoxScrollDown(rec);
}

void ListBoxFirstPage(TListWidget& rec) {
  rec.TopIndex = 0;
  ListBoxPlaceThumb(rec);
}

void ListBoxLastPage(TListWidget& rec) {
  const int top = rec.Count() - rec.VisibleRows;
  if (top >= 0) rec.TopIndex = static_cast<std::uint16_t>(top);
  ListBoxPlaceThumb(rec);
}

void ListBoxDraw(TListWidget& rec, int mouseX, int mouseY) {
  const int side = ViewState.LocalSide;
  if (LoadPicture("listbox.img")) {
    if (rec.Kind == TListKind::Short) {
      // The tall picture serves the short list too: its top and its bottom edge.
      const int h = PictureHeight();
      const int bottom = std::min(16, h);
      BlitPictureRows(rec.X, rec.Y, 0, std::max(0, std::min<int>(h - bottom, rec.Height - bottom)));
      BlitPictureRows(rec.X, rec.Y + rec.Height - bottom, h - bottom, bottom);
    } else {
      BlitPicture(rec.X, rec.Y);
    }
  }

  Recolor(rec.Rects[ListRectTrack], 0);
  for (int i = 1; i <= 4; ++i) {
    const TListRect& r = rec.Rects[i];
    const bool under = r.Contains(mouseX, mouseY);
    if (!under)
      Recolor(r, 2);
    else if (i == ListRectUp || i == ListRectDown)
      Recolor(r, 0);
  }

  if (rec.NeedsScrollbar && LoadPicture("dvigok.img")) {
    const TListRect& thumb = rec.Rects[ListRectThumb];
    BlitPicture(thumb.X1 + 1, thumb.Y1);
    RecolorRect(thumb.X1 + 1, thumb.Y1, PictureWidth(), PictureHeight(), 0, side);
  }

  for (int row = 0; row < rec.VisibleRows; ++row) {
    const int item = rec.TopIndex + row;
    if (item >= rec.Count()) break;
    DrawRow(rec, item, row);
  }
}

int ListBoxMouseDown(TListWidget& rec, int x, int y) {
  rec.Pressed = 0;
  if (!InBox(rec, x, y)) return ListHitNone;
  if (InText(rec, x, y)) {
    const int row = (y - rec.TextY) / ListRowHeight;
    if (row >= rec.VisibleRows) return ListHitRow;
    const int item = rec.TopIndex + row;
    if (item >= rec.Count()) return ListHitRow;
    switch (rec.Kind) {
      case TListKind::Column:
        if (!IsHeading(rec.Items[static_cast<std::size_t>(item)])) rec.ColumnSelection = item;
        break;
      case TListKind::Check:
        rec.Selection = static_cast<std::uint16_t>(item);
        if (x < rec.TextX + ListCheckWidth && item < ListCheckRows) {
          std::uint8_t& flag = rec.RowFlags[static_cast<std::size_t>(item)];
          flag = flag ? 0 : 1;
        }
        break;
      case TListKind::Plain:
      case TListKind::Short:
        rec.Selection = static_cast<std::uint16_t>(item);
        break;
    }
    return ListHitRow;
  }
  if (rec.Rects[ListRectUp].Contains(x, y)) {
    ListBoxScrollUp(rec);
  } else if (rec.Rects[ListRectDown].Contains(x, y)) {
    ListBoxScrollDown(rec);
  } else if (rec.Rects[ListRectTrack].Contains(x, y) && !rec.Rects[ListRectThumb].Contains(x, y)) {
    if (y < rec.Rects[ListRectThumb].Y1)
      ListBoxPageUp(rec);
    else
      ListBoxPageDown(rec);
  }
  return ListHitScroll;
}

void ListBoxPress(TListWidget& rec) { rec.Pressed = 1; }
void ListBoxRelease(TListWidget& rec) { rec.Pressed = 0; }

void ListBoxMouseRepeat(TListWidget& rec, int x, int y) {
  if (!rec.Pressed || TickCount < rec.NextRepeat) return;
  rec.NextRepeat = TickCount + rec.RepeatInterval;
  if (!InBox(rec, x, y) || InText(rec, x, y)) return;
  if (rec.Rects[ListRectUp].Contains(x, y))
    ListBoxScrollUp(rec);
  else if (rec.Rects[ListRectDown].Contains(x, y))
    ListBoxScrollDown(rec);
}

void ListBoxKey(TListWidget& rec) {
  const std::int32_t key = TakeKeyCode();
  switch (key) {
    case KeyPageUp: ListBoxPageUp(rec); break;
    case KeyPageDown: ListBoxPageDown(rec); break;
    case KeyEnd: ListBoxLastPage(rec); break;
    case KeyHome: ListBoxFirstPage(rec); break;
    case KeyUp: ListBoxScrollUp(rec); break;
    case KeyDown: ListBoxScrollDown(rec); break;
    default: KeyCode = key; break;  // for the next handler
  }
}

}  // namespace zarn
