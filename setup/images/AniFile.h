// Animated cursor files (RIFF "ACON"): their header, icon frames, rates and sequence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/images/IcoList.h"

namespace zarn3set {

#pragma pack(push, 1)
struct TAniHeader {
  std::uint32_t size;
  std::uint32_t frames;
  std::uint32_t steps;
  std::uint32_t width, height;
  std::uint32_t bitCount, planes;
  std::uint32_t jifRate;  // default display time of a step, 1/60 s
  std::uint32_t flags;    // bit 0: frames are icons; bit 1: a sequence is given
};
#pragma pack(pop)
static_assert(sizeof(TAniHeader) == 36);

struct TIconFrame {
  TIcon icon;
  std::uint32_t jiffies = 0;
};

class TAnimatedCursorImage {
 public:
  TAniHeader header{};
  std::vector<TIconFrame> frames;  // in display order
  std::string title, creator;
  std::vector<std::uint32_t> rates, sequence;

  void Clear();
  // Raises EReadError-style EInvalidGraphic("Stream read error") on a malformed file; the
  // image is left as it was.
  void LoadFromStream(const std::string& bytes);
  void LoadFromFile(const std::string& path);
  // Not supported: the user is told and the operation is given up (EAbort).
  [[noreturn]] void SaveToStream();
  void AssignTo(TIconList& list) const;
  void AssignTo(TIcon& icon) const;  // the first frame
  // Every frame side by side on the brush colour (24 bits); `reduce` brings it down to the
  // cursor's own colour count, at least 16.
  TBitmap AssignToBitmap(TColor brush, bool reduce = false) const;
};

}  // namespace zarn3set
