#include "game/net/netrequests.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "game/base/globals.h"
#include "game/net/netgame.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

// The server's own player gives an order: it happens now, on the server's world. The slot comes
// from the server's own selection, but is checked like any other.
template <typename Order>
void OnServerUnit(std::int32_t unit, Order order) {
  if (NetRole != RoleServer || unit < 0 || unit > MaxUnitSlots) return;
  if (Units[unit].Free == 0) order(Units[unit]);
}

}  // namespace

void AppendMessage(std::string& out, int code, std::initializer_list<std::int32_t> fields) {
  AppendMessage(out, code, std::span<const std::int32_t>(fields.begin(), fields.size()));
}

void AppendMessage(std::string& out, int code, std::span<const std::int32_t> fields) {
  // Digits straight into the text: a snapshot appends thousands of these per step.
  char buffer[16];
  auto number = [&out, &buffer](std::int32_t v) {
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    out.append(buffer, end);
    out.push_back(' ');
  };
  out.push_back('[');
  number(code);
  for (std::int32_t f : fields) number(f);
  out.push_back(']');
}

std::string MessageText(int code, std::initializer_list<std::int32_t> fields) {
  std::string text;
  AppendMessage(text, code, fields);
  return text;
}

std::string MessageText(int code, std::initializer_list<std::int32_t> fields,
                        std::string_view text) {
  // The text is a field like the others: a blank follows it too.
  std::string out = MessageText(code, fields);
  out.pop_back();
  out.append(text);
  out += " ]";
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

void NetOrderMoveTo(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(2, {unit, x, y});
  OnServerUnit(unit, [&](TUnitRecord& u) { MoveTo(u, x, y); });
}
void NetOrderAttackAt(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(4, {unit, x, y});
  OnServerUnit(unit, [&](TUnitRecord& u) { AttackAt(u, x, y); });
}
void NetOrderStopUnit(std::int32_t unit) {
  SendRequest(6, {unit});
  OnServerUnit(unit, [](TUnitRecord& u) { StopUnit(u); });
}
void NetRequestGroupStop(std::span<const std::int32_t> units) {
  if (NetRole == RoleServer)
    for (std::int32_t u : units) OnServerUnit(u, [](TUnitRecord& r) { StopUnit(r); });
  // The server takes at most a full selection in one request.
  if (NetRole != RoleClient || units.empty()) return;
  std::array<std::int32_t, 15> fields{};
  const std::size_t n = std::min<std::size_t>(units.size(), fields.size() - 1);
  fields[0] = static_cast<std::int32_t>(n);
  std::copy_n(units.begin(), n, fields.begin() + 1);
  std::string text;
  AppendMessage(text, 7, std::span<const std::int32_t>(fields.data(), n + 1));
  ToServer(text);
}
void NetOrderMoveOrHarvest(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(8, {unit, x, y});
  OnServerUnit(unit, [&](TUnitRecord& u) { MoveOrHarvest(u, x, y); });
}
void NetOrderCarrierPickUp(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(9, {unit, x, y});
  OnServerUnit(unit, [&](TUnitRecord& u) { CarrierPickUp(u, x, y); });
}
void NetOrderCarrierDeliver(std::int32_t unit, std::int32_t x, std::int32_t y) {
  SendRequest(10, {unit, x, y});
  OnServerUnit(unit, [&](TUnitRecord& u) { CarrierDeliver(u, x, y); });
}
void NetRequestSide(std::int32_t seat, std::int32_t side) { SendRequest(30, {seat, side}); }
void NetOrderDestroyUnit(std::int32_t unit) {
  SendRequest(32, {unit});
  OnServerUnit(unit, [](TUnitRecord& u) { DestroyUnit(u); });
}
void NetRequestPauseProduction(std::int32_t building) { SendRequest(39, {building}); }
void NetRequestProductionReset(std::int32_t building) { SendRequest(59, {building}); }
void NetRequest16(std::int32_t building, std::int32_t price) { SendRequest(16, {building, price}); }
void NetToggleRepair(std::int32_t building) { SendRequest(36, {building}); }
void NetOrderProduction(std::int32_t building, std::int32_t price, std::int32_t item) {
  SendRequest(38, {building, price, item});
}
void NetPlaceBuilding(std::int32_t x, std::int32_t y, std::int32_t kind, std::int32_t side,
                      std::int32_t owner) {
  SendRequest(44, {kind, x, y, side, owner});
}
void NetDeployUnit(std::int32_t unit) { SendRequest(45, {unit}); }
void NetUseSpecialWeapon(std::int32_t building, std::int32_t x, std::int32_t y) {
  SendRequest(46, {building, x, y});
}
void NetReturnToRefinery(std::int32_t unit) { SendRequest(48, {unit}); }
void NetRequestBuildMenu62(std::int32_t building) { SendRequest(62, {building}); }
void NetRequestBuildMenu63(std::int32_t building) { SendRequest(63, {building}); }
void NetRequest64(std::int32_t x, std::int32_t y, std::int32_t owner, std::int32_t side) {
  SendRequest(64, {x, y, owner, side});
}
void NetReplyName(std::int32_t connection, std::int32_t seat, std::string_view name) {
  if (NetRole == RoleClient)
    SendToServer(MessageText(29, {connection, seat}, CleanWireText(name)));
}

}  // namespace zarn
