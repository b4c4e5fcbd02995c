#include "game/dx/Wave.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutId(Bytes& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}
void PutChunk(Bytes& b, const char* id, const Bytes& body) {
  PutId(b, id);
  Put32(b, static_cast<std::uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
Bytes FormatBytes() {
  const TWaveFormatEx f = MakePCMFormat(22050, 16, 1);
  const auto* p = reinterpret_cast<const std::uint8_t*>(&f);
  return Bytes(p, p + sizeof f);
}
Bytes Riff(const Bytes& chunks, const char* form = "WAVE") {
  Bytes b;
  PutId(b, "RIFF");
  Put32(b, static_cast<std::uint32_t>(chunks.size() + 4));
  PutId(b, form);
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}
Bytes Samples(std::size_t n) {
  Bytes s(n);
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return s;
}

TEST(Wave, WritesTheRiffLayoutAndReadsItBackByteForByte) {
  TWave w;
  w.SetPCM(22050, 16, 1);
  const Bytes samples = Samples(1001);  // odd, to see that no padding is added inside
  w.SetSamples(samples);
  const Bytes file = w.SaveToBytes();

  ASSERT_EQ(file.size(), 12u + 8 + 18 + 8 + 1001 + 1);
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(Get32(file, 4), file.size() - 8);  // the appended zero byte counts
  EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(Get32(file, 16), 18u);
  EXPECT_EQ(std::memcmp(file.data() + 38, "data", 4), 0);
  EXPECT_EQ(Get32(file, 42), 1001u);
  EXPECT_EQ(Bytes(file.begin() + 46, file.begin() + 46 + 1001), samples);
  EXPECT_EQ(file.back(), 0);

  TWave back;
  back.LoadFromBytes(file);
  EXPECT_EQ(back.FormatSize(), 18);
  EXPECT_EQ(back.FormatRecord().nSamplesPerSec, 22050u);
  EXPECT_EQ(Bytes(back.Samples().begin(), back.Samples().end()), samples);
  EXPECT_EQ(back.SaveToBytes(), file);
}

TEST(Wave, ReadsChunksInAnyOrderSkippingOthersAndPadBytes) {
  const Bytes samples = Samples(7);
  Bytes chunks;
  PutChunk(chunks, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'});
  chunks.push_back(0);  // the pad byte another writer puts after an odd chunk
  PutChunk(chunks, "data", samples);
  chunks.push_back(0);
  PutChunk(chunks, "fmt ", FormatBytes());
  TWave w;
  w.LoadFromBytes(Riff(chunks));
  EXPECT_EQ(w.FormatSize(), 18);
  EXPECT_EQ(Bytes(w.Samples().begin(), w.Samples().end()), samples);

  // An empty payload is a wave with nothing in it, and such a wave writes nothing.
  TWave empty;
  empty.LoadFromBytes({});
  EXPECT_TRUE(empty.Empty());
  EXPECT_TRUE(empty.SaveToBytes().empty());
  TWave formatOnly;
  formatOnly.SetPCM(11025, 8, 1);
  EXPECT_TRUE(formatOnly.SaveToBytes().empty());
}

TEST(Wave, RejectsHostileFilesAndKeepsTheOldWave) {
  TWave w;
  w.SetPCM(8000, 8, 1);
  w.SetSamples(Samples(10));
  const Bytes before = w.SaveToBytes();

  Bytes good;
  PutChunk(good, "fmt ", FormatBytes());
  PutChunk(good, "data", Samples(100));
  std::vector<Bytes> hostile;
  hostile.push_back(Riff(good, "AVI "));
  hostile.push_back(Bytes{'R', 'I', 'F', 'F', 1});  // shorter than a header
  {
    Bytes b;  // a chunk that claims more than the file holds
    PutId(b, "fmt ");
    Put32(b, 0xFFFFFFF0u);
    hostile.push_back(Riff(b));
  }
  {
    Bytes b;
    PutChunk(b, "fmt ", FormatBytes());
    PutId(b, "data");
    Put32(b, 101);  // one more than follows
    const Bytes s = Samples(100);
    b.insert(b.end(), s.begin(), s.end());
    hostile.push_back(Riff(b));
  }
  // Every truncation of a good file.
  const Bytes full = Riff(good);
  for (std::size_t n = 1; n + 1 < full.size(); n += 9) {
    if (n < 12 || n >= 12 + 8 + 18 + 8)
      hostile.push_back(Bytes(full.begin(), full.begin() + static_cast<long>(n)));
  }
  for (const Bytes& h : hostile) {
    EXPECT_THROW(w.LoadFromBytes(h), EWaveStreamError) << h.size();
    EXPECT_EQ(w.SaveToBytes(), before);
  }
  try {
    w.LoadFromBytes(Riff(good, "AVI "));
  } catch (const EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Wave is invalid");
  }
}

TEST(Wave, StorageGrowsInWholeBlocksOf8096) {
  TWave w;
  w.SetSize(8096);
  EXPECT_EQ(w.Capacity(), 8096u);
  const std::uint8_t* p = w.Data();
  w.SetSize(100);  // same block count: no reallocation, the bytes stay
  EXPECT_EQ(w.Data(), p);
  w.SetSize(8097);
  EXPECT_EQ(w.Capacity(), 16192u);
  EXPECT_EQ(w.Size(), 8097);
  w.SetSize(0);
  EXPECT_EQ(w.Capacity(), 0u);
}

TEST(WaveStream, ClampsReadsAndSeeksAndGuardsItsState) {
  TWave src;
  src.SetPCM(8000, 8, 1);
  src.SetSamples(Samples(50));
  TMemoryStream file(src.SaveToBytes());

  TWaveStream ws(file);
  std::uint8_t buf[100];
  EXPECT_THROW(ws.ReadWave(buf, 1), EWaveStreamError);  // "Stream not opend"
  ws.Open(false);
  EXPECT_THROW(ws.Open(false), EWaveStreamError);
  EXPECT_EQ(ws.GetDataSize(), 50);
  EXPECT_EQ(ws.Seek(-10, soEnd), 40);
  EXPECT_EQ(ws.Read(buf, 100), 10);
  EXPECT_EQ(buf[0], Samples(50)[40]);
  EXPECT_EQ(ws.Seek(500, soBeginning), 50);
  EXPECT_EQ(ws.Seek(-500, soCurrent), 0);

  TMemoryStream out;
  TWaveStream writer(out);
  try {
    writer.Open(true);
    FAIL();
  } catch (const EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Format is invalid");
  }
}

}  // namespace
}  // namespace zarn
