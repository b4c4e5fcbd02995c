// Empty until their topics are written; see clockcalls_pending.h.
#include "game/shell/clockcalls_pending.h"

namespace zarn {

void StartNetGame() {}
void ServerSnapshots() {}
void StepMenuAnimCounters() {}
void MenuListMouseRepeat(MenuList, std::int32_t, std::int32_t) {}

}  // namespace zarn
