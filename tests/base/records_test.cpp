#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/base/dvga.h"

using namespace zarn;

namespace {

// Builds the byte image a record must have: zeroes, then little-endian values at offsets.
struct Image {
  std::vector<std::uint8_t> bytes;
  explicit Image(std::size_t n) : bytes(n, 0) {}
  template <typename T>
  Image& At(std::size_t offset, T value) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes.at(offset + i) = raw[i];
    return *this;
  }
  Image& U8(std::size_t o, std::uint8_t v) { return At(o, v); }
  Image& U16(std::size_t o, std::uint16_t v) { return At(o, v); }
  Image& I16(std::size_t o, std::int16_t v) { return At(o, v); }
  Image& I32(std::size_t o, std::int32_t v) { return At(o, v); }
  Image& F32(std::size_t o, float v) { return At(o, v); }
};

template <typename R>
std::vector<std::uint8_t> BytesOf(const R& r) {
  std::vector<std::uint8_t> out(sizeof(R));
  std::memcpy(out.data(), &r, sizeof(R));
  return out;
}

template <typename R>
R Zeroed() {
  R r;
  std::memset(static_cast<void*>(&r), 0, sizeof(R));
  return r;
}

}  // namespace

TEST(Records, SizesAreTheStoredOnes) {
  EXPECT_EQ(sizeof(TUnitRecord), 260u);
  EXPECT_EQ(sizeof(TBuildingRecord), 144u);
  EXPECT_EQ(sizeof(TShotRecord), 60u);
  EXPECT_EQ(sizeof(TExplosionRecord), 24u);
  EXPECT_EQ(sizeof(TOssinFieldRecord), 16u);
  EXPECT_EQ(sizeof(TOssinBloomRecord), 12u);
  EXPECT_EQ(sizeof(TDecalRecord), 8u);
  EXPECT_EQ(sizeof(TWormRecord), 212u);
  EXPECT_EQ(sizeof(TPalettePulse), 16u);
  EXPECT_EQ(sizeof(TGroundMark), 12u);
  EXPECT_EQ(sizeof(TPlayerRecord), 1864u);
  EXPECT_EQ(sizeof(TMissionRecord), 72u);
  EXPECT_EQ(sizeof(TViewState), 636u);
  EXPECT_EQ(sizeof(TDebugFlags), 3u);
  // Saved-game blocks of whole tables.
  EXPECT_EQ(sizeof(OssinFields), 16000u);
  EXPECT_EQ(sizeof(OssinBlooms), 1200u);
  EXPECT_EQ(sizeof(Worms), 2120u);
  EXPECT_EQ(sizeof(GroundMarks), 6000u);
  EXPECT_EQ(sizeof(Decals), 8000u);
  EXPECT_EQ(sizeof(Explosions), 1200u);
  EXPECT_EQ(sizeof(UnitShots), 9000u);
  EXPECT_EQ(sizeof(BuildingShots), 9000u);
  EXPECT_EQ(sizeof(Players), 14912u);
}

