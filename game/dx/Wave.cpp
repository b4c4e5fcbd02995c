#include "game/dx/Wave.h"

#include <algorithm>
#include <cstring>

namespace zarn {

TWaveFormatEx MakePCMFormat(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
  TWaveFormatEx f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  f.wBitsPerSample = bits;
  f.cbSize = 0;
  return f;
}

// ---------------------------------------------------------------------------------------------
// TWave

void TWave::Assign(const TWave* source) {
  if (source == this) return;
  if (!source) {
    Clear();
    return;
  }
  format_ = source->format_;
  SetSize(source->size_);
  if (size_ > 0) std::memcpy(data_.data(), source->data_.data(), static_cast<std::size_t>(size_));
}

void TWave::Clear() {
  format_.clear();
  data_.clear();
  data_.shrink_to_fit();
  size_ = 0;
}

void TWave::SetFormat(std::span<const std::uint8_t> format) {
  format_.assign(format.begin(), format.end());
}

void TWave::SetFormat(const TWaveFormatEx& format) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&format);
  format_.assign(p, p + sizeof format);
}

TWaveFormatEx TWave::FormatRecord() const {
  TWaveFormatEx f{};
  if (!format_.empty()) std::memcpy(&f, format_.data(), std::min(format_.size(), sizeof f));
  return f;
}

void TWave::SetSize(std::int32_t n) {
  if (n < 0) n = 0;
  const auto blocks = (static_cast<std::int64_t>(n) + kBlockSize - 1) / kBlockSize;
  const auto bytes = static_cast<std::size_t>(blocks * kBlockSize);
  if (bytes != data_.size()) {
    std::vector<std::uint8_t> fresh(bytes);
    const std::size_t keep = std::min(bytes, data_.size());
    if (keep > 0) std::memcpy(fresh.data(), data_.data(), keep);
    data_.swap(fresh);
  }
  size_ = n;
}

void TWave::SetSamples(std::span<const std::uint8_t> bytes) {
  SetSize(static_cast<std::int32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(data_.data(), bytes.data(), bytes.size());
}

void TWave::ReadData(TStream& stream) {
  TWaveStream ws(stream);
  ws.Open(false);
  const std::int64_t n = ws.GetDataSize();
  if (n > 0x7FFFFFFF) throw EWaveStreamError(SInvalidWave);
  // Read into a fresh wave, so a rejected file leaves this one as it was.
  TWave fresh;
  fresh.SetFormat(
      std::span<const std::uint8_t>(ws.GetFormat(), static_cast<std::size_t>(ws.GetFormatSize())));
  fresh.SetSize(static_cast<std::int32_t>(n));
  if (ws.Read(fresh.data_.data(), n) != n) throw EWaveStreamError(SInvalidWave);
  format_.swap(fresh.format_);
  data_.swap(fresh.data_);
  size_ = fresh.size_;
}

void TWave::WriteData(TStream& stream) const {
  if (FormatSize() <= 0 || size_ <= 0) return;
  TWaveStream ws(stream);
  ws.SetFormat(format_);
  ws.Open(true);
  ws.WriteBuffer(data_.data(), size_);
  ws.Close();
}

void TWave::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  TReadOnlyStream s(bytes);
  ReadData(s);
}

std::vector<std::uint8_t> TWave::SaveToBytes() const {
  TMemoryStream s;
  WriteData(s);
  return std::move(s.Bytes());
}

// ---------------------------------------------------------------------------------------------
// Wave streams

std::int64_t TCustomWaveStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const std::int64_t size = GetDataSize();
  if (size >= 0) {
    position_ = std::clamp<std::int64_t>(position_, 0, size);
    count = std::min(count, size - position_);
    if (count <= 0) return 0;
  }
  const std::int64_t n = ReadWave(buffer, count);
  position_ += n;
  return n;
}

std::int64_t TCustomWaveStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const std::int64_t n = WriteWave(buffer, count);
  position_ += n;
  return n;
}

std::int64_t TCustomWaveStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t size = GetDataSize();
  std::int64_t p = origin == soBeginning ? offset
                   : origin == soCurrent ? position_ + offset
                                         : size + offset;
  if (p < 0) p = 0;
  if (size >= 0 && p > size) p = size;
  position_ = p;
  return p;
}

namespace {

constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[0])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[3])) << 24;
}

#pragma pack(push, 1)
struct RiffHeader {
  std::uint32_t riff;
  std::uint32_t size;
  std::uint32_t form;
};
struct ChunkHeader {
  std::uint32_t id;
  std::uint32_t size;
};
#pragma pack(pop)
static_assert(sizeof(RiffHeader) == 12 && sizeof(ChunkHeader) == 8);

}  // namespace

TWaveStream::TWaveStream(TStream& stream) : stream_(stream), startPos_(stream.Position()) {}

TWaveStream::~TWaveStream() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; Close is called explicitly where the result matters.
  }
}

