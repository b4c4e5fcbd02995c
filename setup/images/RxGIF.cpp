// GIF reading, LZW decoding and encoding, and writing.
#include "setup/images/RxGIF.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "platform/system.h"
#include "setup/images/AniFile.h"
#include "setup/images/Animate.h"
#include "setup/lebytes.h"

namespace zarn3set {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}
  bool AtEnd() const { return pos_ >= s_.size(); }
  std::size_t Left() const { return s_.size() - pos_; }
  std::uint8_t Byte() {
    if (pos_ >= s_.size()) throw EReadError();
    return static_cast<std::uint8_t>(s_[pos_++]);
  }
  std::uint16_t Word() {
    std::uint16_t lo = Byte();
    return static_cast<std::uint16_t>(lo | (Byte() << 8));
  }
  std::string Bytes(std::size_t n) {
    std::string r;
    AppendTo(r, n);
    return r;
  }
  void AppendTo(std::string& out, std::size_t n) {
    if (n > Left()) throw EReadError();
    out.append(s_, pos_, n);
    pos_ += n;
  }
  // Length-prefixed sub-blocks up to the empty one.
  std::vector<std::string> SubBlocks() {
    std::vector<std::string> lines;
    for (std::uint8_t n = Byte(); n != 0; n = Byte()) lines.push_back(Bytes(n));
    return lines;
  }

 private:
  const std::string& s_;
  std::size_t pos_ = 0;
};

void PutLines(std::string& s, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) {
    if (l.empty()) continue;
    std::size_t n = std::min<std::size_t>(l.size(), 255);
    s += static_cast<char>(n);
    s.append(l, 0, n);
  }
  s += '\0';
}

void PutTable(std::string& s, const TGIFColorTable& t, int entries) {
  for (int i = 0; i < entries; ++i) {
    TRGB c = i < t.count ? t.colors[i] : TRGB{};
    s += static_cast<char>(c.r);
    s += static_cast<char>(c.g);
    s += static_cast<char>(c.b);
  }
}

TGIFColorTable ReadTable(Reader& r, int bits) {
  TGIFColorTable t;
  t.count = 1 << bits;
  for (int i = 0; i < t.count; ++i) {
    t.colors[i].r = r.Byte();
    t.colors[i].g = r.Byte();
    t.colors[i].b = r.Byte();
  }
  return t;
}

// Row order of an image: top-down, or the four interlace passes.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int p = 0; p < 4; ++p)
    for (int y = start[p]; y < height; y += step[p]) rows.push_back(y);
  return rows;
}

int LeastBits(int count) {
  int bits = 1;
  while ((1 << bits) < count && bits < 8) ++bits;
  return bits;
}

// Codes packed least-significant bit first into 255-byte sub-blocks.
class CodeWriter {
 public:
  explicit CodeWriter(std::string& out) : out_(out) {}
  void Put(int code, int width) {
    acc_ |= static_cast<std::uint32_t>(code) << nbits_;
    nbits_ += width;
    while (nbits_ >= 8) {
      Byte(static_cast<char>(acc_ & 0xFF));
      acc_ >>= 8;
      nbits_ -= 8;
    }
  }
  void Finish() {
    if (nbits_ > 0) Byte(static_cast<char>(acc_ & 0xFF));
    acc_ = 0;
    nbits_ = 0;
    Flush();
    out_ += '\0';
  }

 private:
  void Byte(char c) {
    block_ += c;
    if (block_.size() == 255) Flush();
  }
  void Flush() {
    if (block_.empty()) return;
    out_ += static_cast<char>(block_.size());
    out_ += block_;
    block_.clear();
  }
  std::string& out_;
  std::string block_;
  std::uint32_t acc_ = 0;
  int nbits_ = 0;
};

}  // namespace

int TGIFColorTable::IndexOf(TColor c) const {
  if (c == clNone) return -1;
  for (int i = 0; i < count; ++i)
    if (RgbToColor(colors[i]) == (c & 0xFFFFFF)) return i;
  return -1;
}

int ColorsToBits(int colors) {
  for (int bits = 1; bits <= 8; ++bits)
    if (colors == (1 << bits)) return bits;
  throw EGIFError(kGifBadColorCount);
}

std::uint8_t TExtension::Label(TExtensionType t) {
  switch (t) {
    case TExtensionType::GraphicControl: return 0xF9;
    case TExtensionType::PlainText: return 0x01;
    case TExtensionType::Application: return 0xFF;
    default: return 0xFE;
  }
}

// ---------------------------------------------------------------------------------------------
// LZW

