// zarn_demodata OUT_FOLDER [FONT_FOLDER [NARROW_FONT]]: lays out a ready-to-run game folder with
// our own demo data: data/ with the palette and sheets, the resource archive and the three fonts;
// empty maps/, scenes/, music/ and save/ folders.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>

#include "game/base/files.h"
#include "tools/demodata/demodata.h"

namespace fs = std::filesystem;
using namespace demodata;

namespace {

void Write(const fs::path& path, const Bytes& bytes) {
  if (!zarn::ReplaceFileAtomically(path, std::span<const std::uint8_t>(bytes)))
    throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: zarn_demodata OUT_FOLDER [FONT_FOLDER [NARROW_FONT]]\n");
    return 2;
  }
  try {
    const fs::path out = argv[1];
    const fs::path fonts = argc >= 3 ? fs::path(argv[2]) : fs::path("/usr/share/consolefonts");
    const fs::path narrowFont =
        argc == 4 ? fs::path(argv[3]) : fs::path("/usr/share/fonts/X11/misc/5x8.pcf.gz");
    for (const char* dir : {"data", "maps", "scenes", "music", "save"}) fs::create_directories(out / dir);

    Fonts f;
    f.small = LoadPsfAsCp866(fonts / "CyrSlav-VGA8.psf.gz");
    // The 8 x 8 console font draws Г, П and Ф with wrong pictures (box pieces), and Й without a
    // readable breve: ours instead.
    PatchGlyph(f.small, 0x83, {0xFE, 0x62, 0x60, 0x60, 0x60, 0x60, 0xF0, 0x00});
    PatchGlyph(f.small, 0x8F, {0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0x00});
    PatchGlyph(f.small, 0x89, {0x38, 0xC6, 0xCE, 0xDE, 0xF6, 0xE6, 0xC6, 0x00});
    PatchGlyph(f.small, 0x94, {0x10, 0x7C, 0xD6, 0xD6, 0xD6, 0x7C, 0x10, 0x00});
    // The layouts of buttons, panels and tables are made for a narrow face of about 5 pixels
    // a letter.
    f.narrow = LoadBitmapFontAsCp866(narrowFont);
    // Its Х is a column narrower than X and every other capital: X's picture keeps capitals even.
    f.narrow.rows[0x95] = f.narrow.rows['X'];
    // Its Ё is Е without the diaeresis: ours carries it over a capital one row shorter, as its Й.
    PatchGlyph(f.narrow, 0xF0, {0xA0, 0x00, 0xF0, 0x80, 0xE0, 0x80, 0xF0, 0x00});
    f.large = LoadPsfAsCp866(fonts / "CyrSlav-Terminus14.psf.gz");
    SetFonts(f);
    Write(out / "data" / "latrus3.fnt", FontFileBytes(f.small));
    Write(out / "data" / "zarnrus.fnt", FontFileBytes(f.narrow));
    Write(out / "data" / "year2000.fnt", FontFileBytes(f.large));

    for (const auto& sheet : BuildSheets(BuildPalette())) Write(out / "data" / sheet.name, sheet.data);

    std::vector<ArchiveRecord> records;
    std::set<std::string> names;
    for (auto& p : BuildPictures()) {
      if (!names.insert(p.name).second) throw std::logic_error("picture made twice: " + p.name);
      records.push_back({p.name, ImgBytes(p.image)});
    }
    Write(out / "data" / "zarn.res", BuildArchive(records));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zarn_demodata: %s\n", e.what());
    return 1;
  }
}
