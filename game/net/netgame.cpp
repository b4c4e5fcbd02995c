// A network game's start on the server and the clients, the start vehicles, the server's
// snapshots after every world step, and the network screen before the start.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/gamescreen.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/shell/selection.h"
#include "game/shell/sidepanel.h"
#include "game/sound/dsnd.h"
#include "game/world/dobjects.h"
#include "platform/app.h"

namespace zarn {

namespace {

// The side and owner each unit had at the last snapshot, so that a change (a conversion and
// its end) is told to the clients once.
struct TOwnerMirror {
  std::uint8_t Side = 0xFF;
  std::uint8_t Owner = 0xFF;
};
std::array<TOwnerMirror, MaxUnitSlots + 1> LastOwners{};

// The server's waiting screen lists who has come so far, above the message lines.
TListWidget SeatList;
bool SeatListMade = false;

void DrawSeatList() {
  if (!SeatListMade) ListBoxCreate(SeatList, 33, 20, false);
  SeatListMade = true;
  FillSeatList(SeatList);
  ListBoxDraw(SeatList, MouseX, MouseY);
}

void ResetCounters() {
  BytesReceived = 0;
  BytesSent = 0;
  BytesReceivedLastSecond = 0;
  BytesSentLastSecond = 0;
}

std::string OwnerChangeText() {
  std::string out;
  const int last = LastUnitSlot();
  for (int i = 0; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    TOwnerMirror& m = LastOwners[static_cast<std::size_t>(i)];
    if (u.Free != 0) {
      m = TOwnerMirror{};
      continue;
    }
    // A unit seen for the first time was just announced with its owner.
    if (m.Owner != 0xFF && (m.Side != u.Side || m.Owner != u.Owner))
      AppendMessage(out, MsgUnitOwner, {i, u.Side, u.Owner});
    m = {u.Side, u.Owner};
  }
  return out;
}

}  // namespace

void NetTrace(const char* format, ...) {
  static const bool trace = std::getenv("ZARN_TRACE_NET") != nullptr;
  if (!trace) return;
  std::va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

void NetGameSetup() {
  ResetCounters();
  LocalPlayer = 1;
  LastViewPos = {-1, -1};
  for (std::uint8_t& a : Mission.Available) a = 1;
  Mission.PlayerCount = GameOptions.Partners;
  const std::int32_t limits[6] = {2, 1, 1, 1, 3, 1};
  for (int i = 0; i < 6; ++i) Mission.UpgradeLimits[i + 1] = limits[i];

  StartPalettePulses();
  ResetCursorState();
  ClearSelectionAndGroups();
  HideMessageLine();
  HideMessageLine2();

  EmptyTheWorld();
  ResetOwnerMirror();
  ForgetSlabsLaid();

  if (GameOptions.AsServer) {
    StartServer();
  } else {
    StopClient();
    ConnectToServer(GameOptions.Server);
  }
}

void StartNetGame() {
  BroadcastEnabled = 1;
  NetServerStart();
  NetGameStarted = 1;
}

void NetServerStart() {
  ResetCounters();
  Broadcast(GameOptions.CrowEnable ? 153 : 154, {});
  Broadcast(156, {std::clamp<std::int32_t>(GameOptions.GameSpeed, 15, 17)});
  BroadcastToClients(MessageText(157, {}, MapFileName));
  LoadMapWithObjects(MapFileName);
  Mission.PlayerCount = GameOptions.Partners;
  PlaceStartVehicles();
  if (GameOptions.CrowEnable) CreateWorm(Worms[1], 4, 20, 1);
}

void PlaceStartVehicles() {
  const std::int32_t W = GameMap.Width, H = GameMap.Height;
  const std::int32_t q = W / 4, h = H / 2;
  const std::int32_t regions[8][4] = {{1, 1, q, h},         {q, 1, 2 * q, h},     {2 * q, 1, 3 * q, h},
                                      {3 * q, 1, W, h},     {1, h, q, H},         {q, h, 2 * q, H},
                                      {2 * q, h, 3 * q, H}, {3 * q, h, W, H}};
  std::array<bool, 8> taken{};
  std::int32_t s = 1;
  int placed = 0;
  // Seats in order; a seat whose client left before choosing a side gets no vehicle.
  for (int k = 1; k <= MaxPlayers && placed < GameOptions.Partners && placed < 8; ++k) {
    const TPlayerConnection& seat = PlayerConnections[k];
    if (seat.Side == SeatWithoutSide) continue;
    int r = 0;
    do r = Random(8); while (taken[static_cast<std::size_t>(r)]);
    const std::int32_t* g = regions[r];
    std::int32_t x = (g[2] - g[0]) / 2 + g[0] - 1, y = (g[3] - g[1]) / 2 + g[1] - 1;
    x = std::clamp<std::int32_t>(x, 1, W);
    y = std::clamp<std::int32_t>(y, 1, H);
    PickBloomFreeTile(g[0], g[1], g[2], y, x, g[3]);
    InitUnit(Units[s], x, y, static_cast<std::uint16_t>(s), seat.Side, static_cast<std::uint8_t>(k),
             UnitConstructionVehicle);
    NetTrace("net vehicle %d %d %d %d map %d %d", k, int(s), int(x), int(y), int(W), int(H));
    const std::int32_t vx = ClampViewX(x - 9), vy = ClampViewY(y - 5);
    if (k == 1) {
      ViewState.ViewX = static_cast<std::uint16_t>(vx);
      ViewState.ViewY = static_cast<std::uint16_t>(vy);
      NetTrace("net view %d %d", int(vx), int(vy));
      SelectStartVehicle(s);
    } else {
      SendToConnection(SeatConnection(k), MessageText(158, {vx, vy, s}));
    }
    taken[static_cast<std::size_t>(r)] = true;
    ++s;
    ++placed;
  }
}

void SelectStartVehicle(std::int32_t slot) {
  ClearSelectionAndGroups();
  ViewState.SelectedCount = 1;
  ViewState.Selection[1].Index = static_cast<std::uint16_t>(slot);
  ViewState.Selection[1].InUse = 1;
  SelectUnit(Units[slot]);
}

std::string UnitSnapshotText() {
  std::string out;
  out.reserve(32u * static_cast<std::size_t>(LastUnitSlot() + 1));
  const int last = LastUnitSlot();
  for (int i = 0; i <= last; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0) continue;
    AppendMessage(out, 116, {i, u.X, u.Y, u.StepProgress, u.MovePhase, u.TurretFacing, u.State});
  }
  return out;
}

std::string WormSnapshotText() {
  std::string out;
  for (int i = 1; i <= WormSlots; ++i) {
    const TWormRecord& w = Worms[i];
    if (w.Removed != 0) continue;
    AppendMessage(out, 149, {i, w.X, w.Y, w.StepProgress, w.StrikeCounter, w.MoveState, w.Facing, w.Behaviour});
  }
  return out;
}

std::string BuildingSnapshotText() {
  std::string out;
  const int last = LastBuildingSlot();
  out.reserve(20u * static_cast<std::size_t>(last));
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free != 0 || b.Kind == BuildingSlab) continue;
    const bool turret = b.Kind == BuildingGunTurret || b.Kind == BuildingRocketTurret;
    AppendMessage(out, 122, {i, turret ? b.TurretFacing : b.AnimFrame, b.Health});
  }
  return out;
}

