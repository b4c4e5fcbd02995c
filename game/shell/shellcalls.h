// Procedures that the shell's frames and input handlers call and that other topics build (the
// play screen, the editors' screens, the network game and the menu screens beyond the main
// menu), in one table so that tests can replace entries to record the calls.
#pragma once

#include <cstdint>
#include <string_view>

#include "game/shell/gamescreen.h"
#include "game/shell/playmouse.h"
#include "game/shell/selection.h"
#include "game/menus/campaign.h"
#include "game/menus/gamemenu.h"
#include "game/net/netgame.h"
#include "game/menus/editormenus.h"
#include "game/shell/editorscreens.h"

namespace zarn {

struct TShellCalls {
  // Play screen: input step, drawing, clicks (single and network play), control groups.
  void (*GameInputStep)();
  void (*DrawGameScreen)();
  void (*DrawNetLobby)();
  void (*DrawNetGameScreen)();
  void (*GameClick)();
  void (*NetGameClick)();
  void (*GameRightClick)();
  void (*NetGameRightClick)();
  void (*GameDoubleClick)();
  void (*StoreGroup)(int group);
  void (*RecallGroup)(int group);
  // Network game.
  void (*NetGameSetup)();
  void (*CloseServer)();
  void (*CloseClient)();
  void (*ConnectToServer)(std::string_view host);
  void (*SendChat)(std::string_view playerName, std::string_view text);
  // Editors' working screens.
  void (*MapEditorStep)();
  void (*DrawMapEditorScreen)();
  void (*MapEditorClick)();
  void (*ScenarioEditorStep)();
  void (*DrawScenarioEditorScreen)();
  void (*ScenarioEditorClick)();
  // Menu screens the shell opens itself.
  void (*OpenGameMenu)();
  void (*OpenMapEditorMenu)();
  void (*OpenScenarioEditorMenu)();
  void (*OpenVictory)();
  void (*OpenDefeat)();
};

inline constexpr TShellCalls DefaultShellCalls{
    .GameInputStep = GameHover,
    .DrawGameScreen = DrawGameScreen,
    .DrawNetLobby = DrawNetLobby,
    .DrawNetGameScreen = DrawNetGameScreen,
    .GameClick = GameClick,
    .NetGameClick = NetGameClick,
    .GameRightClick = GameRightClick,
    .NetGameRightClick = NetGameRightClick,
    .GameDoubleClick = GameDoubleClick,
    .StoreGroup = StoreGroup,
    .RecallGroup = RecallGroup,
    .NetGameSetup = NetGameSetup,
    .CloseServer = CloseServer,
    .CloseClient = CloseClient,
    .ConnectToServer = ConnectToServer,
    .SendChat = SendChat,
    .MapEditorStep = MapEditorHover,
    .DrawMapEditorScreen = DrawMapEditorScreen,
    .MapEditorClick = MapEditorClick,
    .ScenarioEditorStep = ScenarioEditorHover,
    .DrawScenarioEditorScreen = DrawScenarioEditorScreen,
    .ScenarioEditorClick = ScenarioEditorClick,
    .OpenGameMenu = OpenGameMenu,
    .OpenMapEditorMenu = OpenMapEditorMenu,
    .OpenScenarioEditorMenu = OpenScenarioEditorMenu,
    .OpenVictory = OpenVictory,
    .OpenDefeat = OpenDefeat,
};

inline TShellCalls ShellCalls = DefaultShellCalls;

}  // namespace zarn
