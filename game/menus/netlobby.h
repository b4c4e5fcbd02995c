// The network lobby (screen 20), where the player names itself, the server and the number of
// players, and the server's map choice (screen 22), where the server picks the map and its side.
#pragma once

#include "game/base/dvga.h"
#include "game/menus/menuframe.h"
#include "game/menus/options.h"

namespace zarn {

// The side chooser of the map choice and of a client's side choice; on the server its
// availability is the record of the sides still free.
inline TSideChooser SideChooser{};

inline constexpr MenuButtonRect LobbyAcceptButton{35, 172, 108, 188};
inline constexpr MenuButtonRect LobbyBackButton{213, 172, 289, 188};
inline constexpr MenuButtonRect MapChoiceAcceptButton{33, 170, 106, 186};
inline constexpr MenuButtonRect MapChoiceBackButton{211, 170, 287, 186};

// The accept buttons hand over to the play screen (GameScreen 0) with NetRole set; the shell
// then runs the network game's set-up.
void OpenNetLobby();
void NetLobbyDraw();
void NetLobbyClick();

void OpenNetMapChoice();
void NetMapChoiceDraw();
void NetMapChoiceClick();

}  // namespace zarn
