#include "game/sound/dsnd.h"

namespace zarn {

namespace {

void Speak(int lineBase, int side) { PlaySoundProc(100, VoiceWave(lineBase, side)); }

void AdvisorSays(int lineBase, int side) {
  if (GameOptions.SevnarSpeak) Speak(lineBase, side);
}

}  // namespace

int VoiceWave(int lineBase, int side) {
  if (side == 1) return lineBase;
  if (side == 0) return lineBase + 19;
  return lineBase + 38;
}

int LocalVoiceSide() { return ViewState.LocalSide; }

void VoiceBuildingReady(int side) { AdvisorSays(3, side); }
void VoiceHarvesterEvent(int side) { AdvisorSays(4, side); }
void VoiceSpecialWeapon(int side) { AdvisorSays(5, side); }
void VoiceUnitReady(int unitClass, int side) { AdvisorSays(unitClass == 15 || unitClass == 16 ? 14 : 6, side); }
void VoiceRadarOnline(int side) { AdvisorSays(7, side); }
void VoiceEnemyInBase(int side) { AdvisorSays(8, side); }
void VoiceUnitLostToWorm(int side) { AdvisorSays(11, side); }
void VoiceCarrierDrop(int side) { AdvisorSays(12, side); }
void VoiceVictory(int side) { Speak(9, side); }
void VoiceDefeat(int side) { Speak(10, side); }

}  // namespace zarn