TEST(Records, UnitImage) {
  auto u = Zeroed<TUnitRecord>();
  u.MaxHealth = 0xA1B2;
  u.Damage = -3;
  u.NextX = 17;
  u.DestY = 300;
  u.Slot = 1000;
  u.MoveCounter = -2;
  u.StepProgress = 16;
  u.HarvestPeriod = 18;
  u.Capacity = 700;
  u.X = 0x01020304;
  u.Health = -1;
  u.TargetSlot = 0x4455;
  u.ReturnY = -7;
  u.TargetClass = 3;
  u.Side = 2;
  u.FormerOwner = 8;
  u.Kind = 15;
  u.State = StateDeliver;
  u.Free = 1;
  u.TurretFacing = 7;
  u.NextTurnTick = 123456;
  u.NextSearchTick = -5;
  u.Path[1] = {11, 12, 5, {}};
  u.Path[10] = {-1, 0x7FFFFFFF, 6, {}};
  u.PathLength = 10;
  u.Cargo[1] = 0x0102;
  u.Cargo[6] = 999;
  u.CargoCount = 6;
  u.NotConverted = 1;
  u.Deselected = 1;
  u.Marker.FramePeriod = 3;
  u.Marker.Hidden = 1;
  u.Marker.ExpiryTick = 0x10203040;
  u.FreeTargeting = 1;
  const Image want = Image(260)
                         .U16(0, 0xA1B2)
                         .I16(2, -3)
                         .I16(4, 17)
                         .U16(10, 300)
                         .U16(12, 1000)
                         .I16(14, -2)
                         .U16(16, 16)
                         .U16(28, 18)
                         .U16(36, 700)
                         .I32(40, 0x01020304)
                         .I32(48, -1)
                         .U16(56, 0x4455)
                         .I16(60, -7)
                         .U8(62, 3)
                         .U8(64, 2)
                         .U8(67, 8)
                         .U8(68, 15)
                         .U8(70, 12)
                         .U8(72, 1)
                         .U8(74, 7)
                         .I32(76, 123456)
                         .I32(96, -5)
                         .I32(100, 11)
                         .I32(104, 12)
                         .U8(108, 5)
                         .I32(208, -1)
                         .I32(212, 0x7FFFFFFF)
                         .U8(216, 6)
                         .U16(220, 10)
                         .U16(222, 0x0102)
                         .U16(232, 999)
                         .U16(234, 6)
                         .U8(236, 1)
                         .U8(237, 1)
                         .I16(240, 3)
                         .U8(246, 1)
                         .I32(252, 0x10203040)
                         .U8(256, 1);
  EXPECT_EQ(BytesOf(u), want.bytes);
}

TEST(Records, BuildingImage) {
  auto b = Zeroed<TBuildingRecord>();
  b.MaxHealth = 1500;
  b.Slot = 3000;
  b.PowerOutput = 100;
  b.AnimFrames = 4;
  b.FireInterval = 16200;
  b.UpgradeTarget = 0xBEEF;
  b.TurretAimPeriod = 18;
  b.Y = 77;
  b.TargetSlot = 12;
  b.TargetClass = 2;
  b.Side = 3;
  b.Owner = 8;
  b.Kind = 17;
  b.FootprintClass = 3;
  b.Item = 35;
  b.ProductionState = ProductionPaused;
  b.Free = 1;
  b.DockFree = 1;
  b.TurretFacing = 6;
  b.NextActionTick = -100;
  b.TurretAimTime = 0x55AA;
  b.ProductionProgress = 12.5f;
  b.UpgradeProgress = -0.25f;
  b.Marker.Frame = 2;
  b.Marker.NextFrameTick = 9;
  b.RepeatProduction = 1;
  const Image want = Image(144)
                         .U16(0, 1500)
                         .U16(4, 3000)
                         .U16(8, 100)
                         .U16(14, 4)
                         .U16(20, 16200)
                         .U16(34, 0xBEEF)
                         .U16(36, 18)
                         .I32(44, 77)
                         .U16(56, 12)
                         .U8(62, 2)
                         .U8(64, 3)
                         .U8(65, 8)
                         .U8(66, 17)
                         .U8(67, 3)
                         .U8(68, 35)
                         .U8(69, 2)
                         .U8(72, 1)
                         .U8(75, 1)
                         .U8(78, 6)
                         .I32(80, -100)
                         .I32(104, 0x55AA)
                         .F32(108, 12.5f)
                         .F32(120, -0.25f)
                         .I16(128, 2)
                         .I32(132, 9)
                         .U8(140, 1);
  EXPECT_EQ(BytesOf(b), want.bytes);
}

TEST(Records, ShotAndExplosionImages) {
  auto s = Zeroed<TShotRecord>();
  s.PixelX = -16;
  s.AimY = 2040;
  s.ShotSpeed = 192;
  s.StepInterval = 2;
  s.Steps = 33;
  s.Shooter = 150;
  s.StepLength = 2;
  s.DirX = 0.5f;
  s.PosY = 100.75f;
  s.WeaponClass = 5;
  s.ShooterKind = 13;
  s.Active = 1;
  s.ShotFacing = 4;
  s.NextStepTick = 0x0A0B0C0D;
  EXPECT_EQ(BytesOf(s), Image(60)
                            .I32(0, -16)
                            .I32(12, 2040)
                            .I32(20, 192)
                            .U16(24, 2)
                            .U16(28, 33)
                            .U16(30, 150)
                            .U16(32, 2)
                            .F32(36, 0.5f)
                            .F32(48, 100.75f)
                            .U8(52, 5)
                            .U8(53, 13)
                            .U8(54, 1)
                            .U8(55, 4)
                            .I32(56, 0x0A0B0C0D)
                            .bytes);

  auto e = Zeroed<TExplosionRecord>();
  e.FramePeriod = 360;
  e.FrameCount = 2;
  e.TileY = 64;
  e.PixelX = 1008;
  e.SideColour = 1;
  e.ExplosionKind = 9;
  e.Extra = 2;
  e.Free = 1;
  e.NextFrameTick = -9;
  EXPECT_EQ(BytesOf(e), Image(24)
                            .I16(0, 360)
                            .I16(4, 2)
                            .U16(8, 64)
                            .U16(10, 1008)
                            .U8(14, 1)
                            .U8(15, 9)
                            .U8(16, 2)
                            .U8(17, 1)
                            .I32(20, -9)
                            .bytes);
}

