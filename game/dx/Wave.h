// Sampled sound in memory (a format block and the sample bytes) and its RIFF WAVE form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "game/dx/DXClass.h"

namespace zarn {

struct EWaveStreamError : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SWaveStreamNotOpened = "Stream not opend";
inline constexpr const char* SWaveStreamOpened = "Stream has already been opened";
inline constexpr const char* SInvalidWave = "Wave is invalid";
inline constexpr const char* SInvalidWaveFormat = "Format is invalid";

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
// The leading fields of a "fmt " chunk body.
struct TWaveFormatEx {
  std::uint16_t wFormatTag;
  std::uint16_t nChannels;
  std::uint32_t nSamplesPerSec;
  std::uint32_t nAvgBytesPerSec;
  std::uint16_t nBlockAlign;
  std::uint16_t wBitsPerSample;
  std::uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(TWaveFormatEx) == 18);
static_assert(offsetof(TWaveFormatEx, nSamplesPerSec) == 4);
static_assert(offsetof(TWaveFormatEx, nBlockAlign) == 12);
static_assert(offsetof(TWaveFormatEx, wBitsPerSample) == 14);

// The 18-byte record of PCM samples.
TWaveFormatEx MakePCMFormat(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels);

class TWave {
 public:
  // Sample storage grows in whole blocks of this many bytes.
  static constexpr std::int32_t kBlockSize = 8096;

  TWave() = default;
  TWave(const TWave& other) { Assign(&other); }
  TWave& operator=(const TWave& other) {
    Assign(&other);
    return *this;
  }

  // None clears; another wave is copied.
  void Assign(const TWave* source);
  void Clear();
  bool Empty() const { return format_.empty() && size_ == 0; }

  const std::uint8_t* Format() const { return format_.empty() ? nullptr : format_.data(); }
  std::int32_t FormatSize() const { return static_cast<std::int32_t>(format_.size()); }
  void SetFormat(std::span<const std::uint8_t> format);
  void SetFormat(const TWaveFormatEx& format);
  // The leading fields of the format block, zero where the block is shorter.
  TWaveFormatEx FormatRecord() const;
  void SetPCM(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
    SetFormat(MakePCMFormat(rate, bits, channels));
  }

  std::int32_t Size() const { return size_; }
  // Keeps the first bytes; reallocates only when the block count changes.
  void SetSize(std::int32_t n);
  std::size_t Capacity() const { return data_.size(); }
  std::uint8_t* Data() { return data_.data(); }
  const std::uint8_t* Data() const { return data_.data(); }
  std::span<const std::uint8_t> Samples() const {
    return {data_.data(), static_cast<std::size_t>(size_)};
  }
  void SetSamples(std::span<const std::uint8_t> bytes);

  // The binary property "WAVE": a complete RIFF WAVE file (empty: no format and no samples).
  // ReadData checks the whole file before it changes the wave and throws EWaveStreamError.
  void ReadData(TStream& stream);
  // Writes nothing for a wave without format or samples.
  void WriteData(TStream& stream) const;
  void LoadFromBytes(std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> SaveToBytes() const;

 private:
  std::vector<std::uint8_t> format_;
  std::vector<std::uint8_t> data_;
  std::int32_t size_ = 0;
};

// A stream of samples: position 0 is the first sample byte.
class TCustomWaveStream : public TStream {
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return GetDataSize() < 0 ? position_ : GetDataSize(); }

  virtual const std::uint8_t* GetFormat() const { return nullptr; }
  virtual std::int32_t GetFormatSize() const { return 0; }
  // -1: no limit.
  virtual std::int64_t GetDataSize() const { return -1; }
  virtual std::int64_t ReadWave(void*, std::int64_t) { return 0; }
  virtual void SetFormatSize(std::int32_t) {}
  virtual std::int64_t WriteWave(const void*, std::int64_t) { return 0; }

 protected:
  std::int64_t position_ = 0;
};

// Owns its format block.
class TCustomWaveStream2 : public TCustomWaveStream {
 public:
  const std::uint8_t* GetFormat() const override {
    return format_.empty() ? nullptr : format_.data();
  }
  std::int32_t GetFormatSize() const override { return static_cast<std::int32_t>(format_.size()); }
  void SetFormatSize(std::int32_t size) override {
    format_.assign(static_cast<std::size_t>(size < 0 ? 0 : size), 0);
  }
  void SetFormat(std::span<const std::uint8_t> f) { format_.assign(f.begin(), f.end()); }
  std::uint8_t* FormatBytes() { return format_.data(); }

 private:
  std::vector<std::uint8_t> format_;
};

// A RIFF WAVE file in another stream (not owned), starting at that stream's position when the
// wave stream is made.
class TWaveStream : public TCustomWaveStream2 {
 public:
  explicit TWaveStream(TStream& stream);
  ~TWaveStream() override;

  // Reads and checks the RIFF header and the chunks; every chunk must lie inside the stream.
  void Open(bool forWrite);
  // Completes the header of a stream opened for writing.
  void Close();
  bool Opened() const { return opened_; }

  std::int64_t GetDataSize() const override;
  std::int64_t ReadWave(void* buffer, std::int64_t count) override;
  std::int64_t WriteWave(const void* buffer, std::int64_t count) override;

 private:
  void ReadHeader();
  void WriteHeader();

  TStream& stream_;
  std::int64_t startPos_;
  std::int64_t dataHeaderPos_ = 0;
  std::int64_t dataStartPos_ = 0;
  std::int64_t dataSize_ = 0;
  bool opened_ = false;
  bool openedRead_ = false;
};

}  // namespace zarn
