// The debug viewer of the packed resource archive (F1 on the main menu in debug mode).
#include <algorithm>
#include <cstring>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/fonts.h"
#include "game/base/listbox.h"
#include "game/base/video.h"
#include "game/shell/dresurse.h"
#include "game/world/gamestart.h"
#include "platform/forms.h"
#include "platform/surface.h"

namespace zarn {

namespace {

constexpr int ViewerArchive = 1;  // the archive loaded at start-up

// The window: the controls in a 320 x 200 picture of the game's own drawing on the left, the
// drawn picture 1:1 on white on the right.
constexpr int ViewerWidth = 640, ViewerHeight = 200;
constexpr int ControlsWidth = 320;
constexpr int ListX = 33, ListY = 14;
// The five columns: where each starts (the name) or ends (the numbers, right-aligned), from
// the list's text edge.
constexpr int ColumnName = 0, ColumnIdEnd = 104, ColumnNouseEnd = 146, ColumnOffsetEnd = 192,
              ColumnSizeEnd = 234;
// Two rows of three buttons under the list, far enough apart for the longer captions.
constexpr int ButtonX = 30, ButtonY = 128, ButtonColumnStep = 100, ButtonRowStep = 14, ButtonWidth = 60,
              ButtonHeight = 10;
constexpr const char* ButtonCaptions[6] = {"Read List", "Load", "Draw", "Save", "Save All BLK", "Save All IMG"};
constexpr std::uint8_t Backdrop = 0, LabelColour = 43, EditColour = 14, EditFace = 54;

std::string BlkName(const std::string& entry) {
  const std::size_t dot = entry.find('.');
  return (dot == std::string::npos ? entry : entry.substr(0, dot)) + ".blk";
}

// 0 outside the buttons, else 1..6.
int ButtonLeft(int i) { return ButtonX + (i % 3) * ButtonColumnStep; }
int ButtonTop(int i) { return ButtonY + (i / 3) * ButtonRowStep; }

int ButtonAt(int x, int y) {
  for (int i = 0; i < 6; ++i)
    if (x >= ButtonLeft(i) && x < ButtonLeft(i) + ButtonWidth && y >= ButtonTop(i) && y < ButtonTop(i) + ButtonHeight)
      return i + 1;
  return 0;
}

void DrawRight(int font, int right, int y, std::uint8_t colour, const std::string& text) {
  DrawText(font, right - TextWidth(font, text), y, colour, text);
}

// A one-line edit box: a dark face with its text.
void DrawEdit(int x, int y, int width, const std::string& text) {
  FillBox(x, y, x + width - 1, y + 10, EditFace);
  DrawText(SecondFont, x + 2, y + 2, EditColour, FitText(SecondFont, width - 4, text));
}

}  // namespace

TForm1::TForm1() = default;
TForm1::~TForm1() = default;

void TForm1::Show() {
  if (!window_) {
    window_ = std::make_unique<TDXForm>(
        plat::Cp1251ToUtf8(std::string("ZARN III [ просмотр упакованного файла ресурсов ]"_cp1251)), ViewerWidth,
        ViewerHeight);
    ListBoxCreate(ListView, ListX, ListY, true);
    if (plat::Form* f = window_->Handle()) {
      f->OnMouseDown = [this](plat::MouseButton b, plat::ShiftState, int x, int y) {
        if (b == plat::MouseButton::Left) MouseDown(x, y);
      };
      f->OnMouseMove = [this](plat::ShiftState, int x, int y) { MouseMove(x, y); };
    }
  }
  window_->Show();
  Paint();
}

void TForm1::DrawControls() {
  // The game's drawing goes to the back buffer: borrow it and give it back as it was.
  const auto screen = BackBuffer;
  const TClipRect clip = ClipRect;
  ResetClipRect();
  FillBox(0, 0, ScreenWidth - 1, ScreenHeight - 1, Backdrop);

  const int textX = ListView.TextX;
  DrawText(SecondFont, textX + ColumnName, 4, LabelColour, "Name");
  DrawRight(SecondFont, textX + ColumnIdEnd, 4, LabelColour, "ID");
  DrawRight(SecondFont, textX + ColumnNouseEnd, 4, LabelColour, "Nouse");
  DrawRight(SecondFont, textX + ColumnOffsetEnd, 4, LabelColour, "Offset");
  DrawRight(SecondFont, textX + ColumnSizeEnd, 4, LabelColour, "Size");
  // The names are the list's own rows; the numbers stand beside them in the row's colour.
  ListView.TextWidth = ColumnIdEnd - 12;
  ListBoxDraw(ListView, mouseX_, mouseY_);
  for (int r = 0; r < ListView.VisibleRows; ++r) {
    const int item = ListView.TopIndex + r;
    if (item >= static_cast<int>(Rows.size())) break;
    const TViewerRow& row = Rows[static_cast<std::size_t>(item)];
    const std::uint8_t colour = ListView.Selection == item ? ListSelectedColour : ListTextColour;
    const int y = ListView.TextY + r * ListRowHeight;
    DrawRight(SecondFont, textX + ColumnIdEnd, y + 1, colour, std::to_string(row.Id));
    DrawRight(SecondFont, textX + ColumnNouseEnd, y + 1, colour, std::to_string(row.Nouse));
    DrawRight(SecondFont, textX + ColumnOffsetEnd, y + 1, colour, std::to_string(row.Offset));
    DrawRight(SecondFont, textX + ColumnSizeEnd, y + 1, colour, std::to_string(row.Size));
  }

  for (int i = 0; i < 6; ++i)
    DrawButton(ButtonLeft(i), ButtonTop(i), ButtonCaptions[i], ButtonAt(mouseX_, mouseY_) == i + 1 ? 1 : 0);

  const int editY = ButtonY + 2 * ButtonRowStep + 8;
  DrawText(SecondFont, 4, editY + 2, LabelColour, "Count :");
  DrawEdit(50, editY, 50, Edit1);
  DrawEdit(104, editY, 96, Edit2);
  DrawEdit(204, editY, 114, Edit3);

  Controls.assign(BackBuffer.begin(), BackBuffer.end());
  BackBuffer = screen;
  ClipRect = clip;
}

void TForm1::Paint() {
  DrawControls();
  plat::Form* f = window_ ? window_->Handle() : nullptr;
  if (!f) return;
  plat::Surface s;
  if (!plat::SurfaceCreate(s, ViewerWidth, ViewerHeight, plat::PixelFormat::Rgb565)) return;
  auto rgb = [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return plat::PackColour(plat::PixelFormat::Rgb565, r, g, b);
  };
  for (int y = 0; y < ViewerHeight; ++y)
    for (int x = 0; x < ViewerWidth; ++x) {
      std::uint16_t& out = s.pixels[static_cast<std::size_t>(y) * ViewerWidth + x];
      if (x < ControlsWidth) {
        const TPaletteEntry& p = GamePalette[Controls[static_cast<std::size_t>(y) * ScreenWidth + x]];
        out = rgb(static_cast<std::uint8_t>(p.Red * 4), static_cast<std::uint8_t>(p.Green * 4),
                  static_cast<std::uint8_t>(p.Blue * 4));
        continue;
      }
      const int ix = x - ControlsWidth;
      if (ix < ImageWidth && y < ImageHeight) {
        const std::uint32_t c = Image[static_cast<std::size_t>(y) * ImageWidth + ix];
        out = rgb((c >> 16) & 255, (c >> 8) & 255, c & 255);
      } else {
        out = rgb(255, 255, 255);
      }
    }
  plat::Present(f, s, true);
}

void TForm1::MouseMove(int x, int y) {
  if (ButtonAt(x, y) == ButtonAt(mouseX_, mouseY_) && !ListView.Rects[ListRectUp].Contains(x, y) &&
      !ListView.Rects[ListRectDown].Contains(x, y) && !ListView.Rects[ListRectUp].Contains(mouseX_, mouseY_) &&
      !ListView.Rects[ListRectDown].Contains(mouseX_, mouseY_)) {
    mouseX_ = x, mouseY_ = y;
    return;  // nothing under the pointer changes its look
  }
  mouseX_ = x, mouseY_ = y;
  if (Shown()) Paint();
}

void TForm1::MouseDown(int x, int y) {
  mouseX_ = x, mouseY_ = y;
  const int selected = ListView.Selection;
  switch (ButtonAt(x, y)) {
    case 1: ListResourceDirectory(); break;
    case 2:
      if (LoadEnabled) Load(selected);
      break;
    case 3:
      if (DrawEnabled) Draw();
      break;
    case 4:
      if (LoadEnabled) Save(selected);
      break;
    case 5:
      if (LoadEnabled) SaveAllBlk();
      break;
    case 6:
      if (LoadEnabled) SaveAllImg();
      break;
    default: ListBoxMouseDown(ListView, x, y); break;
  }
  if (Shown()) Paint();
}

void TForm1::ListResourceDirectory() {
  Rows.clear();
  TArchiveEntry e;
  for (int i = 0; ArchiveEntryAt(ViewerArchive, i, e); ++i) {
    TViewerRow row;
    row.Name = ArchiveEntryName(e);
    row.Id = e.NameLength;
    row.Nouse = e.Reserved;
    row.Offset = e.DataPosition;
    row.Size = e.DataSize;
    Rows.push_back(row);
  }
  Edit1 = std::to_string(static_cast<int>(Rows.size()) - 1);
  LoadEnabled = true;
  ListBoxClear(ListView);
  for (const TViewerRow& row : Rows) ListBoxAdd(ListView, row.Name);
  ListBoxPlaceThumb(ListView);
}

bool TForm1::Load(int row) {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return false;
  Edit2 = Rows[static_cast<std::size_t>(row)].Name;
  const bool ok = LoadPicture(Edit2);
  picture_.clear();
  if (ok) {
    const std::size_t block = 4 + static_cast<std::size_t>(PictureWidth()) * PictureHeight();
    picture_.assign(PictureBuffer.begin(), PictureBuffer.begin() + static_cast<long>(block));
  }
  DrawEnabled = ok;
  return ok;
}

void TForm1::Draw() {
  if (picture_.size() < 4) return;
  ImageWidth = picture_[0] | (picture_[1] << 8);
  ImageHeight = picture_[2] | (picture_[3] << 8);
  Image.assign(static_cast<std::size_t>(ImageWidth) * ImageHeight, 0xFFFFFFu);
  for (std::size_t i = 0; i < Image.size(); ++i) {
    const TPaletteEntry& p = GamePalette[picture_[4 + i]];
    Image[i] = (std::uint32_t{p.Red} * 4 << 16) | (std::uint32_t{p.Green} * 4 << 8) |
               (std::uint32_t{p.Blue} * 4);
  }
}

bool TForm1::SaveBlock(int row, bool withPalette, const std::string& fileName) {
  // Entry names come from a file: one that is no plain name may not leave the folder.
  if (!IsPlainFileName(fileName)) return false;
  if (!Load(row)) return false;
  std::vector<std::uint8_t> bytes;
  if (withPalette) {
    bytes.resize(sizeof GamePalette);
    std::memcpy(bytes.data(), GamePalette.data(), sizeof GamePalette);
  }
  bytes.insert(bytes.end(), picture_.begin(), picture_.end());
  const std::string gamePath = "images\\" + fileName;
  if (!ReplaceFileAtomically(NativePath(gamePath), std::span<const std::uint8_t>(bytes)))
    return false;
  Edit3 = gamePath;
  return true;
}

bool TForm1::Save(int row) {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return false;
  return SaveBlock(row, true, BlkName(Rows[static_cast<std::size_t>(row)].Name));
}

int TForm1::SaveAllBlk() {
  int written = 0;
  for (int i = 0; i < static_cast<int>(Rows.size()); ++i) written += Save(i) ? 1 : 0;
  return written;
}

int TForm1::SaveAllImg() {
  int written = 0;
  for (int i = 0; i < static_cast<int>(Rows.size()); ++i)
    written += SaveBlock(i, false, Rows[static_cast<std::size_t>(i)].Name) ? 1 : 0;
  return written;
}

}  // namespace zarn