TEST(Records, FieldBloomDecalMarkAndPulseImages) {
  auto f = Zeroed<TOssinFieldRecord>();
  f.Image = 210;
  f.X = 256;
  f.Y = 3;
  f.Amount = 800;
  f.Free = 1;
  f.Tiled = 1;
  f.Inner = 1;
  EXPECT_EQ(BytesOf(f),
            Image(16).U16(0, 210).U16(2, 256).U16(4, 3).I32(8, 800).U8(12, 1).U8(13, 1).U8(14, 1).bytes);

  auto bl = Zeroed<TOssinBloomRecord>();
  bl.X = 40;
  bl.Y = -1;
  bl.Removed = 1;
  EXPECT_EQ(BytesOf(bl), Image(12).I32(0, 40).I32(4, -1).U8(8, 1).bytes);

  auto d = Zeroed<TDecalRecord>();
  d.Tile = 251;
  d.PixelX = 4080;
  d.PixelY = 16;
  d.Free = 1;
  EXPECT_EQ(BytesOf(d), Image(8).U16(0, 251).U16(2, 4080).U16(4, 16).U8(6, 1).bytes);

  auto g = Zeroed<TGroundMark>();
  g.Free = 1;
  g.X = 255;
  g.Y = 1;
  g.Orientation = 3;
  g.Expiry = 360;
  EXPECT_EQ(BytesOf(g), Image(12).U8(0, 1).U16(2, 255).U16(4, 1).U16(6, 3).I32(8, 360).bytes);

  auto p = Zeroed<TPalettePulse>();
  p.PaletteIndex = 14;
  p.NextTick = 77;
  p.Level = 60;
  p.Direction = 1;
  p.Stopped = 1;
  EXPECT_EQ(BytesOf(p), Image(16).U16(0, 14).I32(4, 77).U16(8, 60).U16(10, 1).U8(12, 1).bytes);
}

TEST(Records, WormImage) {
  auto w = Zeroed<TWormRecord>();
  w.MaxHealth = 5000;
  w.NextY = 9;
  w.DestX = 100;
  w.Slot = 10;
  w.StepProgress = 16;
  w.StrikeCounter = 8;
  w.DigestPause = 540;
  w.X = 31;
  w.Health = 2499;
  w.TargetY = 65535;
  w.Prey = 1000;
  w.MoveState = 2;
  w.Behaviour = WormResting;
  w.Removed = 1;
  w.Facing = 5;
  w.StepTimer = 1;
  w.HuntTime = 5400;
  w.Path[1] = {3, 4, 2, {}};
  w.Path[10] = {5, 6, 7, {}};
  w.PathLength = 10;
  w.Deselected = 1;
  w.Hidden = 1;
  EXPECT_EQ(BytesOf(w), Image(212)
                            .I32(0, 5000)
                            .I32(8, 9)
                            .I32(12, 100)
                            .I32(20, 10)
                            .I32(28, 16)
                            .I32(36, 8)
                            .I32(44, 540)
                            .I32(48, 31)
                            .I32(56, 2499)
                            .U16(62, 65535)
                            .U16(64, 1000)
                            .U8(72, 2)
                            .U8(73, 10)
                            .U8(74, 1)
                            .U8(75, 5)
                            .I32(76, 1)
                            .I32(84, 5400)
                            .I32(88, 3)
                            .I32(92, 4)
                            .U8(96, 2)
                            .I32(196, 5)
                            .I32(200, 6)
                            .U8(204, 7)
                            .U16(208, 10)
                            .U8(210, 1)
                            .U8(211, 1)
                            .bytes);
}