void DecodeGifFrame(const TGIFItem& item, bool interlaced, bool allowCorrupt, bool& corrupted,
                    TBitmap& out) {
  const std::string& d = item.imageData;
  if (d.empty()) throw EReadError();
  int codeSize = static_cast<std::uint8_t>(d[0]);
  if (codeSize < 2 || codeSize > 9) {
    if (!allowCorrupt) throw EGIFError(kGifBadCodeSize);
    codeSize = std::clamp(codeSize, 2, 9);
    corrupted = true;
  }
  int bpp = item.bitsPerPixel > 0 ? item.bitsPerPixel : 8;
  int dibBits = bpp <= 1 ? 1 : bpp <= 4 ? 4 : 8;
  if (!out.Create(item.width, item.height, dibBits)) throw EGIFError(kGifBadData);
  for (int i = 0; i < static_cast<int>(out.palette.size()); ++i)
    out.palette[i] = i < item.colorMap.count ? item.colorMap.colors[i] : TRGB{128, 128, 128};

  std::size_t pos = 1;
  int blockLeft = 0;
  bool dataEnd = false;
  std::uint32_t acc = 0;
  int nbits = 0;
  auto readCode = [&](int width, int& code) {
    while (nbits < width) {
      if (dataEnd) return false;
      if (blockLeft == 0) {
        if (pos >= d.size() || d[pos] == 0) {
          dataEnd = true;
          return false;
        }
        blockLeft = static_cast<std::uint8_t>(d[pos++]);
      }
      if (pos >= d.size()) {
        dataEnd = true;
        return false;
      }
      acc |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[pos++])) << nbits;
      nbits += 8;
      --blockLeft;
    }
    code = static_cast<int>(acc & ((1u << width) - 1));
    acc >>= width;
    nbits -= width;
    return true;
  };

  const std::vector<int> rows = RowOrder(out.height, interlaced);
  int x = 0, row = 0;  // where the next pixel goes: column, and place in the row order
  auto put = [&](unsigned v) {
    if (row >= out.height) return;  // pixels past the picture are dropped
    out.SetIndex(x, rows[row], v);
    if (++x == out.width) {
      x = 0;
      ++row;
    }
  };
  auto bad = [&]() {
    if (!allowCorrupt) throw EGIFError(kGifBadData);
    corrupted = true;
  };

  const int clear = 1 << codeSize, eoi = clear + 1;
  int next = clear + 2, width = codeSize + 1, old = -1, first = 0;
  std::vector<std::uint16_t> prefix(4096), stack;
  std::vector<std::uint8_t> suffix(4096);
  stack.reserve(4097);
  for (;;) {
    int code;
    if (!readCode(width, code)) {
      if (row < out.height) {
        if (!allowCorrupt) throw EReadError();
        corrupted = true;
      }
      break;
    }
    if (code == clear) {
      width = codeSize + 1;
      next = clear + 2;
      old = -1;
      continue;
    }
    if (code == eoi) break;
    if (old < 0) {
      if (code > 255 || code >= clear) {
        bad();
        break;
      }
      put(code);
      old = first = code;
      continue;
    }
    int in = code;
    stack.clear();
    if (code == next) {
      stack.push_back(static_cast<std::uint16_t>(first));
      code = old;
    } else if (code > next) {
      bad();
      break;
    }
    while (code >= clear) {
      stack.push_back(suffix[code]);
      code = prefix[code];
      if (stack.size() > 4096) break;
    }
    if (stack.size() > 4096 || code > 255) {
      bad();
      break;
    }
    first = code;
    stack.push_back(static_cast<std::uint16_t>(first));
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) put(*it);
    if (next < 4096) {
      prefix[next] = static_cast<std::uint16_t>(old);
      suffix[next] = static_cast<std::uint8_t>(first);
      ++next;
      if (next == (1 << width) && width < 12) ++width;
    }
    old = in;
  }
}

