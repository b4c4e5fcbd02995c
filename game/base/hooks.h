// The hooks: procedure variables through which the base, sound, world and menu layers call up
// into the shell (sound, music, presenting a frame, quitting, texts, victory and defeat, and
// every network message). Each starts at a harmless default that does nothing (PlayMusicProc
// reports "not played"), so the lower layers run in tests without a shell; the shell fills them
// all at start-up. Texts are cp1251 bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn {

// The defaults, one per signature.
namespace hook_defaults {
void Nothing2(std::int32_t, std::int32_t);
std::uint8_t MusicNotPlayed(std::string_view);
void Nothing();
void Nothing1(std::int32_t);
void Nothing4(std::int32_t, std::int32_t, std::int32_t, std::int32_t);
void Nothing3(std::int32_t, std::int32_t, std::int32_t);
void NothingNumberText(std::int32_t, std::string_view);
void Nothing6(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
void Nothing5(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
void NothingText(std::string_view);
}  // namespace hook_defaults

using TPlaySoundProc = void (*)(std::int32_t volume, std::int32_t wave);
using TPlayMusicProc = std::uint8_t (*)(std::string_view fileName);
using TPresentFrameProc = void (*)();
using TQuitProc = void (*)();
using TNetWorldTickProc = void (*)();
using TNetBroadcastReplaceHarvesterProc = void (*)();
using TPlayClickSoundProc = void (*)();
using TApplyGameSpeedProc = void (*)();
using TNetBroadcast165Proc = void (*)();
using TMapEditorInputProc = void (*)();
using TOpenVictoryProc = void (*)();
using TOpenDefeatProc = void (*)();
using TScenarioEditorInputProc = void (*)();
using TStopMusicProc = void (*)();
using TEndNetGameProc = void (*)();
using TPauseResumeMusicProc = void (*)();
using TListBoxToFontCodePageProc = void (*)();
using TTextPanelToFontCodePageProc = void (*)();
using TNetEruptBloomProc = void (*)(std::int32_t bloom);
using TNetCrushUnitProc = void (*)(std::int32_t unit);
using TNetRemoveUnitProc = void (*)(std::int32_t unit);
using TNetBroadcastStopCarrierProc = void (*)(std::int32_t unit);
using TNetBroadcastUpgradeDoneProc = void (*)(std::int32_t building);
using TNetBroadcastRefineryUnloadProc = void (*)(std::int32_t refinery);
using TNetToggleRepairProc = void (*)(std::int32_t building);
using TNetBroadcastRepairStopProc = void (*)(std::int32_t building);
using TNetBroadcastProductionDoneProc = void (*)(std::int32_t building);
using TNetDeployUnitProc = void (*)(std::int32_t unit);
using TNetRemoveBuildingProc = void (*)(std::int32_t building);
using TNetReturnToRefineryProc = void (*)(std::int32_t unit);
using TNetBroadcastWormSurfaceProc = void (*)(std::int32_t worm);
using TNetBroadcast151Proc = void (*)(std::int32_t worm);
using TNetRequestBuildMenu62Proc = void (*)(std::int32_t building);
using TNetRequestBuildMenu63Proc = void (*)(std::int32_t building);
using TNetSendToPlayer166Proc = void (*)(std::int32_t connection);
using TNetInitOssinFieldProc = void (*)(std::int32_t field, std::int32_t x, std::int32_t y,
                                        std::int32_t amount);
using TNetRequest64Proc = void (*)(std::int32_t x, std::int32_t y, std::int32_t owner,
                                   std::int32_t side);
using TNetBroadcastDamageUnitProc = void (*)(std::int32_t unit, std::int32_t damage,
                                             std::int32_t attacker, std::int32_t attackerClass);
using TNetBroadcastDamageBuildingProc = void (*)(std::int32_t building, std::int32_t damage,
                                                 std::int32_t attacker, std::int32_t attackerClass);
using TNetBroadcastUnloadAtProc = void (*)(std::int32_t unit, std::int32_t x, std::int32_t y);
using TNetBroadcastUpgradeProgressProc = void (*)(std::int32_t building, std::int32_t progress,
                                                  std::int32_t target);
using TNetBroadcastFireAtProc = void (*)(std::int32_t unit, std::int32_t x, std::int32_t y);
using TNetBroadcastTurretFireProc = void (*)(std::int32_t building, std::int32_t x, std::int32_t y);
using TNetOrderProductionProc = void (*)(std::int32_t building, std::int32_t price,
                                         std::int32_t item);
using TNetBroadcastProductionStepProc = void (*)(std::int32_t building, std::int32_t progress,
                                                 std::int32_t target);
using TNetUseSpecialWeaponProc = void (*)(std::int32_t building, std::int32_t x, std::int32_t y);
using TNetBroadcastCreateWormProc = void (*)(std::int32_t x, std::int32_t y, std::int32_t worm);
using TNetBroadcast115Proc = void (*)(std::int32_t bloom, std::int32_t x, std::int32_t y);
using TNetBroadcastHarvestStepProc = void (*)(std::int32_t unit, std::int32_t load);
using TNetRequest16Proc = void (*)(std::int32_t building, std::int32_t price);
using TNetBroadcastFieldHarvestProc = void (*)(std::int32_t field, std::int32_t amount);
using TNetBroadcastStorageFullProc = void (*)(std::int32_t refinery, std::int32_t harvester);
using TNetBroadcastSplashDamageProc = void (*)(std::int32_t unit, std::int32_t damage);
using TNetBroadcastRepairStepProc = void (*)(std::int32_t building, std::int32_t health);
using TNetBroadcastPowerPlantProc = void (*)(std::int32_t building, std::int32_t value);
using TNetBroadcastDamageWormProc = void (*)(std::int32_t worm, std::int32_t damage);
using TLoadBriefingProc = void (*)(std::int32_t side, std::int32_t mission);
using TNetSendTextToPlayerProc = void (*)(std::int32_t player, std::string_view text);
using TNetBroadcastInitUnitProc = void (*)(std::int32_t x, std::int32_t y, std::int32_t slot,
                                           std::int32_t side, std::int32_t owner,
                                           std::int32_t kind);
using TNetBroadcastInitBuildingProc = void (*)(std::int32_t x, std::int32_t y, std::int32_t slot,
                                               std::int32_t kind, std::int32_t owner,
                                               std::int32_t side);
using TNetPlaceBuildingProc = void (*)(std::int32_t x, std::int32_t y, std::int32_t kind,
                                       std::int32_t side, std::int32_t owner);
using TSendChatProc = void (*)(std::string_view text);
using TShowMessageProc = void (*)(std::string_view text);
using TLoadBriefingSectionProc = void (*)(std::string_view key);

// Volume in percent, wave index of the sound bank.
inline TPlaySoundProc PlaySoundProc = hook_defaults::Nothing2;
// 0 played, 1 not played.
inline TPlayMusicProc PlayMusicProc = hook_defaults::MusicNotPlayed;
inline TPresentFrameProc PresentFrameProc = hook_defaults::Nothing;
inline TQuitProc QuitProc = hook_defaults::Nothing;
// One network world step (build menus of a server).
inline TNetWorldTickProc NetWorldTickProc = hook_defaults::Nothing;
inline TNetBroadcastReplaceHarvesterProc NetBroadcastReplaceHarvesterProc = hook_defaults::Nothing;
inline TPlayClickSoundProc PlayClickSoundProc = hook_defaults::Nothing;
inline TApplyGameSpeedProc ApplyGameSpeedProc = hook_defaults::Nothing;
inline TNetBroadcast165Proc NetBroadcast165Proc = hook_defaults::Nothing;
inline TMapEditorInputProc MapEditorInputProc = hook_defaults::Nothing;
inline TOpenVictoryProc OpenVictoryProc = hook_defaults::Nothing;
inline TOpenDefeatProc OpenDefeatProc = hook_defaults::Nothing;
inline TScenarioEditorInputProc ScenarioEditorInputProc = hook_defaults::Nothing;
inline TStopMusicProc StopMusicProc = hook_defaults::Nothing;
// Ends a network game that is still open (its sockets closed, single play again); called on
// every road from the menus into another game. Nothing when there is none.
inline TEndNetGameProc EndNetGameProc = hook_defaults::Nothing;
inline TPauseResumeMusicProc PauseResumeMusicProc = hook_defaults::Nothing;
inline TListBoxToFontCodePageProc ListBoxToFontCodePageProc = hook_defaults::Nothing;
inline TTextPanelToFontCodePageProc TextPanelToFontCodePageProc = hook_defaults::Nothing;
inline TNetEruptBloomProc NetEruptBloomProc = hook_defaults::Nothing1;
inline TNetCrushUnitProc NetCrushUnitProc = hook_defaults::Nothing1;
inline TNetRemoveUnitProc NetRemoveUnitProc = hook_defaults::Nothing1;
inline TNetBroadcastStopCarrierProc NetBroadcastStopCarrierProc = hook_defaults::Nothing1;
inline TNetBroadcastUpgradeDoneProc NetBroadcastUpgradeDoneProc = hook_defaults::Nothing1;
inline TNetBroadcastRefineryUnloadProc NetBroadcastRefineryUnloadProc = hook_defaults::Nothing1;
inline TNetToggleRepairProc NetToggleRepairProc = hook_defaults::Nothing1;
inline TNetBroadcastRepairStopProc NetBroadcastRepairStopProc = hook_defaults::Nothing1;
inline TNetBroadcastProductionDoneProc NetBroadcastProductionDoneProc = hook_defaults::Nothing1;
inline TNetDeployUnitProc NetDeployUnitProc = hook_defaults::Nothing1;
inline TNetRemoveBuildingProc NetRemoveBuildingProc = hook_defaults::Nothing1;
inline TNetReturnToRefineryProc NetReturnToRefineryProc = hook_defaults::Nothing1;
inline TNetBroadcastWormSurfaceProc NetBroadcastWormSurfaceProc = hook_defaults::Nothing1;
inline TNetBroadcast151Proc NetBroadcast151Proc = hook_defaults::Nothing1;
inline TNetRequestBuildMenu62Proc NetRequestBuildMenu62Proc = hook_defaults::Nothing1;
inline TNetRequestBuildMenu63Proc NetRequestBuildMenu63Proc = hook_defaults::Nothing1;
inline TNetSendToPlayer166Proc NetSendToPlayer166Proc = hook_defaults::Nothing1;
inline TNetInitOssinFieldProc NetInitOssinFieldProc = hook_defaults::Nothing4;
inline TNetRequest64Proc NetRequest64Proc = hook_defaults::Nothing4;
inline TNetBroadcastDamageUnitProc NetBroadcastDamageUnitProc = hook_defaults::Nothing4;
inline TNetBroadcastDamageBuildingProc NetBroadcastDamageBuildingProc = hook_defaults::Nothing4;
inline TNetBroadcastUnloadAtProc NetBroadcastUnloadAtProc = hook_defaults::Nothing3;
inline TNetBroadcastUpgradeProgressProc NetBroadcastUpgradeProgressProc = hook_defaults::Nothing3;
inline TNetBroadcastFireAtProc NetBroadcastFireAtProc = hook_defaults::Nothing3;
inline TNetBroadcastTurretFireProc NetBroadcastTurretFireProc = hook_defaults::Nothing3;
inline TNetOrderProductionProc NetOrderProductionProc = hook_defaults::Nothing3;
inline TNetBroadcastProductionStepProc NetBroadcastProductionStepProc = hook_defaults::Nothing3;
inline TNetUseSpecialWeaponProc NetUseSpecialWeaponProc = hook_defaults::Nothing3;
inline TNetBroadcastCreateWormProc NetBroadcastCreateWormProc = hook_defaults::Nothing3;
inline TNetBroadcast115Proc NetBroadcast115Proc = hook_defaults::Nothing3;
inline TNetBroadcastHarvestStepProc NetBroadcastHarvestStepProc = hook_defaults::Nothing2;
inline TNetRequest16Proc NetRequest16Proc = hook_defaults::Nothing2;
inline TNetBroadcastFieldHarvestProc NetBroadcastFieldHarvestProc = hook_defaults::Nothing2;
inline TNetBroadcastStorageFullProc NetBroadcastStorageFullProc = hook_defaults::Nothing2;
inline TNetBroadcastSplashDamageProc NetBroadcastSplashDamageProc = hook_defaults::Nothing2;
inline TNetBroadcastRepairStepProc NetBroadcastRepairStepProc = hook_defaults::Nothing2;
inline TNetBroadcastPowerPlantProc NetBroadcastPowerPlantProc = hook_defaults::Nothing2;
inline TNetBroadcastDamageWormProc NetBroadcastDamageWormProc = hook_defaults::Nothing2;
inline TLoadBriefingProc LoadBriefingProc = hook_defaults::Nothing2;
inline TNetSendTextToPlayerProc NetSendTextToPlayerProc = hook_defaults::NothingNumberText;
inline TNetBroadcastInitUnitProc NetBroadcastInitUnitProc = hook_defaults::Nothing6;
inline TNetBroadcastInitBuildingProc NetBroadcastInitBuildingProc = hook_defaults::Nothing6;
inline TNetPlaceBuildingProc NetPlaceBuildingProc = hook_defaults::Nothing5;
inline TSendChatProc SendChatProc = hook_defaults::NothingText;
inline TShowMessageProc ShowMessageProc = hook_defaults::NothingText;
inline TLoadBriefingSectionProc LoadBriefingSectionProc = hook_defaults::NothingText;

inline constexpr int HookCount = 63;

// Puts every hook back to its default (tests; the shell's start-up fills them afterwards).
void ResetHooks();

}  // namespace zarn
