// GIF pictures (87a and 89a) with all their frames: reading, lazy LZW decoding into bitmaps,
// and writing with LZW encoding of frames made from bitmaps.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "setup/images/Clipbrd.h"
#include "setup/images/RxGraph.h"

namespace zarn3set {

// The texts the picture library reports.
inline constexpr const char* kGifBadVersion = "Неизвестная версия изображения GIF";
inline constexpr const char* kGifBadExtension = "Неопределенное расширение GIF: %.2x";
inline constexpr const char* kGifBadCodeSize = "Размер кода GIF не принадлежит диапазону от 2 до 9";
inline constexpr const char* kGifBadData = "Неверные данные в формате GIF";
inline constexpr const char* kGifNoData = "Нет данных для записи в формате GIF";
inline constexpr const char* kGifEncodeError = "Ошибка кодировки данных в формат GIF";
inline constexpr const char* kGifBadColorCount = "Неверное число цветов; должно быть степенью числа 2";
inline constexpr const char* kGifNoResize = "Невозможно изменить размер изображения GIF";
inline constexpr const char* kStreamReadError = "Stream read error";

class EGIFError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EReadError : public std::runtime_error {
 public:
  EReadError() : std::runtime_error(kStreamReadError) {}
};

struct TGIFColorTable {
  int count = 0;
  std::array<TRGB, 256> colors{};
  int IndexOf(TColor c) const;  // first entry equal to the colour, -1 when none
};
// 2, 4, ..., 256 colours give 1 to 8 bits; anything else raises kGifBadColorCount.
int ColorsToBits(int colors);

enum class TExtensionType : std::uint8_t { GraphicControl = 0, PlainText = 1, Application = 2, Comment = 3 };
struct TExtension {
  TExtensionType type = TExtensionType::Comment;
  std::string block;               // size byte and fixed block, as in the file
  std::vector<std::string> lines;  // one per data sub-block
  static std::uint8_t Label(TExtensionType t);
};

// A frame's encoded image: minimum code size, sub-blocks and the closing empty block.
struct TGIFItem {
  std::string imageData;
  int width = 0, height = 0;
  std::uint8_t packed = 0;
  int bitsPerPixel = 8;
  TGIFColorTable colorMap;
};

struct TGIFData {
  std::vector<std::string> comment;
  std::uint8_t aspectRatio = 0;
  int bitsPerPixel = 0;
  int colorResBits = 0;
  TGIFColorTable colorMap;
};

class TGIFImage;
class TAnimatedCursorImage;

class TGIFFrame {
 public:
  explicit TGIFFrame(TGIFImage* owner);
  TGIFImage* owner;
  std::shared_ptr<TGIFItem> image;
  std::shared_ptr<TBitmap> bitmap;  // decoded on first use
  int left = 0, top = 0;
  bool interlaced = false, corrupted = false, grayScale = false;
  TColor transparentColor = clNone;
  std::uint32_t delay = 0;  // ms
  int disposal = 0;
  bool localColors = false;
  std::vector<TExtension> extensions;

  // Decodes on demand; raises the decoder's errors.
  const TBitmap& Bitmap();
  bool HasImageData() const { return image && !image->imageData.empty(); }
  // Replaces the picture: the encoded data are dropped and made again when written.
  void SetBitmap(const TBitmap& b);
  void EncodeBitmap();
  void ResetFrame();
  TExtension* FindExtension(TExtensionType t);  // the last of that type
  std::vector<std::string> Comment();
  void SetComment(const std::vector<std::string>& lines);
  int Width();
  int Height();
  // Stretches the bitmap into `r`; with `transparent` its transparent colour is left out.
  void Draw(plat::Surface& canvas, plat::Rect r, bool transparent);
  // Copies another frame (its encoded image shared); the owner's screen grows to cover it.
  void Assign(const TGIFFrame& other);
  void AssignTo(TGIFFrame& target) const { target.Assign(*this); }
  void AssignTo(TGIFImage& target) const;
  // The bitmap (decoded on demand), transparent with the frame's transparent colour.
  void AssignTo(TBitmap& target);
};

// The logical screen as a viewer shows it after frames 0 to `index`: each frame at its place,
// drawn over what the frames before left after their disposal.
struct TGIFCanvas {
  int index = -1;                     // the frame last drawn, -1 for none
  TBitmap picture;                    // 24 bits, the logical screen's size
  std::vector<std::uint8_t> covered;  // 1 where a frame drew, 0 where the background shows
  // The screen before frame `index` was drawn, kept while that frame restores it afterwards.
  TBitmap savedPicture;
  std::vector<std::uint8_t> savedCovered;
};

class TGIFImage {
 public:
  TGIFImage();
  std::shared_ptr<TGIFData> data;
  int version = 0;  // 0 none, 1 "87a", 2 "89a"
  std::vector<std::unique_ptr<TGIFFrame>> frames;
  int frameIndex = -1;
  std::uint16_t screenWidth = 0, screenHeight = 0;
  TColor backgroundColor = clNone;
  bool looping = false;
  std::uint16_t repeatCount = 1;
  bool transparent = true;
  bool allowCorrupt = false;  // tolerate damaged data instead of raising