void TWaveStream::Open(bool forWrite) {
  if (opened_) throw EWaveStreamError(SWaveStreamOpened);
  if (forWrite)
    WriteHeader();
  else
    ReadHeader();
}

void TWaveStream::ReadHeader() {
  stream_.SetPosition(startPos_);
  const std::int64_t end = stream_.Size();
  if (end - startPos_ <= 0) {  // an empty payload is a wave with no format and no data
    opened_ = true;
    openedRead_ = true;
    dataSize_ = 0;
    dataStartPos_ = startPos_;
    return;
  }
  RiffHeader rh{};
  if (stream_.Read(&rh, sizeof rh) != sizeof rh || rh.riff != FourCC("RIFF") ||
      rh.form != FourCC("WAVE"))
    throw EWaveStreamError(SInvalidWave);

  std::vector<std::uint8_t> format;
  bool haveData = false;
  std::int64_t dataPos = 0, dataSize = 0;
  for (;;) {
    std::int64_t pos = stream_.Position();
    // A pad byte after an odd chunk, as other writers leave it; a chunk id never starts
    // with zero, and a zero id ends the chunks anyway.
    if (end - pos >= 1) {
      std::uint8_t first = 0;
      stream_.Read(&first, 1);
      if (first != 0)
        stream_.SetPosition(pos);
      else if (end - pos - 1 >= static_cast<std::int64_t>(sizeof(ChunkHeader)))
        pos += 1;
      else
        break;
    }
    if (end - pos < static_cast<std::int64_t>(sizeof(ChunkHeader))) break;
    ChunkHeader ch{};
    stream_.ReadBuffer(&ch, sizeof ch);
    if (ch.id == 0) break;
    const std::int64_t left = end - stream_.Position();
    if (static_cast<std::int64_t>(ch.size) > left) throw EWaveStreamError(SInvalidWave);
    if (ch.id == FourCC("fmt ")) {
      format.resize(ch.size);
      stream_.ReadBuffer(format.data(), ch.size);
    } else if (ch.id == FourCC("data")) {
      haveData = true;
      dataSize = ch.size;
      dataPos = stream_.Position();
      stream_.Seek(ch.size, soCurrent);
    } else {
      stream_.Seek(ch.size, soCurrent);
    }
  }
  SetFormat(format);
  opened_ = true;
  openedRead_ = true;
  dataSize_ = haveData ? dataSize : 0;
  dataStartPos_ = haveData ? dataPos : stream_.Position();
  position_ = 0;
}

void TWaveStream::WriteHeader() {
  if (GetFormatSize() <= 0) throw EWaveStreamError(SInvalidWaveFormat);
  stream_.SetPosition(startPos_);
  const RiffHeader rh{0, 0, 0};  // completed by Close
  stream_.WriteBuffer(&rh, sizeof rh);
  const ChunkHeader fmt{FourCC("fmt "), static_cast<std::uint32_t>(GetFormatSize())};
  stream_.WriteBuffer(&fmt, sizeof fmt);
  stream_.WriteBuffer(GetFormat(), GetFormatSize());
  dataHeaderPos_ = stream_.Position();
  const ChunkHeader data{FourCC("data"), 0};
  stream_.WriteBuffer(&data, sizeof data);
  dataStartPos_ = stream_.Position();
  opened_ = true;
  openedRead_ = false;
  position_ = 0;
}

void TWaveStream::Close() {
  if (!opened_) return;
  opened_ = false;
  if (openedRead_) return;
  const std::int64_t dataSize = stream_.Size() - dataStartPos_;
  const ChunkHeader data{FourCC("data"), static_cast<std::uint32_t>(dataSize)};
  stream_.SetPosition(dataHeaderPos_);
  stream_.WriteBuffer(&data, sizeof data);
  stream_.Seek(0, soEnd);
  const std::uint8_t zero = 0;
  stream_.WriteBuffer(&zero, 1);
  const std::int64_t total = stream_.Size() - startPos_;
  const RiffHeader rh{FourCC("RIFF"), static_cast<std::uint32_t>(total - 8), FourCC("WAVE")};
  stream_.SetPosition(startPos_);
  stream_.WriteBuffer(&rh, sizeof rh);
  stream_.Seek(0, soEnd);
}

std::int64_t TWaveStream::GetDataSize() const {
  if (!opened_) return 0;
  if (openedRead_) return dataSize_;
  return std::max<std::int64_t>(stream_.Size() - dataStartPos_, 0);
}

std::int64_t TWaveStream::ReadWave(void* buffer, std::int64_t count) {
  if (!opened_) throw EWaveStreamError(SWaveStreamNotOpened);
  stream_.SetPosition(dataStartPos_ + position_);
  return stream_.Read(buffer, count);
}

std::int64_t TWaveStream::WriteWave(const void* buffer, std::int64_t count) {
  if (!opened_) throw EWaveStreamError(SWaveStreamNotOpened);
  stream_.SetPosition(dataStartPos_ + position_);
  return stream_.Write(buffer, count);
}

}  // namespace zarn
