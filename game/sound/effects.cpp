#include <algorithm>
#include <cmath>

#include "game/sound/dsnd.h"

namespace zarn {

namespace {

void Play(int volume, int wave) { PlaySoundProc(volume, wave); }

}  // namespace

int PositionalVolume(int x, int y) {
  const long vx = ViewState.ViewX, vy = ViewState.ViewY;
  if (x >= vx && x <= vx + 19 && y >= vy && y <= vy + 9) return 100;
  const double w = GameMap.Width, h = GameMap.Height;
  const double full = std::sqrt(w * w + h * h);
  if (!(full > 0)) return 0;
  const double dx = static_cast<double>(vx + 10 - x), dy = static_cast<double>(vy + 5 - y);
  const double d = std::sqrt(dx * dx + dy * dy);
  // Anything beyond the map's diagonal is as quiet as the player can set; clamping also keeps
  // the truncation inside the integer range.
  return static_cast<int>(std::clamp((full - d) / full * 100.0, 0.0, 100.0));
}

void PlaySoundAt(int x, int y, int wave) { Play(PositionalVolume(x, y), wave); }

void PlayDeathSound(int x, int y, int unitKind) {
  int wave;
  switch (unitKind) {
    case 0: case 1: case 2: case 3: wave = 66 + Random(5); break;
    case 4: case 5: case 6: case 9: case 13: case 14: case 15: wave = 72; break;
    case 7: case 11: wave = 73; break;
    case 10: case 12: wave = 74; break;
    default: return;  // the rocket launcher and unknown kinds die silently
  }
  PlaySoundAt(x, y, wave);
}

void PlayCrushSound(int x, int y) { PlaySoundAt(x, y, 71); }
void PlayBuildingDestroyedSound(int x, int y) { PlaySoundAt(x, y, 75); }

void PlayWeaponSound(int x, int y, int weaponClass) {
  static constexpr int waves[8] = {58, 60, 59, 61, 62, 63, 65, 64};
  if (weaponClass < 0 || weaponClass > 7) return;
  PlaySoundAt(x, y, waves[weaponClass]);
}

void PlayWormSound(int x, int y) { PlaySoundAt(x, y, 83); }
void PlayWormSound2(int x, int y) { PlaySoundAt(x, y, Random(10) % 2 == 0 ? 84 : 85); }
void PlayBloomBurstSound(int x, int y) { PlaySoundAt(x, y, 86); }
void PlaySilosNeededSound(int x, int y) { PlaySoundAt(x, y, 82); }

void PlayButtonSound() { Play(100, 89); }
void PlayPlaceBuildingSound() { Play(100, 87); }
void PlayHoverSound() { Play(75, 90); }
void PlayClickSound() { Play(100, 95); }
void StopSound() { Play(100, 0); }
void VoiceFaction0() { Play(100, 96); }
void VoiceFaction1() { Play(100, 98); }
void VoiceFaction2() { Play(100, 97); }

void PlaySelectAck() {
  if (GameOptions.UnitSpeak) Play(100, Random(10) % 2 == 0 ? 76 : 77);
}

void PlaySelectAckSound() {
  if (GameOptions.UnitSpeak) Play(100, 78);
}

void PlayOrderAck() {
  if (GameOptions.UnitExecuteSpeak) Play(100, Random(10) % 2 == 0 ? 79 : 80);
}

void PlayOrderAck2() {
  if (GameOptions.UnitExecuteSpeak) Play(100, 81);
}

void PlayBuildingSound(int buildingKind) {
  if (!GameOptions.BuildSpeak) return;
  switch (buildingKind) {
    case 3: Play(100, 94); break;
    case 6: Play(60, 91); break;
    case 9: case 10: Play(50, 92); break;
    case 12: Play(60, 93); break;
    default: Play(100, 89); break;
  }
}

void PlaySpecialWeaponSound() {
  if (GameOptions.SevnarSpeak) Play(100, 88);
}

}  // namespace zarn
