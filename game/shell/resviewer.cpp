// The debug viewer of the packed resource archive (F1 on the main menu in debug mode).
#include <cstring>

#include "game/base/archive.h"
#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/video.h"
#include "game/shell/dresurse.h"
#include "game/world/gamestart.h"
#include "platform/forms.h"
#include "platform/surface.h"

namespace zarn {

namespace {

constexpr int ViewerArchive = 1;  // the archive loaded at start-up

std::string BlkName(const std::string& entry) {
  const std::size_t dot = entry.find('.');
  return (dot == std::string::npos ? entry : entry.substr(0, dot)) + ".blk";
}

}  // namespace

TForm1::TForm1() = default;
TForm1::~TForm1() = default;

void TForm1::Show() {
  if (!window_) {
    window_ = std::make_unique<TDXForm>(
        plat::Cp1251ToUtf8(std::string("ZARN III [ просмотр упакованного файла ресурсов ]"_cp1251)), 320, 200);
  }
  window_->Show();
  if (plat::Form* f = window_->Handle(); f && ImageWidth > 0 && ImageHeight > 0) {
    plat::Surface s;
    if (plat::SurfaceCreate(s, ImageWidth, ImageHeight, plat::PixelFormat::Rgb565)) {
      for (std::size_t i = 0; i < Image.size(); ++i) {
        const std::uint32_t c = Image[i];
        s.pixels[i] = plat::PackColour(plat::PixelFormat::Rgb565, (c >> 16) & 255, (c >> 8) & 255,
                                       c & 255);
      }
      plat::Present(f, s, true);
    }
  }
}

void TForm1::ReadList() {
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
}

bool TForm1::Load(int row) {
  if (row < 0 || row >= static_cast<int>(Rows.size())) return false;
  Edit2 = Rows[static_cast<std::size_t>(row)].Name;
  const bool ok = LoadPicture(Edit2);
  DrawEnabled = ok;
  return ok;
}

void TForm1::Draw() {
  ImageWidth = PictureWidth();
  ImageHeight = PictureHeight();
  Image.assign(static_cast<std::size_t>(ImageWidth) * ImageHeight, 0xFFFFFFu);
  for (std::size_t i = 0; i < Image.size(); ++i) {
    const TPaletteEntry& p = GamePalette[PictureBuffer[4 + i]];
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
  const std::size_t block = 4 + static_cast<std::size_t>(PictureWidth()) * PictureHeight();
  bytes.insert(bytes.end(), PictureBuffer.begin(), PictureBuffer.begin() + static_cast<long>(block));
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
