// Counts the bursts of sound in a capture of the audio device (raw signed 16-bit stereo, as
// SDL's disk driver writes it): a burst is a run of samples louder than a threshold, and runs
// closer than the gap are one burst. Prints "bursts N", and " ended" when the capture closes
// with at least a gap of quiet (the last burst is over).
//
//   audio_bursts FILE [threshold=512] [gap frames=4410]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: audio_bursts FILE [threshold] [gap frames]\n");
    return 2;
  }
  const long threshold = argc > 2 ? std::atol(argv[2]) : 512;
  const long gap = argc > 3 ? std::atol(argv[3]) : 4410;
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "audio_bursts: cannot read %s\n", argv[1]);
    return 2;
  }
  long bursts = 0;
  long quiet = gap;  // frames since the last loud one; a first loud frame starts a burst
  std::int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
    const bool loud = std::labs(frame[0]) > threshold || std::labs(frame[1]) > threshold;
    if (loud) {
      if (quiet >= gap) ++bursts;
      quiet = 0;
    } else if (quiet < gap) {
      ++quiet;
    }
  }
  std::printf("bursts %ld%s\n", bursts, quiet >= gap ? " ended" : "");
  return 0;
}
