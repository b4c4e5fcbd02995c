// Draws the installer's three pictures (the desert background, the small emblem and the tall
// side picture), encodes them as GIFs and writes them as a C++ source of stored picture data.
//
//   zarn_wizardpics <output.cpp> [folder for the .gif files]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "setup/images/RxGIF.h"

using namespace zarn3set;

namespace {

TRGB Mix(TRGB a, TRGB b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](int x, int y) { return static_cast<std::uint8_t>(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// Sky from deep blue to a pale horizon, a sun, and dune ridges in two sand tones.
TBitmap Desert(int w, int h, double horizon, bool stars) {
  TBitmap b;
  b.Create(w, h, 24);
  const TRGB top{16, 40, 120}, low{230, 170, 110}, sandLight{222, 184, 120}, sandDark{170, 120, 70};
  int hy = static_cast<int>(h * horizon);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TRGB c;
      double ridge1 = hy + h * 0.06 * std::sin(x * 0.05) + h * 0.03 * std::sin(x * 0.13 + 1);
      double ridge2 = hy + h * 0.18 + h * 0.05 * std::sin(x * 0.035 + 2);
      if (y < ridge1) {
        c = Mix(top, low, std::pow(static_cast<double>(y) / std::max(1, hy), 1.6));
        if (stars && y < hy / 2 && ((x * 73856093u) ^ (y * 19349663u)) % 151 == 0) c = {255, 255, 230};
      } else if (y < ridge2) {
        c = Mix(sandLight, sandDark, (y - ridge1) / (ridge2 - ridge1 + 1) * 0.6);
      } else {
        c = Mix(sandDark, sandLight, std::min(1.0, (y - ridge2) / (h - ridge2 + 1)));
      }
      b.SetPixel(x, y, c);
    }
  // The sun low over the dunes.
  int sx = w * 3 / 4, sy = hy - h / 10, r = std::max(3, w / 16);
  for (int y = sy - r; y <= sy + r; ++y)
    for (int x = sx - r; x <= sx + r; ++x)
      if (x >= 0 && y >= 0 && x < w && y < h && (x - sx) * (x - sx) + (y - sy) * (y - sy) <= r * r &&
          y < hy + h * 0.04)
        b.SetPixel(x, y, {255, 220, 90});
  return b;
}

// A round emblem: a sand disc on dark blue with a worm's curve across it.
TBitmap Emblem(int s) {
  TBitmap b;
  b.Create(s, s, 24);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      double dx = x - s / 2.0 + 0.5, dy = y - s / 2.0 + 0.5;
      double d = std::sqrt(dx * dx + dy * dy);
      TRGB c{16, 40, 120};
      if (d < s * 0.45) c = {222, 184, 120};
      double curve = s / 2.0 + s * 0.22 * std::sin(x * 6.283 / s);
      if (d < s * 0.45 && std::abs(y - curve) < s * 0.07) c = {120, 60, 30};
      b.SetPixel(x, y, c);
    }
  return b;
}

std::string Stored(const TBitmap& b, const std::string& gifPath) {
  TGIFImage img;
  img.Assign(b);
  std::string data = img.WriteData();
  if (!gifPath.empty()) img.SaveToFile(gifPath);
  // The stored form must read back as the same picture.
  TGIFImage check;
  check.ReadData(data);
  if (check.Width() != b.width || check.Height() != b.height) throw std::runtime_error("picture does not read back");
  return data;
}

void Emit(std::ofstream& out, const char* name, const std::string& data) {
  out << "extern const unsigned char " << name << "[] = {";
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i % 20 == 0) out << "\n ";
    out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(data[i])) << ',';
  }
  out << "\n};\nextern const unsigned " << name << "Size = " << data.size() << ";\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zarn_wizardpics <output.cpp> [gif folder]\n");
    return 2;
  }
  try {
    std::string folder = argc > 2 ? argv[2] : "";
    if (!folder.empty()) std::filesystem::create_directories(folder);
    auto gif = [&](const char* n) { return folder.empty() ? std::string() : folder + "/" + n; };
    std::string background = Stored(Desert(320, 240, 0.55, false), gif("wizard_background.gif"));
    std::string small = Stored(Emblem(48), gif("wizard_small.gif"));
    std::string side = Stored(Desert(130, 262, 0.45, true), gif("wizard_side.gif"));
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out.parent_path());
    std::ofstream o(out.string() + ".tmp", std::ios::trunc);
    o << "// Made by zarn_wizardpics: the installer's pictures as stored GIF data.\n"
         "namespace zarn3set {\n";
    Emit(o, "kWizardBackground", background);
    Emit(o, "kWizardSmall", small);
    Emit(o, "kWizardSide", side);
    o << "}  // namespace zarn3set\n";
    o.close();
    if (!o) throw std::runtime_error("cannot write " + out.string());
    std::filesystem::rename(out.string() + ".tmp", out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zarn_wizardpics: %s\n", e.what());
    return 1;
  }
  return 0;
}
