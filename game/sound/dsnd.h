// Which sound effect, voice line or music track fits a game event. Events never name wave
// numbers or files themselves; these procedures choose, check the player's settings and hand
// the result to the shell through PlaySoundProc and PlayMusicProc.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/base/dvga.h"
#include "game/base/globals.h"
#include "game/base/hooks.h"
#include "game/base/maps.h"
#include "game/base/options.h"

namespace zarn {

// --- Positional effects: full volume inside the view, fading with distance outside it. ---

// Volume percent for an effect at tile (x, y) as heard from the current view.
int PositionalVolume(int x, int y);
void PlaySoundAt(int x, int y, int wave);

void PlayDeathSound(int x, int y, int unitKind);
void PlayCrushSound(int x, int y);
void PlayBuildingDestroyedSound(int x, int y);
void PlayWeaponSound(int x, int y, int weaponClass);
void PlayWormSound(int x, int y);
void PlayWormSound2(int x, int y);
void PlayBloomBurstSound(int x, int y);
void PlaySilosNeededSound(int x, int y);

// --- Interface sounds. ---
void PlayButtonSound();
void PlayPlaceBuildingSound();
void PlayHoverSound();
void PlayClickSound();  // the page lists' click, through PlayClickSoundProc
void StopSound();
void VoiceFaction0();
void VoiceFaction1();
void VoiceFaction2();

// --- Acknowledgements, each behind its setting. ---
void PlaySelectAck();
void PlaySelectAckSound();
void PlayOrderAck();
void PlayOrderAck2();
void PlayBuildingSound(int buildingKind);
void PlaySpecialWeaponSound();

// --- The advisor's voice lines. Each line is recorded once per playable faction. ---

// Wave of voice line base n for a side: Almireth (1) n, Gorvassen (0) n + 19, Telix n + 38.
int VoiceWave(int lineBase, int side);
// The side of the player at this seat; the default for every voice line.
int LocalVoiceSide();

void VoiceBuildingReady(int side = LocalVoiceSide());
void VoiceHarvesterEvent(int side = LocalVoiceSide());
void VoiceSpecialWeapon(int side = LocalVoiceSide());
void VoiceUnitReady(int unitClass, int side = LocalVoiceSide());
void VoiceRadarOnline(int side = LocalVoiceSide());
void VoiceEnemyInBase(int side = LocalVoiceSide());
void VoiceUnitLostToWorm(int side = LocalVoiceSide());
void VoiceCarrierDrop(int side = LocalVoiceSide());
// Victory and defeat speak even with the advisor switched off.
void VoiceVictory(int side = LocalVoiceSide());
void VoiceDefeat(int side = LocalVoiceSide());

// --- Music: files "music\<stem>.mid"; PlayMusicProc applies MusicEnable itself. ---
std::string MusicFile(std::string_view stem);
void PlayTitleMusic();
void PlayDefeatMusic();
void PlayVictoryMusic();
void PlayAuthorsMusic();
// A random calm track; a random battle track.
void PlayAmbientMusic();
void PlayBattleMusic();

}  // namespace zarn