TEST(Records, PlayerImage) {
  auto p = Zeroed<TPlayerRecord>();
  p.Credits = 10000;
  p.ResourceDelivered = 17;
  p.BasePoints[1] = {4, 5};
  p.BasePoints[4] = {-6, 7};
  p.Destroyed = 1;
  p.Number = 8;
  p.Side = 3;
  p.LastUnitAttack = -540;
  p.ReplacementReady = 1;
  p.ReplacementRefinery = 2999;
  p.DeliveryY = 64;
  p.DestroyedCheckPeriod = 90;
  p.SparePeriod = 180;
  p.AttackList[1] = {1, 1, {}, 33};
  p.AttackList[70] = {0, 0, {}, 44};
  p.DefenceList[1] = {1, 0, {}, 55};
  p.DefenceList[44] = {0, 1, {}, 66};
  p.Roster[1] = {1, 0, {}, 77};
  p.Roster[96] = {0, 1, {}, 88};
  p.ThinkPeriod = 36;
  p.OutwardFerryPickUp = 1;
  p.SecondAlarm = 1;
  p.HomewardHarvester = 1000;
  p.AttackerIsBuilding = 1;
  p.AttackInterval = 810;
  p.WaveSizeBase = 10;
  p.WaveTargetIsBuilding = 1;
  EXPECT_EQ(BytesOf(p), Image(1864)
                            .I32(0, 10000)
                            .I32(24, 17)
                            .I32(28, 4)
                            .I32(32, 5)
                            .I32(52, -6)
                            .I32(56, 7)
                            .U8(60, 1)
                            .U8(61, 8)
                            .U8(62, 3)
                            .I32(76, -540)
                            .U8(80, 1)
                            .U16(84, 2999)
                            .I32(92, 64)
                            .U16(100, 90)
                            .U16(108, 180)
                            .U8(112, 1)
                            .U8(113, 1)
                            .I32(116, 33)
                            .I32(668, 44)
                            .U8(672, 1)
                            .I32(676, 55)
                            .U8(1017, 1)
                            .I32(1020, 66)
                            .U8(1024, 1)
                            .I32(1028, 77)
                            .U8(1785, 1)
                            .I32(1788, 88)
                            .U16(1796, 36)
                            .U8(1798, 1)
                            .U8(1806, 1)
                            .I32(1820, 1000)
                            .U8(1836, 1)
                            .U16(1844, 810)
                            .I32(1856, 10)
                            .U8(1861, 1)
                            .bytes);
}

TEST(Records, MissionAndViewImages) {
  auto m = Zeroed<TMissionRecord>();
  m.UpgradeLimits[1] = 3;
  m.UpgradeLimits[6] = 2;
  m.PlayerCount = 8;
  m.MissionNumber = 12;
  m.GoalType = GoalConquerIn60;
  m.Available[1] = 1;
  m.Available[35] = 1;
  EXPECT_EQ(BytesOf(m),
            Image(72).I32(0, 3).I32(20, 2).I32(24, 8).I32(28, 12).I32(32, 9).U8(36, 1).U8(70, 1).bytes);

  auto v = Zeroed<TViewState>();
  v.ViewX = 45;
  v.ViewY = 55;
  v.MinimapScaleX = 1.0f;
  v.MinimapScaleY = 1.6f;
  v.LocalSide = 3;
  v.SelectedCount = 14;
  v.Selection[1] = {999, 1, 0};
  v.Selection[14] = {7, 1, 0};
  v.SelectionKind = SelectedWorm;
  v.Groups[0][1] = {1, 1, 0};
  v.Groups[9][14] = {200, 1, 0};
  EXPECT_EQ(BytesOf(v), Image(636)
                            .U16(0, 45)
                            .U16(2, 55)
                            .F32(4, 1.0f)
                            .F32(8, 1.6f)
                            .U8(12, 3)
                            .U16(14, 14)
                            .U16(16, 999)
                            .U8(18, 1)
                            .U16(68, 7)
                            .U8(70, 1)
                            .U8(72, 2)
                            .U16(74, 1)
                            .U8(76, 1)
                            .U16(630, 200)
                            .U8(632, 1)
                            .bytes);
}

