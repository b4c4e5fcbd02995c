// Empty until their topics are written; see clockcalls_pending.h.
#include "game/shell/clockcalls_pending.h"

namespace zarn {

void StartNetGame() {}
void ServerSnapshots() {}

}  // namespace zarn
namespace zarn { void SendToServer(std::string_view) {} }  // namespace zarn