std::string EncodeGifPixels(const TBitmap& b, bool interlaced,
                            const std::function<void(int percent)>& progress) {
  if (b.Empty() || (b.bits != 1 && b.bits != 4 && b.bits != 8)) throw EGIFError(kGifEncodeError);
  const int minSize = b.bits == 1 ? 2 : b.bits;
  std::string out(1, static_cast<char>(minSize));
  CodeWriter w(out);
  const int clear = 1 << minSize, eoi = clear + 1;
  int next = clear + 2, width = minSize + 1;

  constexpr int kSlots = 17777, kLastCode = 4093;
  std::vector<std::int32_t> keys(kSlots, -1);
  std::vector<std::uint16_t> codes(kSlots);
  auto slotOf = [&](std::int32_t key) {
    int h = static_cast<int>((static_cast<std::uint32_t>(key) * 2654435761u) % kSlots);
    while (keys[h] != -1 && keys[h] != key) h = h + 1 == kSlots ? 0 : h + 1;
    return h;
  };

  w.Put(clear, width);
  int prefix = -1;
  const std::vector<int> rows = RowOrder(b.height, interlaced);
  for (int r = 0; r < b.height; ++r) {
    int y = rows[r];
    for (int x = 0; x < b.width; ++x) {
      int pixel = static_cast<int>(b.Index(x, y));
      if (prefix < 0) {
        prefix = pixel;
        continue;
      }
      std::int32_t key = (prefix << 8) | pixel;
      int slot = slotOf(key);
      if (keys[slot] == key) {
        prefix = codes[slot];
        continue;
      }
      w.Put(prefix, width);
      // The reader widens its codes one code later than the table grows here.
      if (next >= (1 << width) && width < 12) ++width;
      keys[slot] = key;
      codes[slot] = static_cast<std::uint16_t>(next++);
      if (next > kLastCode) {
        // The table is full: the pixel goes out alone, then a clear code; the pixel after it
        // starts the first string of the new table.
        w.Put(pixel, width);
        w.Put(clear, width);
        std::fill(keys.begin(), keys.end(), -1);
        width = minSize + 1;
        next = clear + 2;
        prefix = -1;
        continue;
      }
      prefix = pixel;
    }
    if (progress) progress((r + 1) * 100 / b.height);
  }
  if (prefix >= 0) w.Put(prefix, width);
  if (next >= (1 << width) && width < 12) ++width;
  w.Put(eoi, width);
  w.Finish();
  return out;
}

// ---------------------------------------------------------------------------------------------
// Frames

TGIFFrame::TGIFFrame(TGIFImage* o) : owner(o), image(std::make_shared<TGIFItem>()) {}

const TBitmap& TGIFFrame::Bitmap() {
  if (!bitmap) {
    auto b = std::make_shared<TBitmap>();
    if (HasImageData()) {
      bool damaged = corrupted;
      DecodeGifFrame(*image, interlaced, owner && owner->allowCorrupt, damaged, *b);
      corrupted = damaged;
    }
    b->transparentColor = transparentColor;
    bitmap = std::move(b);
  }
  return *bitmap;
}

void TGIFFrame::Draw(plat::Surface& canvas, plat::Rect r, bool transparent) {
  const TBitmap& b = Bitmap();
  StretchDrawBitmap(canvas, r, b, transparent ? transparentColor : clNone);
}

void TGIFFrame::Assign(const TGIFFrame& other) {
  if (&other == this) return;
  TGIFImage* keep = owner;
  *this = other;
  owner = keep;
  if (owner) owner->RecalcScreenSize();
}

void TGIFFrame::AssignTo(TGIFImage& target) const { target.Assign(*this); }

void TGIFFrame::AssignTo(TBitmap& target) {
  target = Bitmap();
  target.transparentColor = transparentColor;
  target.transparent = transparentColor != clNone;
}

void TGIFFrame::SetBitmap(const TBitmap& b) {
  bitmap = std::make_shared<TBitmap>(b);
  image = std::make_shared<TGIFItem>();
  interlaced = false;
  if (owner) owner->RecalcScreenSize();
}

void TGIFFrame::ResetFrame() {
  image = std::make_shared<TGIFItem>();
  left = top = 0;
  transparentColor = clNone;
  delay = 0;
  disposal = 0;
  interlaced = corrupted = grayScale = localColors = false;
}

TExtension* TGIFFrame::FindExtension(TExtensionType t) {
  for (auto it = extensions.rbegin(); it != extensions.rend(); ++it)
    if (it->type == t) return &*it;
  return nullptr;
}

std::vector<std::string> TGIFFrame::Comment() {
  TExtension* e = FindExtension(TExtensionType::Comment);
  if (!e) {
    extensions.push_back({TExtensionType::Comment, {}, {}});
    e = &extensions.back();
  }
  return e->lines;
}

void TGIFFrame::SetComment(const std::vector<std::string>& lines) {
  Comment();
  FindExtension(TExtensionType::Comment)->lines = lines;
}

int TGIFFrame::Width() {
  if (bitmap) return bitmap->width;
  return HasImageData() ? image->width : 0;
}
int TGIFFrame::Height() {
  if (bitmap) return bitmap->height;
  return HasImageData() ? image->height : 0;
}