TEST(Globals, WorldStartsEmptyAndTablesAreCheckedAtTheirBounds) {
  EXPECT_EQ(Units[0].Free, 1);
  EXPECT_EQ(Units[1000].Free, 1);
  EXPECT_EQ(Units[1000].OffMap, 1);
  EXPECT_EQ(Buildings[3000].Free, 1);
  EXPECT_EQ(UnitShots[150].Active, 0);
  EXPECT_EQ(Explosions[50].Free, 1);
  EXPECT_EQ(Worms[10].Removed, 1);
  EXPECT_EQ(OssinFields[1000].Free, 1);
  EXPECT_EQ(OssinBlooms[100].Removed, 1);
  EXPECT_EQ(Decals[1000].Free, 1);
  EXPECT_EQ(GroundMarks[500].Free, 1);
  EXPECT_THROW(Units[1001], RangeError);
  EXPECT_THROW(Buildings[0], RangeError);
  EXPECT_THROW(BuildingShots[151], RangeError);
  EXPECT_THROW(Worms[11], RangeError);
  EXPECT_THROW(Players[9], RangeError);
  EXPECT_THROW(PlayerConnections[0], RangeError);
  EXPECT_THROW(ViewState.Groups[10], RangeError);
  for (int seat = 1; seat <= 8; ++seat) EXPECT_EQ(PlayerConnections[seat].Side, 8);
  EXPECT_EQ(Mission.PlayerCount, 2);
  EXPECT_EQ(Mission.MissionNumber, 1);
  EXPECT_EQ(Mission.GoalType, 1);
}

TEST(Options, DefaultsAndStartValues) {
  GameOptions.GameSpeed = 15;
  GameOptions.PlayerName = "x";
  UnitSlots = 1000;
  BuildingSlots = 17;
  LocalPlayer = 4;
  DebugFlags = {1, 0, 1};
  NetGameStarted = 1;
  BroadcastEnabled = 1;
  SetDefaultOptions();
  const TGameOptions& o = GameOptions;
  EXPECT_EQ(o.GameSpeed, 17);
  EXPECT_EQ(o.ScrollPause, 18);
  EXPECT_EQ(o.SoundVolume, 100);
  EXPECT_EQ(o.Partners, 2);
  EXPECT_EQ(o.MaxUnitForAlliance, 100);
  EXPECT_EQ(o.MaxBuildForAlliance, 300);
  EXPECT_EQ(o.NetPort, 1025);
  EXPECT_EQ(o.PaletteType, 0);
  EXPECT_EQ(o.ScreenMode, 1);
  EXPECT_TRUE(o.SoundEnable);
  EXPECT_FALSE(o.MusicEnable);
  EXPECT_TRUE(o.UnitSpeak && o.UnitExecuteSpeak && o.BuildSpeak && o.SevnarSpeak);
  EXPECT_TRUE(o.MessageEnable);
  EXPECT_TRUE(o.AsServer);
  EXPECT_FALSE(o.RusChat);
  EXPECT_FALSE(o.CrowEnable);
  EXPECT_TRUE(o.StarCraftCursor);
  EXPECT_FALSE(o.SoundSystemDisable);
  EXPECT_EQ(o.PlayerName, "Server");
  EXPECT_FALSE(o.Server.empty());
  EXPECT_TRUE(o.NetService.empty());
  EXPECT_EQ(UnitSlots, 200);
  EXPECT_EQ(BuildingSlots, 200);
  EXPECT_EQ(LocalPlayer, 1);
  EXPECT_EQ(DebugFlags.DebugMode, 0);
  EXPECT_EQ(DebugFlags.ShadowEnabled, 1);
  EXPECT_EQ(DebugFlags.GodMode, 0);
  EXPECT_EQ(NetGameStarted, 0);
  EXPECT_EQ(BroadcastEnabled, 0);
  EXPECT_EQ(KeyCode, 1976);
}

