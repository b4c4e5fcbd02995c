// The client's side of the server's messages. The server is one peer among others on the wire:
// slots, tiles and kinds are checked like anything else that arrives.
#include <filesystem>

#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "game/world/filenotices.h"

namespace zarn {

namespace {

void UnitSnapshot(TMessageReader& r) {
  std::int32_t u = 0, x = 0, y = 0, step = 0, flag = 0, turret = 0, state = 0;
  if (!r.Unit(u) || !r.Tile(x, y) || !r.Number(step, 0, 16) || !r.Byte(flag) || !r.Byte(turret) ||
      !r.Byte(state))
    return;
  TUnitRecord& rec = Units[u];
  if (rec.Free != 0) return;
  rec.X = x;
  rec.Y = y;
  UnitTilesChanged(rec);
  rec.StepProgress = static_cast<std::uint16_t>(step);
  rec.MovePhase = static_cast<std::uint8_t>(flag);
  rec.TurretFacing = static_cast<std::uint8_t>(turret);
  rec.State = static_cast<std::uint8_t>(state);
  if (step == 0 && flag == 2 && rec.Kind >= UnitTrike && rec.Kind <= UnitPerwolan)
    AddGroundMark(x, y, rec.TurretFacing);
  if (rec.Owner == LocalPlayer && step == 16 && rec.Slot > 0) {
    const int radius = rec.Kind == UnitHarvester || rec.Kind == UnitConstructionVehicle ? 1 : rec.Range / 3 * 2;
    RevealArea(x, y, radius);
  }
}

void WormSnapshot(TMessageReader& r) {
  std::int32_t w = 0, x = 0, y = 0, step = 0, value = 0, state = 0, facing = 0, behaviour = 0;
  if (!r.Worm(w) || !r.Tile(x, y) || !r.Number(step, 0, 16) || !r.Any(value) || !r.Byte(state) ||
      !r.Byte(facing) || !r.Byte(behaviour))
    return;
  TWormRecord& rec = Worms[w];
  rec.X = x;
  rec.Y = y;
  rec.StepProgress = step;
  rec.StrikeCounter = value;
  rec.MoveState = static_cast<std::uint8_t>(state);
  rec.Facing = static_cast<std::uint8_t>(facing);
  rec.Behaviour = static_cast<std::uint8_t>(behaviour);
}

void BuildingSnapshot(TMessageReader& r) {
  std::int32_t b = 0, value = 0, health = 0;
  if (!r.Building(b) || !r.U16(value) || !r.Any(health)) return;
  TBuildingRecord& rec = Buildings[b];
  rec.Health = health;
  if (rec.Kind == BuildingGunTurret || rec.Kind == BuildingRocketTurret)
    rec.TurretFacing = static_cast<std::uint8_t>(value);
  else
    rec.AnimFrame = static_cast<std::uint16_t>(value);
}

// Creation messages: slot, tile, side, owner, kind.
bool Creation(TMessageReader& r, bool unit, std::int32_t& slot, std::int32_t& x, std::int32_t& y,
              std::int32_t& side, std::int32_t& owner, std::int32_t& kind) {
  return (unit ? r.Unit(slot) : r.Building(slot)) && r.Tile(x, y) && r.Number(side, 0, 7) &&
         r.Number(owner, 1, MaxPlayers) &&
         r.Number(kind, 0, (unit ? UnitKindCount : BuildingKindCount) - 1);
}

bool FootprintInside(std::int32_t kind, std::int32_t x, std::int32_t y) {
  const std::uint8_t cls = FootprintClass(static_cast<std::uint8_t>(kind));
  return x + FootprintWidth(cls) - 1 <= GameMap.Width && y + FootprintHeight(cls) - 1 <= GameMap.Height;
}

void StartGame(TMessageReader& r) {
  std::int32_t vx = 0, vy = 0, u = 0;
  if (!r.Tile(vx, vy) || !r.Unit(u)) return;
  ViewState.ViewX = static_cast<std::uint16_t>(vx);
  ViewState.ViewY = static_cast<std::uint16_t>(vy);
  SelectStartVehicle(u);
  NetGameStarted = 1;
  NetTrace("net started %d %d %d", int(u), int(vx), int(vy));
}

void LoadMap(std::string_view text) {
  // A name is a bare file name in the maps folder, whatever the server says.
  std::size_t first = text.find_first_not_of(' ');
  std::size_t last = text.find_last_not_of(' ');
  const std::string_view name = first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
  std::error_code ec;
  const bool present = !name.empty() && IsPlainFileName(name) &&
                       std::filesystem::is_regular_file(NativePath("maps\\" + std::string(name)), ec);
  if (!present) {
    // A line, not a box: the loop keeps running while the player reads it.
    ShowMessageLine(InFontCodePage(std::string(MapsFileText) + std::string(name) + std::string(MissingText)));
    GiveUpNetGame();
    return;
  }
  // A damaged file is reported by the loader itself.
  if (!LoadMapFile(name)) {
    GiveUpNetGame();
    return;
  }
  // The game's map is this one now, not the one of a game before (a saved game names it).
  MapFileName = std::string(name);
}

}  // namespace

void ClientInterpretMessage(std::string_view message) {
  TMessageReader r(message);
  std::int32_t code = 0;
  if (!r.Code(code) || code < 101 || code > MsgUnitOwner) return;
  std::int32_t u = 0, b = 0, w = 0, x = 0, y = 0, v = 0, v2 = 0, v3 = 0, side = 0, owner = 0,
               kind = 0;

  switch (code) {
    case 101: {
      const std::string_view rest = r.Text();
      const std::string_view name = ChatName(rest);
      const std::string_view text = name.size() < rest.size() ? rest.substr(name.size() + 1) : std::string_view{};
      ShowMessageLine2(std::string(name) + ": " + std::string(text));
      break;
    }
    case 111:
      if (r.Unit(u)) RemoveUnit(Units[u]);
      break;
    case 112:
      if (r.Number(v, 1, BloomSlots)) RemoveBloom(OssinBlooms[v]);
      break;
    case 113:
      if (r.Unit(u)) CrushUnit(Units[u]);
      break;
    case 114:
      if (r.Number(v, 1, OssinFieldSlots) && r.Tile(x, y) && r.Any(v2)) {
        InitOssinField(OssinFields[v], x, y);
        if (v2 > 0) OssinFields[v].Amount = v2;
      }
      break;
    case 115:
      if (r.Number(v, 1, BloomSlots) && r.Tile(x, y)) PlaceBloom(OssinBlooms[v], x, y);
      break;
    case 116:
      UnitSnapshot(r);
      break;
    case 117:
      if (r.Unit(u) && r.Any(v) && r.Any(v2) && r.Byte(v3))
        DamageUnit(Units[u], v, v2, static_cast<std::uint8_t>(v3));
      break;
    case 118:
      if (r.Unit(u) && r.Any(v)) DamageUnitSplash(Units[u], v);
      break;
    case 119:
      if (r.Unit(u) && r.Tile(x, y)) UnloadAt(Units[u], x, y);
      break;
    case 120:
      if (r.Unit(u)) StopCarrier(Units[u]);
      break;
    case 121:
      if (r.Unit(u) && r.U16(v)) Units[u].Load = static_cast<std::uint16_t>(v);
      break;
    case 122:
      BuildingSnapshot(r);
      break;
    case 123:
      if (r.Building(b) && r.Any(v) && r.U16(v2)) {
        Buildings[b].UpgradeIdle = 0;
        Buildings[b].UpgradeProgress = static_cast<float>(v);
        Buildings[b].UpgradeTarget = static_cast<std::uint16_t>(v2);
      }
      break;
    case 124:
      if (r.Building(b)) {
        Buildings[b].UpgradeIdle = 1;
        ++Buildings[b].UpgradeLevel;
      }
      break;
    case 125:
      if (r.Building(b) && r.Unit(u)) CheckStorageFull(Buildings[b], u);
      break;
    case 126:
      if (r.Building(b)) {
        TBuildingRecord& rec = Buildings[b];
        if (rec.TargetSlot >= 1 && rec.TargetSlot <= MaxUnitSlots) Units[rec.TargetSlot].Load = 0;
        rec.DockFree = 1;
        if (rec.Owner == LocalPlayer) VoiceHarvesterEvent(rec.Side);
      }
      break;
    case 127:
      if (r.Number(v, 1, OssinFieldSlots) && r.Any(v2)) DrainOssinField(OssinFields[v], v2);
      break;
    case 128:
      if (r.Unit(u) && r.Tile(x, y)) FireAt(Units[u], x, y);
      break;
    case 129:
      if (r.Any(v) && r.Number(v2, 2, MaxPlayers)) {
        OwnConnectionIndex = v;
        LocalPlayer = static_cast<std::uint8_t>(v2);
        NetReplyName(v, v2, GameOptions.PlayerName);
      }
      break;
    case 130: {
      std::array<std::uint8_t, 8> flags{};
      for (std::uint8_t& a : flags) {
        if (!r.Number(v, 0, 1)) return;
        a = static_cast<std::uint8_t>(v);
      }
      SideAvailable = flags;
      SideChooserCreate(SideChooser, 33, 90);
      SideChooserSet(SideChooser, flags);
      SideChoiceOpen = 1;
      if (SideChooser.Selected < 8) {
        const TSphereRect& s = SideChooser.Spheres[SideChooser.Selected];
        NetTrace("net sides %d %d", (s.X1 + s.X2) / 2, (s.Y1 + s.Y2) / 2);
      }
      break;
    }
    case 131:
      SideChoiceOpen = 0;
      Players[LocalPlayer].Side = ViewState.LocalSide;
      break;
    case 133:
      if (r.Building(b) && r.Tile(x, y)) TurretFireAt(Buildings[b], x, y);
      break;
    case 134:
      if (r.Building(b) && r.Any(v) && r.Any(v2) && r.Byte(v3))
        DamageBuilding(Buildings[b], v, v2, static_cast<std::uint8_t>(v3));
      break;
    case 136:
      if (r.Building(b) && r.Any(v)) {
        Buildings[b].RepairOff = 0;
        Buildings[b].Health = v;
      }
      break;
    case 137:
      if (r.Building(b)) Buildings[b].RepairOff = 1;
      break;
    case 138:
      if (r.Building(b) && r.Any(v) && r.U16(v2)) {
        TBuildingRecord& rec = Buildings[b];
        rec.ProductionState = ProductionRunning;
        rec.ProductionProgress = static_cast<float>(v);
        rec.ProductionTarget = static_cast<std::uint16_t>(v2);
        if (rec.Item >= ItemSlab && v2 <= v && rec.Owner == LocalPlayer) VoiceBuildingReady(ViewState.LocalSide);
      }
      break;
    case 139:
      if (r.Building(b)) ToggleProductionPause(Buildings[b]);
      break;
    case 140:
      if (r.Building(b)) {
        Buildings[b].ProductionState = ProductionIdle;
        Buildings[b].ProductionProgress = 0;
      }
      break;
    case 141:
      ShowMessageLine(InFontCodePage(r.Text()));
      break;
    case 142:
      if (Creation(r, true, u, x, y, side, owner, kind)) {
        InitUnit(Units[u], x, y, static_cast<std::uint16_t>(u), static_cast<std::uint8_t>(side),
                 static_cast<std::uint8_t>(owner), static_cast<std::uint8_t>(kind));
        if (owner == LocalPlayer && Players[owner].ReplacementReady == 1)
          VoiceUnitReady(UnitKindToItem(static_cast<std::uint8_t>(kind)), side);
      }
      break;
    case 143:
      if (r.Any(v) && r.Any(v2) && v2 == OwnConnectionIndex) Players[LocalPlayer].Credits = v;
      break;
    case 144:
      if (Creation(r, false, b, x, y, side, owner, kind) && FootprintInside(kind, x, y)) {
        InitBuilding(Buildings[b], x, y, static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(owner),
                     static_cast<std::uint8_t>(side), static_cast<std::uint16_t>(b));
        if (owner == LocalPlayer) PlayPlaceBuildingSound();
      }
      break;
    case 145:
      if (r.Building(b)) RemoveBuilding(Buildings[b]);
      break;
    case 147:
      if (r.Building(b) && r.U16(v)) Buildings[b].PowerOutput = static_cast<std::uint16_t>(v);
      break;
    case 149:
      WormSnapshot(r);
      break;
    case 150:
      if (r.Worm(w)) WormSurface(Worms[w]);
      break;
    case 151:
      // The strike is over: the worm is under the sand again.
      if (r.Worm(w)) Worms[w].Hidden = 1;
      break;
    case 152:
      if (r.Worm(w) && r.Any(v)) DamageWorm(Worms[w], v);
      break;
    case 153:
    case 154:
      GameOptions.CrowEnable = code == 153;
      break;
    case 155:
      if (r.Worm(w) && r.Tile(x, y)) CreateWorm(Worms[w], x, y, w);
      break;
    case 156:
      if (r.Number(v, 15, 17)) {
        GameOptions.GameSpeed = v;
        ApplyGameSpeedProc();
      }
      break;
    case 157:
      LoadMap(r.Text());
      break;
    case 158:
      StartGame(r);
      break;
    case 160:
      if (r.Number(v, 0, MaxUnitSlots)) SetUnitSlots(v);
      break;
    case 161:
      if (r.Number(v, 0, MaxBuildingSlots)) SetBuildingSlots(v);
      break;
    case 164:
    case 165:
      Units[DeliveryCarrierSlot].CargoCount = code == 164 ? 1 : 0;
      break;
    case 166:
      VoiceUnitLostToWorm(ViewState.LocalSide);
      break;
    case MsgUnitOwner:
      if (r.Unit(u) && r.Number(side, 0, 7) && r.Number(owner, 1, MaxPlayers) && Units[u].Free == 0) {
        Units[u].Side = static_cast<std::uint8_t>(side);
        Units[u].Owner = static_cast<std::uint8_t>(owner);
        UnitTilesChanged(Units[u]);
      }
      break;
    default:
      break;
  }
}

}  // namespace zarn