void TGIFFrame::EncodeBitmap() {
  if (!bitmap || bitmap->Empty()) throw EGIFError(kGifNoData);
  TBitmap src;
  if (bitmap->bits == 1 || bitmap->bits == 4 || bitmap->bits == 8) {
    src = *bitmap;
  } else {
    src = LoadBmp(ConvertBitmapToStream(*bitmap, 8, grayScale ? mmGrayscale : DefaultReductionMethod));
  }
  int colors = 1 << src.bits;
  interlaced = false;
  auto item = std::make_shared<TGIFItem>();
  item->colorMap.count = std::min(colors, 256);
  for (int i = 0; i < item->colorMap.count; ++i)
    item->colorMap.colors[i] = i < static_cast<int>(src.palette.size()) ? src.palette[i] : TRGB{};
  if (owner) owner->Progress(0, 0, "");
  try {
    item->imageData = EncodeGifPixels(src, false, [&](int p) {
      if (owner) owner->Progress(1, p, "");
    });
  } catch (const std::exception& e) {
    if (owner) owner->Progress(2, 0, e.what());
    throw;
  }
  if (owner) owner->Progress(2, 100, "");
  item->bitsPerPixel = LeastBits(colors);
  item->width = src.width;
  item->height = src.height;
  image = item;
  if (owner && owner->data->colorMap.count == 0) {
    owner->data->colorMap = item->colorMap;
    owner->data->bitsPerPixel = item->bitsPerPixel;
    localColors = false;
  } else {
    localColors = true;
  }
  if (owner) {
    owner->screenWidth = static_cast<std::uint16_t>(std::max<int>(owner->screenWidth, left + src.width));
    owner->screenHeight = static_cast<std::uint16_t>(std::max<int>(owner->screenHeight, top + src.height));
  }
}

// ---------------------------------------------------------------------------------------------
// Images

TGIFImage::TGIFImage() { Clear(); }

void TGIFImage::Clear() {
  data = std::make_shared<TGIFData>();
  frames.clear();
  frameIndex = -1;
  backgroundColor = clNone;
  repeatCount = 1;
  looping = false;
  version = 0;
  screenWidth = screenHeight = 0;
}

void TGIFImage::LoadFromStream(const std::string& bytes) { Load(bytes, true); }

