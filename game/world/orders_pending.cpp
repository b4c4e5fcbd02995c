#include "game/world/orders_pending.h"

namespace zarn {

void EruptBloom(TOssinBloomRecord&) {}
void CrushUnit(TUnitRecord&) {}

}  // namespace zarn
