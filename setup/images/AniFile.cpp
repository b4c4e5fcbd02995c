#include "setup/images/AniFile.h"

#include <algorithm>
#include <cstring>

#include "platform/system.h"
#include "setup/lebytes.h"

namespace zarn3set {
namespace {

[[noreturn]] void Bad() { throw EInvalidGraphic("Stream read error"); }

struct Chunks {
  const std::string& s;
  std::size_t pos, end;
  bool More() const { return pos + 8 <= end; }
  void Next(std::string& id, std::size_t& bodyAt, std::uint32_t& size) {
    if (pos + 8 > end) Bad();
    id = s.substr(pos, 4);
    size = GetLe32(s, pos + 4);
    bodyAt = pos + 8;
    if (size > end - bodyAt) Bad();
    pos = bodyAt + size + (size & 1);  // bodies are padded to even sizes
    if (pos > end) pos = end;
  }
};

}  // namespace

void TAnimatedCursorImage::Clear() {
  header = {};
  frames.clear();
  title.clear();
  creator.clear();
  rates.clear();
  sequence.clear();
}

void TAnimatedCursorImage::LoadFromStream(const std::string& bytes) {
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "ACON") != 0) Bad();
  std::size_t end = std::min<std::size_t>(bytes.size(), 8 + std::size_t{GetLe32(bytes, 4)});
  TAnimatedCursorImage r;
  bool haveHeader = false, haveSequence = false;
  std::vector<TIcon> icons;
  Chunks c{bytes, 12, end};
  while (c.More()) {
    std::string id;
    std::size_t at;
    std::uint32_t size;
    c.Next(id, at, size);
    if (id == "anih") {
      if (size < sizeof(TAniHeader)) Bad();
      std::memcpy(&r.header, bytes.data() + at, sizeof(TAniHeader));
      if (!(r.header.flags & 1)) Bad();  // only icon frames are supported
      haveHeader = true;
    } else if (id == "rate" || id == "seq ") {
      std::vector<std::uint32_t>& v = id == "rate" ? r.rates : r.sequence;
      v.clear();
      for (std::size_t i = 0; i + 4 <= size; i += 4) v.push_back(GetLe32(bytes, at + i));
      if (id == "seq ") haveSequence = true;
    } else if (id == "LIST" && size >= 4) {
      std::string type = bytes.substr(at, 4);
      Chunks inner{bytes, at + 4, at + size};
      while (inner.More()) {
        std::string sub;
        std::size_t subAt;
        std::uint32_t subSize;
        inner.Next(sub, subAt, subSize);
        if (type == "fram" && sub == "icon") {
          TIcon icon;
          icon.LoadFromStream(bytes.substr(subAt, subSize));
          icons.push_back(std::move(icon));
        } else if (type == "INFO" && (sub == "INAM" || sub == "IART")) {
          std::string text = bytes.substr(subAt, std::min<std::uint32_t>(subSize, 255));
          text = text.substr(0, text.find('\0'));
          (sub == "INAM" ? r.title : r.creator) = text;
        }
      }
    }
  }
  if (!haveHeader || icons.empty()) Bad();
  // Without a sequence the frames play in their stored order, each of them once.
  if (!haveSequence) {
    r.sequence.clear();
    for (std::size_t i = 0; i < icons.size(); ++i) r.sequence.push_back(static_cast<std::uint32_t>(i));
  }
  // Each step holds its own copy of the icon: a long sequence over one large icon could
  // otherwise ask for any amount of memory from a small file.
  constexpr std::size_t kMaxFrameBytes = 64u << 20;
  std::size_t frameBytes = 0;
  for (std::size_t step = 0; step < r.sequence.size(); ++step) {
    std::uint32_t n = r.sequence[step];
    if (n >= icons.size()) Bad();
    frameBytes += icons[n].data.size();
    if (frameBytes > kMaxFrameBytes) Bad();
    TIconFrame f;
    f.icon = icons[n];
    f.jiffies = step < r.rates.size() ? r.rates[step] : r.header.jifRate;
    r.frames.push_back(std::move(f));
  }
  *this = std::move(r);
}

void TAnimatedCursorImage::LoadFromFile(const std::string& path) {
  // A named pipe or a device is refused rather than waited on.
  constexpr std::uintmax_t MaxCursorFileBytes = 16u << 20;
  try {
    std::string bytes;
    if (plat::ReadRegularFile(path, MaxCursorFileBytes, bytes) != plat::ReadResult::Ok) Bad();
    LoadFromStream(bytes);
  } catch (...) {
    Clear();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream() {
  if (ShowNotImplementedProc) ShowNotImplementedProc();
  throw EAbort();
}

void TAnimatedCursorImage::AssignTo(TIconList& list) const {
  list.HoldChanges();
  list.Clear();
  for (const TIconFrame& f : frames) list.Add(&f.icon);
  list.ReleaseChanges();
}

void TAnimatedCursorImage::AssignTo(TIcon& icon) const {
  if (frames.empty()) icon.Assign(nullptr);
  else icon.Assign(&frames.front().icon);
}

TBitmap TAnimatedCursorImage::AssignToBitmap(TColor brush, bool reduce) const {
  TBitmap out;
  int w = 0, h = 0;
  std::vector<TBitmap> pics;
  for (const TIconFrame& f : frames) {
    pics.push_back(f.icon.ToBitmap());
    w += pics.back().width;
    h = std::max(h, pics.back().height);
  }
  if (!out.Create(w, h, 24)) return out;
  TRGB b = ColorToRgb(brush);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.SetPixel(x, y, b);
  int x0 = 0;
  for (const TBitmap& p : pics) {
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) out.SetPixel(x0 + x, y, p.Pixel(x, y));
    x0 += p.width;
  }
  if (reduce) {
    const std::uint32_t bits = header.bitCount * std::max<std::uint32_t>(header.planes, 1);
    const int colors = bits >= 8 ? 256 : std::max(16, 1 << bits);
    if (bits <= 8) out = LoadBmp(ConvertBitmapForColors(out, colors));
  }
  return out;
}

}  // namespace zarn3set
