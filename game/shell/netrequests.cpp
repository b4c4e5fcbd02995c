#include "game/shell/netrequests.h"

#include "game/base/globals.h"

namespace zarn {

std::string MessageText(int code, std::initializer_list<std::int32_t> fields) {
  std::string text = "[" + std::to_string(code) + " ";
  for (std::int32_t f : fields) text += std::to_string(f) + " ";
  text += "]";
  return text;
}

std::string MessageText(int code, std::initializer_list<std::int32_t> fields,
                        std::string_view text) {
  std::string out = MessageText(code, fields);
  out.pop_back();
  out.append(text);
  out += "]";
  return out;
}

namespace {
void ToServer(const std::string& text) {
  if (RequestTextTap) RequestTextTap(text);
  SendToServer(text);
}
}  // namespace

void SendRequest(int code, std::initializer_list<std::int32_t> fields) {
  if (NetRole == RoleClient) ToServer(MessageText(code, fields));
}

void SendMoveRequest(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(2, {unit, x, y});
}
void NetOrderAttackAt(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(4, {unit, x, y});
}
void NetOrderStopUnit(std::int32_t unit) { SendRequest(6, {unit}); }
void NetRequestGroupStop(std::span<const std::int32_t> units) {
  if (NetRole != RoleClient || units.empty()) return;
  std::string text = "[7 " + std::to_string(units.size()) + " ";
  for (std::int32_t u : units) text += std::to_string(u) + " ";
  ToServer(text + "]");
}
void NetOrderMoveOrHarvest(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(8, {unit, x, y});
}
void NetOrderCarrierPickUp(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(9, {unit, x, y});
}
void NetOrderCarrierDeliver(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(10, {unit, x, y});
}
void NetRequestSide(std::int32_t seat, std::int32_t side) { SendRequest(30, {seat, side}); }
void NetOrderDestroyUnit(std::int32_t unit) { SendRequest(32, {unit}); }
void NetRequestPauseProduction(std::int32_t building) { SendRequest(39, {building}); }
void NetRequestProductionReset(std::int32_t building) { SendRequest(59, {building}); }

}  // namespace zarn