void TGIFImage::Load(const std::string& bytes, bool decodeFirst) {
  Clear();
  Progress(0, 0, "");
  try {
    Reader r(bytes);
    std::string sig = r.Bytes(6);
    if (sig.compare(0, 3, "GIF") != 0 || (sig.compare(3, 3, "87a") != 0 && sig.compare(3, 3, "89a") != 0))
      throw EGIFError(kGifBadVersion);
    version = sig.compare(3, 3, "87a") == 0 ? 1 : 2;
    screenWidth = r.Word();
    screenHeight = r.Word();
    std::uint8_t packed = r.Byte();
    std::uint8_t bgIndex = r.Byte();
    data->aspectRatio = r.Byte();
    data->colorResBits = ((packed >> 4) & 7) + 1;
    if (packed & 0x80) {
      data->bitsPerPixel = (packed & 7) + 1;
      data->colorMap = ReadTable(r, data->bitsPerPixel);
      if (bgIndex < data->colorMap.count) backgroundColor = RgbToColor(data->colorMap.colors[bgIndex]);
    }
    std::vector<TExtension> pending;
    for (;;) {
      std::uint8_t block = r.Byte();
      if (block == 0x3B) break;
      if (block == 0x21) {
        std::uint8_t label = r.Byte();
        TExtension e;
        switch (label) {
          case 0xF9: {
            std::uint8_t size = r.Byte();
            if (size != 4) throw EGIFError(kGifBadData);
            e.type = TExtensionType::GraphicControl;
            e.block = std::string(1, '\4') + r.Bytes(4) + std::string(1, '\0');
            r.SubBlocks();
            pending.push_back(std::move(e));
            break;
          }
          case 0x01: {
            std::uint8_t size = r.Byte();
            r.Bytes(size);
            r.SubBlocks();
            pending.clear();  // text is not shown; what came before it goes too
            break;
          }
          case 0xFF: {
            std::uint8_t size = r.Byte();
            std::string id = r.Bytes(size);
            std::vector<std::string> lines = r.SubBlocks();
            if ((id == "NETSCAPE2.0" || id == "ANIMEXTS1.0") && !lines.empty() &&
                lines[0].size() >= 3 && lines[0][0] == 1) {
              looping = true;
              int count = static_cast<std::uint8_t>(lines[0][1]) |
                          (static_cast<std::uint8_t>(lines[0][2]) << 8);
              repeatCount = static_cast<std::uint16_t>(std::min(count, 30000));
            }
            break;
          }
          case 0xFE:
            e.type = TExtensionType::Comment;
            e.lines = r.SubBlocks();
            pending.push_back(std::move(e));
            break;
          default: {
            char text[128];
            std::snprintf(text, sizeof text, kGifBadExtension, label);
            throw EGIFError(text);
          }
        }
        continue;
      }
      if (block != 0x2C) throw EGIFError(kGifBadData);
      auto f = std::make_unique<TGIFFrame>(this);
      TGIFItem& item = *f->image;
      f->left = r.Word();
      f->top = r.Word();
      item.width = r.Word();
      item.height = r.Word();
      item.packed = r.Byte();
      if (item.width == 0) item.width = screenWidth;
      if (item.height == 0) item.height = screenHeight;
      f->interlaced = (item.packed & 0x40) != 0;
      if (item.packed & 0x80) {
        item.bitsPerPixel = (item.packed & 7) + 1;
        item.colorMap = ReadTable(r, item.bitsPerPixel);
        f->localColors = true;
      } else {
        item.bitsPerPixel = data->bitsPerPixel > 0 ? data->bitsPerPixel : 8;
        item.colorMap = data->colorMap;
      }
      item.imageData = std::string(1, static_cast<char>(r.Byte()));
      for (;;) {
        if (r.AtEnd()) {
          f->corrupted = true;
          item.imageData += '\0';
          break;
        }
        std::uint8_t n = r.Byte();
        if (n > r.Left()) {
          f->corrupted = true;
          std::size_t keep = r.Left();
          item.imageData += static_cast<char>(keep);
          r.AppendTo(item.imageData, keep);
          item.imageData += '\0';
          break;
        }
        item.imageData += static_cast<char>(n);
        if (n == 0) break;
        r.AppendTo(item.imageData, n);
      }
      f->extensions = std::move(pending);
      pending.clear();
      std::uint32_t delay = 0;
      for (const TExtension& e : f->extensions) {
        if (e.type != TExtensionType::GraphicControl) continue;
        std::uint32_t d = (static_cast<std::uint8_t>(e.block[2]) |
                           (static_cast<std::uint8_t>(e.block[3]) << 8)) * 10u;
        delay = std::max(delay, d);
      }
      f->delay = delay;
      if (TExtension* g = f->FindExtension(TExtensionType::GraphicControl)) {
        std::uint8_t flags = static_cast<std::uint8_t>(g->block[1]);
        std::uint8_t index = static_cast<std::uint8_t>(g->block[4]);
        f->disposal = (flags >> 2) & 7;
        if ((flags & 1) && index < item.colorMap.count)
          f->transparentColor = RgbToColor(item.colorMap.colors[index]);
      }
      if (f->corrupted && !allowCorrupt) throw EReadError();
      frames.push_back(std::move(f));
    }
    if (!frames.empty()) {
      frameIndex = 0;
      try {
        if (decodeFirst) frames[0]->Bitmap();
      } catch (...) {
        frames.erase(frames.begin());
        frameIndex = frames.empty() ? -1 : 0;
        throw;
      }
    }
  } catch (const std::exception& e) {
    Progress(2, 0, e.what());
    throw;
  }
  Progress(2, 100, "");
  Changed();
}

void TGIFImage::EncodeFrames() {
  for (auto& f : frames)
    if (!f->HasImageData()) f->EncodeBitmap();
  for (auto& f : frames) {
    TExtension* g = f->FindExtension(TExtensionType::GraphicControl);
    if (!g && (f->delay > 0 || f->transparentColor != clNone || f->disposal != 0)) {
      f->extensions.push_back({TExtensionType::GraphicControl, std::string("\4\0\0\0\0\0", 6), {}});
      g = &f->extensions.back();
    }
    if (g) {
      unsigned d = f->delay / 10;
      g->block[2] = static_cast<char>(d & 0xFF);
      g->block[3] = static_cast<char>((d >> 8) & 0xFF);
      int index = f->image->colorMap.IndexOf(f->transparentColor);
      std::uint8_t flags = static_cast<std::uint8_t>(g->block[1]);
      if (index >= 0) {
        g->block[4] = static_cast<char>(index);
        flags |= 1;
      } else {
        flags &= ~1;
      }
      flags = static_cast<std::uint8_t>((flags & ~0x1C) | ((f->disposal & 7) << 2));
      g->block[1] = static_cast<char>(flags);
    }
    std::erase_if(f->extensions, [](const TExtension& e) {
      return e.type == TExtensionType::Comment && e.lines.empty();
    });
    if (!f->extensions.empty()) version = 2;
  }
  if (!data->comment.empty()) version = 2;
}

