#include "game/base/hooks.h"

namespace zarn {

namespace hook_defaults {
void Nothing2(std::int32_t, std::int32_t) {}
std::uint8_t MusicNotPlayed(std::string_view) { return 1; }
void Nothing() {}
void Nothing1(std::int32_t) {}
void Nothing4(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void Nothing3(std::int32_t, std::int32_t, std::int32_t) {}
void NothingNumberText(std::int32_t, std::string_view) {}
void Nothing6(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void Nothing5(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void NothingText(std::string_view) {}
}  // namespace hook_defaults

void ResetHooks() {
  PlaySoundProc = hook_defaults::Nothing2;
  PlayMusicProc = hook_defaults::MusicNotPlayed;
  PresentFrameProc = hook_defaults::Nothing;
  QuitProc = hook_defaults::Nothing;
  NetWorldTickProc = hook_defaults::Nothing;
  NetBroadcastReplaceHarvesterProc = hook_defaults::Nothing;
  PlayClickSoundProc = hook_defaults::Nothing;
  ApplyGameSpeedProc = hook_defaults::Nothing;
  NetBroadcast165Proc = hook_defaults::Nothing;
  MapEditorInputProc = hook_defaults::Nothing;
  OpenVictoryProc = hook_defaults::Nothing;
  OpenDefeatProc = hook_defaults::Nothing;
  ScenarioEditorInputProc = hook_defaults::Nothing;
  StopMusicProc = hook_defaults::Nothing;
  EndNetGameProc = hook_defaults::Nothing;
  PauseResumeMusicProc = hook_defaults::Nothing;
  ListBoxToFontCodePageProc = hook_defaults::Nothing;
  TextPanelToFontCodePageProc = hook_defaults::Nothing;
  NetEruptBloomProc = hook_defaults::Nothing1;
  NetCrushUnitProc = hook_defaults::Nothing1;
  NetRemoveUnitProc = hook_defaults::Nothing1;
  NetBroadcastStopCarrierProc = hook_defaults::Nothing1;
  NetBroadcastUpgradeDoneProc = hook_defaults::Nothing1;
  NetBroadcastRefineryUnloadProc = hook_defaults::Nothing1;
  NetToggleRepairProc = hook_defaults::Nothing1;
  NetBroadcastRepairStopProc = hook_defaults::Nothing1;
  NetBroadcastProductionDoneProc = hook_defaults::Nothing1;
  NetDeployUnitProc = hook_defaults::Nothing1;
  NetRemoveBuildingProc = hook_defaults::Nothing1;
  NetReturnToRefineryProc = hook_defaults::Nothing1;
  NetBroadcastWormSurfaceProc = hook_defaults::Nothing1;
  NetBroadcast151Proc = hook_defaults::Nothing1;
  NetRequestBuildMenu62Proc = hook_defaults::Nothing1;
  NetRequestBuildMenu63Proc = hook_defaults::Nothing1;
  NetSendToPlayer166Proc = hook_defaults::Nothing1;
  NetInitOssinFieldProc = hook_defaults::Nothing4;
  NetRequest64Proc = hook_defaults::Nothing4;
  NetBroadcastDamageUnitProc = hook_defaults::Nothing4;
  NetBroadcastDamageBuildingProc = hook_defaults::Nothing4;
  NetBroadcastUnloadAtProc = hook_defaults::Nothing3;
  NetBroadcastUpgradeProgressProc = hook_defaults::Nothing3;
  NetBroadcastFireAtProc = hook_defaults::Nothing3;
  NetBroadcastTurretFireProc = hook_defaults::Nothing3;
  NetOrderProductionProc = hook_defaults::Nothing3;
  NetBroadcastProductionStepProc = hook_defaults::Nothing3;
  NetUseSpecialWeaponProc = hook_defaults::Nothing3;
  NetBroadcastCreateWormProc = hook_defaults::Nothing3;
  NetBroadcast115Proc = hook_defaults::Nothing3;
  NetBroadcastHarvestStepProc = hook_defaults::Nothing2;
  NetRequest16Proc = hook_defaults::Nothing2;
  NetBroadcastFieldHarvestProc = hook_defaults::Nothing2;
  NetBroadcastStorageFullProc = hook_defaults::Nothing2;
  NetBroadcastSplashDamageProc = hook_defaults::Nothing2;
  NetBroadcastRepairStepProc = hook_defaults::Nothing2;
  NetBroadcastPowerPlantProc = hook_defaults::Nothing2;
  NetBroadcastDamageWormProc = hook_defaults::Nothing2;
  LoadBriefingProc = hook_defaults::Nothing2;
  NetSendTextToPlayerProc = hook_defaults::NothingNumberText;
  NetBroadcastInitUnitProc = hook_defaults::Nothing6;
  NetBroadcastInitBuildingProc = hook_defaults::Nothing6;
  NetPlaceBuildingProc = hook_defaults::Nothing5;
  SendChatProc = hook_defaults::NothingText;
  ShowMessageProc = hook_defaults::NothingText;
  LoadBriefingSectionProc = hook_defaults::NothingText;
}

}  // namespace zarn