  // stage 0 start, 1 running (percent), 2 end (100, or the error text).
  std::function<void(int stage, int percent, const std::string& message)> OnProgress;
  std::function<void()> OnChange;

  void Clear();
  // Reads everything of `bytes`; the first frame is decoded at once (removed when it fails).
  void LoadFromStream(const std::string& bytes);
  std::string SaveToStream();
  // The stored form: a 4-byte little-endian length, then the GIF data.
  void ReadData(const std::string& stored);
  std::string WriteData();
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path);
  // For the clipboard: the first frame's bitmap, and the GIF data (with their length) when
  // every frame already holds its encoded image; nothing without frames.
  std::vector<std::pair<TClipFormat, std::string>> SaveToClipboardFormat();
  void CopyToClipboard();
  // The clipboard's GIF data (not decoded; the first frame's bitmap taken from the bitmap
  // beside them when it fits), else its bitmap. Raises when it holds neither or they are bad.
  void LoadFromClipboardFormat();

  void Assign(const TGIFImage& other);
  void Assign(const TBitmap& bitmap);
  // A one-frame image with the frame's screen data.
  void Assign(const TGIFFrame& frame);
  // Each icon frame on the window colour, its delay jiffies x 100 / 6 ms.
  void Assign(const TAnimatedCursorImage& cursor);
  // The current frame's bitmap (the first frame's without a current one).
  void AssignTo(TBitmap& target);
  // The current frame, its transparent colour left out when the image counts as transparent.
  void Draw(plat::Surface& canvas, plat::Rect r);
  int AddFrame(const TBitmap& bitmap);
  void EncodeFrames();
  void RecalcScreenSize();

  // Everything of `bytes`; the first frame decoded at once when asked (removed when it fails).
  void Load(const std::string& bytes, bool decodeFirst);
  int FrameCount() const { return static_cast<int>(frames.size()); }
  TGIFFrame* Frame(int i) { return i >= 0 && i < FrameCount() ? frames[i].get() : nullptr; }
  TGIFFrame* Current() { return Frame(frameIndex); }
  int Width();
  int Height();
  [[noreturn]] void SetWidth(int);
  [[noreturn]] void SetHeight(int);
  bool Empty();
  bool IsTransparent() const;
  void Changed() { if (OnChange) OnChange(); }
  void Progress(int stage, int percent, const std::string& message) {
    if (OnProgress) OnProgress(stage, percent, message);
  }
};

// The clipboard format of GIF data: "GIF Image".
TClipFormat CF_GIF();

// Composes frame `n` (capped to the last) into `canvas`, going on from the frame the canvas
// holds when that is the one before. A frame that cannot be decoded draws nothing.
void ComposeFrame(TGIFImage& image, int n, TGIFCanvas& canvas);

// Decodes one frame's image data into a bitmap of 1, 4 or 8 bits.
void DecodeGifFrame(const TGIFItem& item, bool interlaced, bool allowCorrupt, bool& corrupted,
                    TBitmap& out);
// LZW-encodes the rows of a 1, 4 or 8-bit bitmap (interlace order when asked).
std::string EncodeGifPixels(const TBitmap& b, bool interlaced,
                            const std::function<void(int percent)>& progress = {});

}  // namespace zarn3set
