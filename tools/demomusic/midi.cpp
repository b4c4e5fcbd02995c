#include "tools/demomusic/midi.h"

#include <algorithm>

namespace demomusic {
namespace {

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while ((v >>= 7) != 0) buf[n++] = 0x80 | (v & 0x7F);
  while (n > 0) out.push_back(buf[--n]);
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

uint8_t Clamp7(int v) { return uint8_t(std::clamp(v, 0, 127)); }

}  // namespace

void Track::Tempo(uint32_t tick, int bpm) {
  const uint32_t usPerQuarter = 60'000'000u / uint32_t(bpm);
  events.push_back({tick, 0, {0xFF, 0x51, 0x03, uint8_t(usPerQuarter >> 16),
                              uint8_t(usPerQuarter >> 8), uint8_t(usPerQuarter)}});
}

void Track::Program(uint32_t tick, int channel, int program) {
  events.push_back({tick, 0, {uint8_t(0xC0 | channel), Clamp7(program)}});
}

void Track::Controller(uint32_t tick, int channel, int controller, int value) {
  events.push_back({tick, 0, {uint8_t(0xB0 | channel), Clamp7(controller), Clamp7(value)}});
}

void Track::Note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
  if (length == 0 || key < 0 || key > 127) return;
  events.push_back({tick, 2, {uint8_t(0x90 | channel), Clamp7(key), Clamp7(std::max(velocity, 1))}});
  events.push_back({tick + length, 1, {uint8_t(0x80 | channel), Clamp7(key), 64}});
}

uint32_t Track::EndTick() const {
  uint32_t end = 0;
  for (const Event& e : events) end = std::max(end, e.tick);
  return end;
}

std::vector<uint8_t> WriteSmf(const Track& track, const std::string& name) {
  std::vector<Event> events = track.events;
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });

  std::vector<uint8_t> body;
  // Track name first, so a player's file list shows something readable.
  body.push_back(0x00);
  body.push_back(0xFF);
  body.push_back(0x03);
  PutVarLen(body, uint32_t(name.size()));
  body.insert(body.end(), name.begin(), name.end());

  uint32_t now = 0;
  for (const Event& e : events) {
    PutVarLen(body, e.tick - now);
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  // A short tail so the last notes ring out before the player loops or stops.
  PutVarLen(body, kTicksPerQuarter);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});

  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  PutBe32(out, 6);
  out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, uint8_t(kTicksPerQuarter >> 8),
                         uint8_t(kTicksPerQuarter & 0xFF)});
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  PutBe32(out, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace demomusic