void ResetOwnerMirror() { LastOwners.fill(TOwnerMirror{}); }

void FillSeatList(TListWidget& list) {
  ListBoxClear(list);
  for (int seat = 1; seat <= MaxPlayers; ++seat) {
    const TPlayerConnection& p = PlayerConnections[seat];
    if (!p.Connected) continue;
    ListBoxAdd(list, std::to_string(seat) + "  " + InFontCodePage(p.Name).bytes);
  }
}

void ServerSnapshots() {
  if (NetRole != RoleServer || !BroadcastEnabled) return;
  const std::string owners = OwnerChangeText();
  if (!owners.empty()) BroadcastToClients(owners);
  BroadcastToClients(UnitSnapshotText());
  if (GameOptions.CrowEnable) BroadcastToClients(WormSnapshotText());
  BroadcastToClients(BuildingSnapshotText());
  for (int p = 1; p <= MaxPlayers; ++p) {
    if (Players[p].Destroyed != 0 || p == LocalPlayer) continue;
    const std::int32_t connection = SeatConnection(p);
    if (connection >= 0) SendToConnection(connection, MessageText(143, {Players[p].Credits, connection}));
  }
}

void DrawNetLobby() {
  FillScreen(0);
  StepPulses();
  DrawNetDebugLines(false);
  if (NetRole == RoleServer) DrawSeatList();
  TrackSelectionBox();
  DrawPanelBase();
  CheckSelection();
  DrawMessageLine();
  DrawMessageLine2();
  if (NetRole == RoleClient && SideChoiceOpen) SideChooserDraw(SideChooser);
  DrawMouseCursor();
  SetCursorColor(200);
  PresentFrameProc();
}

}  // namespace zarn
