// The playing time of a standard MIDI file, from its tempo map. The synthesizer keeps a track
// "playing" while its last notes ring out (and reverb tails can last seconds), so the music
// player uses this to tell the game the track ended when its last event has played.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/backend.h"

namespace plat::detail {
namespace {

struct Reader {
  const std::uint8_t* p;
  const std::uint8_t* end;
  bool ok = true;

  std::uint32_t Byte() {
    if (p >= end) {
      ok = false;
      return 0;
    }
    return *p++;
  }
  std::uint32_t Be(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | Byte();
    return v;
  }
  std::uint32_t Vlq() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint32_t b = Byte();
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return v;
    }
    ok = false;  // longer than the format allows
    return 0;
  }
  void Skip(std::uint32_t n) {
    if (n > static_cast<std::size_t>(end - p)) {
      ok = false;
      p = end;
    } else {
      p += n;
    }
  }
};

struct TempoChange {
  std::uint64_t tick;
  std::uint32_t usPerBeat;
};

// Walks one track; false when it is malformed. `last` is the tick of its final event.
bool ScanTrack(Reader r, std::vector<TempoChange>& tempos, std::uint64_t& last) {
  std::uint64_t tick = 0;
  std::uint32_t status = 0;
  while (r.p < r.end) {
    tick += r.Vlq();
    std::uint32_t b = r.Byte();
    if (!r.ok) return false;
    if (b == 0xFF) {
      std::uint32_t type = r.Byte();
      std::uint32_t len = r.Vlq();
      if (!r.ok) return false;
      if (type == 0x51 && len == 3) {
        const std::uint8_t* q = r.p;
        r.Skip(3);
        if (!r.ok) return false;
        std::uint32_t us = (q[0] << 16) | (q[1] << 8) | q[2];
        if (us > 0) tempos.push_back({tick, us});
      } else {
        r.Skip(len);
      }
      if (!r.ok) return false;
      last = tick;
      if (type == 0x2F) return true;  // end of track
      continue;
    }
    if (b == 0xF0 || b == 0xF7) {
      r.Skip(r.Vlq());
      if (!r.ok) return false;
      last = tick;
      continue;
    }
    std::uint32_t data1;
    if (b & 0x80) {
      status = b;
      data1 = r.Byte();
    } else {
      if (!status) return false;  // running status with nothing to run on
      data1 = b;
    }
    std::uint32_t kind = status & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) r.Byte();
    if (!r.ok || (data1 & 0x80)) return false;
    last = tick;
  }
  return true;  // no end-of-track event: the data's end is the end
}

}  // namespace

std::uint64_t MidiLengthMs(const std::vector<std::uint8_t>& file) {
  Reader r{file.data(), file.data() + file.size()};
  if (file.size() < 14 || r.Be(4) != 0x4D546864) return 0;  // "MThd"
  std::uint32_t headerLen = r.Be(4);
  if (headerLen < 6) return 0;
  std::uint32_t format = r.Be(2);
  std::uint32_t tracks = r.Be(2);
  std::uint32_t division = r.Be(2);
  r.Skip(headerLen - 6);
  if (!r.ok || format > 2 || tracks == 0 || division == 0) return 0;

  std::vector<TempoChange> tempos;
  std::uint64_t endTick = 0, sequence = 0;
  for (std::uint32_t t = 0; t < tracks; ++t) {
    std::uint32_t id = r.Be(4);
    std::uint32_t len = r.Be(4);
    if (!r.ok || len > static_cast<std::size_t>(r.end - r.p)) return 0;
    const std::uint8_t* body = r.p;
    r.Skip(len);
    if (id != 0x4D54726B) {  // not "MTrk": an unknown chunk is skipped
      --t;
      continue;
    }
    std::uint64_t last = 0;
    std::size_t before = tempos.size();
    if (!ScanTrack(Reader{body, body + len}, tempos, last)) return 0;
    if (format == 2) {
      // Independent sequences play one after another.
      for (std::size_t i = before; i < tempos.size(); ++i) tempos[i].tick += sequence;
      sequence += last;
      endTick = sequence;
    } else {
      endTick = std::max(endTick, last);
    }
    if (r.p >= r.end && t + 1 < tracks) break;  // fewer tracks than promised: use those read
  }

  if (division & 0x8000) {  // SMPTE: frames a second x ticks a frame
    int fps = -static_cast<std::int8_t>(division >> 8);
    std::uint32_t perFrame = division & 0xFF;
    if (fps <= 0 || perFrame == 0) return 0;
    return endTick * 1000 / (static_cast<std::uint64_t>(fps) * perFrame);
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  long double us = 0;
  std::uint64_t at = 0;
  std::uint32_t usPerBeat = 500000;  // 120 beats a minute until told otherwise
  for (const TempoChange& c : tempos) {
    if (c.tick >= endTick) break;
    us += static_cast<long double>(c.tick - at) * usPerBeat / division;
    at = c.tick;
    usPerBeat = c.usPerBeat;
  }
  us += static_cast<long double>(endTick - at) * usPerBeat / division;
  return static_cast<std::uint64_t>(us / 1000);
}

}  // namespace plat::detail