// Every hook, by name; a hook missing from ResetHooks stays null below and fails.
#define ZARN_ALL_HOOKS(X)                                                                         \
  X(PlaySoundProc, 100, 3)                                                                        \
  X(PlayMusicProc, "music\\a.mid")                                                               \
  X(PresentFrameProc) X(QuitProc) X(NetWorldTickProc) X(NetBroadcastReplaceHarvesterProc)        \
  X(PlayClickSoundProc) X(ApplyGameSpeedProc) X(NetBroadcast165Proc) X(MapEditorInputProc)       \
  X(OpenVictoryProc) X(OpenDefeatProc) X(ScenarioEditorInputProc) X(StopMusicProc)               \
  X(PauseResumeMusicProc) X(ListBoxToFontCodePageProc) X(TextPanelToFontCodePageProc)            \
  X(NetEruptBloomProc, 1) X(NetCrushUnitProc, 1) X(NetRemoveUnitProc, 1)                         \
  X(NetBroadcastStopCarrierProc, 1) X(NetBroadcastUpgradeDoneProc, 1)                            \
  X(NetBroadcastRefineryUnloadProc, 1) X(NetToggleRepairProc, 1) X(NetBroadcastRepairStopProc, 1) \
  X(NetBroadcastProductionDoneProc, 1) X(NetDeployUnitProc, 1) X(NetRemoveBuildingProc, 1)       \
  X(NetReturnToRefineryProc, 1) X(NetBroadcastWormSurfaceProc, 1) X(NetBroadcast151Proc, 1)      \
  X(NetRequestBuildMenu62Proc, 1) X(NetRequestBuildMenu63Proc, 1) X(NetSendToPlayer166Proc, 1)   \
  X(NetInitOssinFieldProc, 1, 2, 3, 400) X(NetRequest64Proc, 1, 2, 3, 0)                         \
  X(NetBroadcastDamageUnitProc, 1, 2, 3, 0) X(NetBroadcastDamageBuildingProc, 1, 2, 3, 1)        \
  X(NetBroadcastUnloadAtProc, 1, 2, 3) X(NetBroadcastUpgradeProgressProc, 1, 2, 3)               \
  X(NetBroadcastFireAtProc, 1, 2, 3) X(NetBroadcastTurretFireProc, 1, 2, 3)                      \
  X(NetOrderProductionProc, 1, 2, 3) X(NetBroadcastProductionStepProc, 1, 2, 3)                  \
  X(NetUseSpecialWeaponProc, 1, 2, 3) X(NetBroadcastCreateWormProc, 1, 2, 3)                     \
  X(NetBroadcast115Proc, 1, 2, 3) X(NetBroadcastHarvestStepProc, 1, 17)                          \
  X(NetRequest16Proc, 1, 500) X(NetBroadcastFieldHarvestProc, 1, 17)                             \
  X(NetBroadcastStorageFullProc, 1, 2) X(NetBroadcastSplashDamageProc, 1, 2)                     \
  X(NetBroadcastRepairStepProc, 1, 2) X(NetBroadcastPowerPlantProc, 1, 100)                      \
  X(NetBroadcastDamageWormProc, 1, 2) X(LoadBriefingProc, 1, 1)                                  \
  X(NetSendTextToPlayerProc, 2, "text") X(NetBroadcastInitUnitProc, 1, 2, 3, 0, 1, 10)           \
  X(NetBroadcastInitBuildingProc, 1, 2, 3, 4, 1, 0) X(NetPlaceBuildingProc, 1, 2, 3, 0, 1)       \
  X(SendChatProc, "hi") X(ShowMessageProc, "text") X(LoadBriefingSectionProc, "[key")

TEST(Hooks, AllSixtyThreeHaveCallableDefaultsAfterReset) {
  int count = 0;
#define ZARN_CLEAR(name, ...) name = nullptr; ++count;
  ZARN_ALL_HOOKS(ZARN_CLEAR)
#undef ZARN_CLEAR
  EXPECT_EQ(count, HookCount);
  EXPECT_EQ(count, 63);
  ResetHooks();
#define ZARN_CALL(name, ...)          \
  ASSERT_NE(name, nullptr) << #name; \
  name(__VA_ARGS__);
  ZARN_ALL_HOOKS(ZARN_CALL)
#undef ZARN_CALL
  // Music through the default hook is reported as not played.
  EXPECT_EQ(PlayMusicProc("music\\a.mid"), 1);
}

TEST(Hooks, ResetPutsBackAReplacedHook) {
  static int calls;
  calls = 0;  // the test may run more than once in a process
  ShowMessageProc = [](std::string_view) { ++calls; };
  ShowMessageProc("x");
  EXPECT_EQ(calls, 1);
  ResetHooks();
  ShowMessageProc("x");
  EXPECT_EQ(calls, 1);
}