void TGIFImage::RecalcScreenSize() {
  int w = 0, h = 0;
  for (auto& f : frames) {
    w = std::max(w, f->left + f->Width());
    h = std::max(h, f->top + f->Height());
  }
  screenWidth = static_cast<std::uint16_t>(std::clamp(w, 0, 65535));
  screenHeight = static_cast<std::uint16_t>(std::clamp(h, 0, 65535));
}

std::string TGIFImage::SaveToStream() {
  if (frames.empty()) throw EGIFError(kGifNoData);
  EncodeFrames();
  RecalcScreenSize();
  std::string s = version == 2 ? "GIF89a" : "GIF87a";
  PutLe16(s, screenWidth);
  PutLe16(s, screenHeight);
  const TGIFColorTable& global = data->colorMap;
  if (global.count > 0) {
    int bits = LeastBits(global.count);
    int own = std::max(data->bitsPerPixel, bits);
    s += static_cast<char>(0x80 + (bits - 1) * 16 + (own - 1));
    int bg = global.IndexOf(backgroundColor);
    s += static_cast<char>(bg < 0 ? 0 : bg);
    s += static_cast<char>(data->aspectRatio);
    // The packed field's size bits are the table's own: pad it to that power of two.
    PutTable(s, global, 1 << (own));
  } else {
    s += '\0';
    s += '\0';
    s += static_cast<char>(data->aspectRatio);
  }
  if (looping && frames.size() > 1) {
    s += "\x21\xFF\x0BNETSCAPE2.0";
    s += '\3';
    s += '\1';
    PutLe16(s, repeatCount);
    s += '\0';
  }
  for (auto& f : frames) {
    for (const TExtension& e : f->extensions) {
      s += '\x21';
      s += static_cast<char>(TExtension::Label(e.type));
      s += e.block;
      if (e.type != TExtensionType::GraphicControl) PutLines(s, e.lines);
    }
    s += '\x2C';
    PutLe16(s, static_cast<unsigned>(f->left));
    PutLe16(s, static_cast<unsigned>(f->top));
    PutLe16(s, static_cast<unsigned>(f->image->width));
    PutLe16(s, static_cast<unsigned>(f->image->height));
    std::uint8_t packed = 0;
    int bits = LeastBits(f->image->colorMap.count);
    if (f->localColors) packed = static_cast<std::uint8_t>(0x80 + (bits - 1));
    if (f->interlaced) packed |= 0x40;
    s += static_cast<char>(packed);
    if (f->localColors) PutTable(s, f->image->colorMap, 1 << bits);
    s += f->image->imageData;
  }
  if (!data->comment.empty()) {
    s += "\x21\xFE";
    PutLines(s, data->comment);
  }
  s += ';';
  return s;
}

void TGIFImage::ReadData(const std::string& stored) {
  if (stored.size() < 4) throw EReadError();
  std::uint32_t n = GetLe32(stored, 0);
  if (n > stored.size() - 4) throw EReadError();
  LoadFromStream(stored.substr(4, n));
}

std::string TGIFImage::WriteData() {
  std::string gif = SaveToStream();
  std::string s;
  PutLe32(s, static_cast<std::uint32_t>(gif.size()));
  return s + gif;
}

TClipFormat CF_GIF() {
  static const TClipFormat format = RegisterClipboardFormat("GIF Image");
  return format;
}

std::vector<std::pair<TClipFormat, std::string>> TGIFImage::SaveToClipboardFormat() {
  std::vector<std::pair<TClipFormat, std::string>> items;
  if (frames.empty()) return items;
  items.emplace_back(CF_BITMAP, frames[0]->Bitmap().SaveBmp());
  const bool encoded = std::all_of(frames.begin(), frames.end(), [](const auto& f) { return f->HasImageData(); });
  if (encoded) items.emplace_back(CF_GIF(), WriteData());
  return items;
}

void TGIFImage::CopyToClipboard() {
  auto items = SaveToClipboardFormat();
  if (!items.empty()) ClipboardSetData(std::move(items));
}

void TGIFImage::LoadFromClipboardFormat() {
  if (auto gif = ClipboardGetData(CF_GIF())) {
    if (gif->size() < 4) throw EReadError();
    const std::uint32_t n = GetLe32(*gif, 0);
    if (n > gif->size() - 4) throw EReadError();
    Load(gif->substr(4, n), false);
    if (frames.empty()) return;
    // The bitmap beside the GIF data is the first frame already drawn: taken when it fits.
    if (auto bmp = ClipboardGetData(CF_BITMAP)) {
      try {
        TBitmap b = LoadBmp(*bmp);
        TGIFItem& item = *frames[0]->image;
        if (b.width == item.width && b.height == item.height) {
          b.transparentColor = frames[0]->transparentColor;
          frames[0]->bitmap = std::make_shared<TBitmap>(std::move(b));
        }
      } catch (const EInvalidGraphic&) {
      }
    }
    return;
  }
  auto bmp = ClipboardGetData(CF_BITMAP);
  if (!bmp) throw EInvalidGraphic("Unsupported clipboard format");
  Assign(LoadBmp(*bmp));
}

