// A scripted network client for the loopback game: connects, names itself, takes the first free
// side, and once the game starts orders its construction vehicle a few tiles on (and tries a few
// things it may not do). When the server closes the game it writes every unit it knows of.
//
//   zarn_net_peer <game folder> <port> <name> <output file>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "game/base/dvga.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/world/dobjects.h"
#include "platform/app.h"
#include "platform/net.h"
#include "platform/platform.h"

using namespace zarn;

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: zarn_net_peer folder port name output\n");
    return 2;
  }
  setenv("ZARN_PLATFORM", "null", 1);
  std::string why;
  if (!plat::Init(&why) || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "zarn_net_peer: %s\n", why.c_str());
    return 2;
  }
  SetDefaultOptions();
  dobjectsInitialization();
  FillNetHooks();
  GameOptions.AsServer = false;
  GameOptions.NetService = argv[2];
  GameOptions.PlayerName = argv[3];
  GameOptions.Server = "127.0.0.1";
  NetRole = RoleClient;
  NetGameSetup();

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  bool ordered = false;
  while (std::chrono::steady_clock::now() < deadline) {
    plat::ProcessMessages();
    plat::NetPoll(2);
    if (!NetGameStarted) {
      ConnectToServer(GameOptions.Server);
      if (SideChoiceOpen) {
        // The player clicks the side the chooser offers first.
        ViewState.LocalSide = SideChooser.Selected;
        NetRequestSide(LocalPlayer, SideChooser.Selected);
        SideChoiceOpen = 0;
      }
      continue;
    }
    if (!ordered) {
      ordered = true;
      const std::int32_t unit = ViewState.Selection[1].Index;
      const TUnitRecord& u = Units[unit];
      const std::int32_t x = std::clamp<std::int32_t>(u.X + 4, 1, GameMap.Width);
      const std::int32_t y = std::clamp<std::int32_t>(u.Y + 3, 1, GameMap.Height);
      NetOrderMoveTo(unit, x, y);
      // Orders for the server's vehicle, for every other slot, and malformed ones: all refused.
      for (int other = 1; other <= 8; ++other)
        if (other != unit) NetOrderMoveTo(other, 2, 2);
      SendToServer("[2 x 5 5 ][7 99 1 2 ][44 2 10 10 0 1 ][32 1 ][6 " + std::to_string(unit) + "]]");
      SendToServer("[7 1 " + std::to_string(unit) + " ][2 " + std::to_string(unit) + " " +
                   std::to_string(x) + " " + std::to_string(y) + " ]");
    }
    if (!ClientRunning()) break;  // the server ended the game
  }
  if (!NetGameStarted || ClientRunning()) {
    std::fprintf(stderr, "zarn_net_peer %s: no game or no end (started %d)\n", argv[3], NetGameStarted);
    return 3;
  }
  std::ofstream out(argv[4]);
  out << static_cast<int>(LocalPlayer) << "\n";
  for (int i = 0; i <= MaxUnitSlots; ++i) {
    const TUnitRecord& u = Units[i];
    if (u.Free != 0 || u.OffMap != 0) continue;
    out << i << " " << u.X << " " << u.Y << " " << u.StepProgress << " " << u.Health << " "
        << static_cast<int>(u.Owner) << " " << static_cast<int>(u.Side) << "\n";
  }
  out.close();
  plat::Shutdown();
  return out ? 0 : 4;
}
