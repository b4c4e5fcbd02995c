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
        argc == 4 ? fs::path(argv[3]) : fs::path("/usr/share/fonts/X11/misc/4x6.pcf.gz");
    for (const char* dir : {"data", "maps", "scenes", "music", "save"}) fs::create_directories(out / dir);

    Fonts f;
    f.small = LoadPsfAsCp866(fonts / "CyrSlav-VGA8.psf.gz");
    // The 8 x 8 console font draws Г, П and Ф with wrong pictures (box pieces), and Й without a
    // readable breve: ours instead.
    PatchGlyph(f.small, 0x83, {0xFE, 0x62, 0x60, 0x60, 0x60, 0x60, 0xF0, 0x00});
    PatchGlyph(f.small, 0x8F, {0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0x00});
    PatchGlyph(f.small, 0x89, {0x38, 0xC6, 0xCE, 0xDE, 0xF6, 0xE6, 0xC6, 0x00});
    PatchGlyph(f.small, 0x94, {0x10, 0x7C, 0xD6, 0xD6, 0xD6, 0x7C, 0x10, 0x00});
    // The layouts of buttons, panels, tables and track bar titles are made for a narrow face:
    // about four pixels a letter and capitals five rows high (a side-panel name stands six rows
    // above the portrait frame, a settings title seven above its track bar).
    f.narrow = LoadBitmapFontAsCp866(narrowFont);
    // Three columns cannot draw these letters apart: ours are five wide.
    PatchGlyphRows(f.narrow, 0x86, {"#.#.#", "#.#.#", ".###.", "#.#.#", "#.#.#"});          // Ж
    PatchGlyphRows(f.narrow, 0x8C, {"#...#", "##.##", "#.#.#", "#...#", "#...#"});          // М
    PatchGlyphRows(f.narrow, 0x94, {".###.", "#.#.#", "#.#.#", ".###.", "..#.."});          // Ф
    PatchGlyphRows(f.narrow, 0x98, {"#.#.#", "#.#.#", "#.#.#", "#.#.#", "#####"});          // Ш
    PatchGlyphRows(f.narrow, 0x99, {"#.#.#", "#.#.#", "#.#.#", "#.#.#", "#####", "....#"}); // Щ
    PatchGlyphRows(f.narrow, 0x9B, {"#...#", "#...#", "##..#", "#.#.#", "##..#"});          // Ы
    PatchGlyphRows(f.narrow, 0x9E, {"#..#.", "#.#.#", "###.#", "#.#.#", "#..#."});          // Ю
    PatchGlyphRows(f.narrow, 0xA6, {"", "#.#.#", ".###.", "#.#.#", "#.#.#"});               // ж
    PatchGlyphRows(f.narrow, 0xAC, {"", "#...#", "##.##", "#.#.#", "#...#"});               // м
    PatchGlyphRows(f.narrow, 0xE4, {"..#..", ".###.", "#.#.#", "#.#.#", ".###.", "..#.."}); // ф
    PatchGlyphRows(f.narrow, 0xE8, {"", "#.#.#", "#.#.#", "#.#.#", "#####"});               // ш
    PatchGlyphRows(f.narrow, 0xE9, {"", "#.#.#", "#.#.#", "#.#.#", "#####", "....#"});      // щ
    PatchGlyphRows(f.narrow, 0xEB, {"", "#...#", "##..#", "#.#.#", "##..#"});               // ы
    PatchGlyphRows(f.narrow, 0xEE, {"", "#..#.", "###.#", "#.#.#", "#..#."});               // ю
    // Latin M and m as their Cyrillic twins.
    f.narrow.rows['M'] = f.narrow.rows[0x8C];
    f.narrow.rows['m'] = f.narrow.rows[0xAC];
    // Its Ё and ё carry the diaeresis where the capital's top row would be.
    PatchGlyphRows(f.narrow, 0xF0, {"#.#", "###", "##.", "#..", "###"});
    PatchGlyphRows(f.narrow, 0xF1, {"#.#", ".#.", "#.#", "##.", ".##"});
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