void TGIFImage::LoadFromFile(const std::string& path) {
  // A named pipe or a device is refused rather than waited on.
  constexpr std::uintmax_t MaxGifFileBytes = 64u << 20;
  std::string bytes;
  if (plat::ReadRegularFile(path, MaxGifFileBytes, bytes) != plat::ReadResult::Ok) throw EReadError();
  LoadFromStream(bytes);
}

void TGIFImage::SaveToFile(const std::string& path) {
  std::string bytes = SaveToStream();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("Cannot write " + path);
}

void TGIFImage::Assign(const TGIFImage& other) {
  if (&other == this) return;
  data = other.data;
  frames.clear();
  for (const auto& f : other.frames) {
    auto copy = std::make_unique<TGIFFrame>(*f);
    copy->owner = this;
    frames.push_back(std::move(copy));
  }
  version = other.version;
  backgroundColor = other.backgroundColor;
  looping = other.looping;
  repeatCount = other.repeatCount;
  frameIndex = other.frameIndex;
  screenWidth = other.screenWidth;
  screenHeight = other.screenHeight;
  transparent = other.transparent;
  Changed();
}

void TGIFImage::Assign(const TBitmap& bitmap) {
  Clear();
  AddFrame(bitmap);
}

void TGIFImage::Assign(const TGIFFrame& frame) {
  // Taken before Clear: the frame may be one of ours.
  const TGIFImage* from = frame.owner;
  auto copy = std::make_unique<TGIFFrame>(frame);
  std::shared_ptr<TGIFData> shared = from ? from->data : nullptr;
  const int v = from ? from->version : 0;
  const TColor background = from ? from->backgroundColor : clNone;
  const std::uint16_t w = from ? from->screenWidth : 0, h = from ? from->screenHeight : 0;
  Clear();
  copy->owner = this;
  if (shared) data = shared;
  version = v == 0 ? 1 : v;
  backgroundColor = background;
  frames.push_back(std::move(copy));
  frameIndex = 0;
  if (from) {
    screenWidth = w;
    screenHeight = h;
  } else {
    RecalcScreenSize();
  }
  Changed();
}

void TGIFImage::Assign(const TAnimatedCursorImage& cursor) {
  std::vector<std::unique_ptr<TGIFFrame>> made;
  for (const TIconFrame& f : cursor.frames) {
    auto frame = std::make_unique<TGIFFrame>(this);
    frame->bitmap = std::make_shared<TBitmap>(f.icon.ToBitmap(clWindow));
    // Jiffies are 1/60 s; the delay field holds at most 65535 ms.
    frame->delay = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{f.jiffies} * 100 / 6, 65535));
    made.push_back(std::move(frame));
  }
  Clear();
  frames = std::move(made);
  backgroundColor = clWindow;
  if (!frames.empty()) {
    frameIndex = 0;
    version = frames.size() > 1 ? 2 : 1;
  }
  RecalcScreenSize();
  Changed();
}

void TGIFImage::AssignTo(TBitmap& target) {
  TGIFFrame* f = Current() ? Current() : Frame(0);
  if (!f) {
    target = TBitmap();
    return;
  }
  f->AssignTo(target);
}

void TGIFImage::Draw(plat::Surface& canvas, plat::Rect r) {
  if (TGIFFrame* f = Current()) f->Draw(canvas, r, IsTransparent());
}

int TGIFImage::AddFrame(const TBitmap& bitmap) {
  auto f = std::make_unique<TGIFFrame>(this);
  f->bitmap = std::make_shared<TBitmap>(bitmap);
  f->transparentColor = bitmap.transparent ? bitmap.transparentColor : clNone;
  frames.push_back(std::move(f));
  frameIndex = FrameCount() - 1;
  if (version == 0) version = 1;
  if (FrameCount() > 1) version = 2;
  RecalcScreenSize();
  Changed();
  return frameIndex;
}

int TGIFImage::Width() {
  TGIFFrame* f = Current();
  return f ? f->Width() : 0;
}
int TGIFImage::Height() {
  TGIFFrame* f = Current();
  return f ? f->Height() : 0;
}
void TGIFImage::SetWidth(int) { throw EGIFError(kGifNoResize); }
void TGIFImage::SetHeight(int) { throw EGIFError(kGifNoResize); }

