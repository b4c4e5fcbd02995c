// Procedural tunes for the demo game folder: calm desert pieces and driving battle pieces.
#pragma once
#include <string>

#include "tools/demomusic/midi.h"

namespace demomusic {

enum class Mood { Calm, Battle, Title, Victory, Defeat, Authors };

// Composes one tune; the name seeds every choice, so each file differs and the output is
// the same on every build.
Track Compose(const std::string& name, Mood mood);

}  // namespace demomusic
