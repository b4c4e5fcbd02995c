// A small Standard MIDI File writer: one track (type 0), events placed at absolute ticks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace demomusic {

constexpr int kTicksPerQuarter = 480;

struct Event {
  uint32_t tick;
  int order;  // at equal ticks: meta and program changes first, then note-offs, then note-ons
  std::vector<uint8_t> bytes;
};

struct Track {
  std::vector<Event> events;
  void Tempo(uint32_t tick, int bpm);
  void Program(uint32_t tick, int channel, int program);
  void Controller(uint32_t tick, int channel, int controller, int value);
  void Note(uint32_t tick, uint32_t length, int channel, int key, int velocity);
  uint32_t EndTick() const;
};

// The whole file, header and track chunk, ending with the end-of-track meta event.
std::vector<uint8_t> WriteSmf(const Track& track, const std::string& name);

}  // namespace demomusic