bool TGIFImage::Empty() {
  TGIFFrame* f = Current();
  return frames.empty() || !f || (!f->bitmap && !f->HasImageData());
}

bool TGIFImage::IsTransparent() const {
  if (!transparent) return false;
  for (const auto& f : frames)
    if (f->transparentColor != clNone) return true;
  return false;
}

}  // namespace zarn3set

// ---------------------------------------------------------------------------------------------
// Composition

namespace zarn3set {
namespace {

struct Box {
  int x0, y0, x1, y1;  // clipped to the screen, x1 and y1 excluded
};

Box FrameBox(TGIFFrame& f, const TBitmap& screen) {
  int w = f.Width(), h = f.Height();
  return {std::clamp(f.left, 0, screen.width), std::clamp(f.top, 0, screen.height),
          static_cast<int>(std::clamp<std::int64_t>(std::int64_t{f.left} + w, 0, screen.width)),
          static_cast<int>(std::clamp<std::int64_t>(std::int64_t{f.top} + h, 0, screen.height))};
}

const TBitmap* Decoded(TGIFFrame& f) {
  try {
    const TBitmap& b = f.Bitmap();
    return b.Empty() ? nullptr : &b;
  } catch (const std::exception&) {
    return nullptr;
  }
}

// A frame that leaves nothing of the frames before it: it covers the screen, is opaque, and
// does not restore what was under it.
bool StartsAfresh(TGIFFrame& f, const TBitmap& screen) {
  if (f.transparentColor != clNone || f.disposal == 3 || f.left > 0 || f.top > 0) return false;
  const TBitmap* b = Decoded(f);
  if (!b) return false;
  return std::int64_t{f.left} + b->width >= screen.width &&
         std::int64_t{f.top} + b->height >= screen.height;
}

void DrawOn(TGIFFrame& f, TGIFCanvas& c) {
  if (f.disposal == 3) {
    c.savedPicture = c.picture;
    c.savedCovered = c.covered;
  }
  const TBitmap* b = Decoded(f);
  if (!b) return;
  Box box = FrameBox(f, c.picture);
  const TColor hole = f.transparentColor == clNone ? clNone : (f.transparentColor & 0xFFFFFF);
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0; x < box.x1; ++x) {
      TRGB p = b->Pixel(x - f.left, y - f.top);
      if (hole != clNone && RgbToColor(p) == hole) continue;
      c.picture.SetPixel(x, y, p);
      c.covered[static_cast<std::size_t>(y) * c.picture.width + x] = 1;
    }
}

void Dispose(TGIFFrame& f, TGIFCanvas& c) {
  if (f.disposal == 2) {
    Box box = FrameBox(f, c.picture);
    for (int y = box.y0; y < box.y1; ++y)
      for (int x = box.x0; x < box.x1; ++x) {
        c.picture.SetPixel(x, y, TRGB{});
        c.covered[static_cast<std::size_t>(y) * c.picture.width + x] = 0;
      }
  } else if (f.disposal == 3 && !c.savedPicture.Empty()) {
    c.picture = c.savedPicture;
    c.covered = c.savedCovered;
  }
  // 0 and 1 leave the frame in place; 4 to 7 are undefined and do the same.
}

}  // namespace

void ComposeFrame(TGIFImage& image, int n, TGIFCanvas& c) {
  if (image.FrameCount() == 0) {
    c = TGIFCanvas();
    return;
  }
  n = std::clamp(n, 0, image.FrameCount() - 1);
  const int w = image.screenWidth, h = image.screenHeight;
  const bool sameScreen = !c.picture.Empty() && c.picture.width == w && c.picture.height == h;
  if (sameScreen && c.index == n) return;
  int start = n;
  if (sameScreen && c.index >= 0 && c.index == n - 1) {
    Dispose(*image.Frame(c.index), c);
  } else {
    c = TGIFCanvas();
    if (!c.picture.Create(w, h, 24)) return;  // an empty screen shows nothing
    c.covered.assign(static_cast<std::size_t>(w) * h, 0);
    start = 0;
    for (int k = n - 1; k > 0; --k)
      if (StartsAfresh(*image.Frame(k), c.picture)) {
        start = k;
        break;
      }
    for (int k = start; k < n; ++k) {
      if (k > start) Dispose(*image.Frame(k - 1), c);
      DrawOn(*image.Frame(k), c);
    }
    if (start < n) Dispose(*image.Frame(n - 1), c);
  }
  DrawOn(*image.Frame(n), c);
  c.index = n;
}

}  // namespace zarn3set
