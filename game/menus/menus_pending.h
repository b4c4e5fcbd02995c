// Open procedures of screens whose own topics are not built yet. Each only shows its screen by
// number (no button hovered, GameScreen set); the screen's widgets and the rest of its opening
// come with its topic, which replaces the procedure here.
#pragma once

namespace zarn {

void OpenFactionChoice();
void OpenLoadGameMain();
void OpenNetLobby();
void OpenAuthors();

}  // namespace zarn
