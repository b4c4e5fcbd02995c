// The client's requests to the server: one sender a message, each writing the message's wire
// text ("[code field field ... ]") and handing it to SendToServer. In single play a request
// sender does nothing; on the server the unit orders (2 to 10, 32) are carried out at once on
// the server's own world, the others do nothing (the world applies them itself).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "game/base/widgets.h"

namespace zarn {

// "[code f1 f2 ... ]": each field followed by one space.
std::string MessageText(int code, std::initializer_list<std::int32_t> fields);
// The same appended to `out`.
void AppendMessage(std::string& out, int code, std::initializer_list<std::int32_t> fields);
void AppendMessage(std::string& out, int code, std::span<const std::int32_t> fields);
// The same with a text field last, followed by its blank like every field: "[code f1 text ]".
std::string MessageText(int code, std::initializer_list<std::int32_t> fields,
                        std::string_view text);

// Sends a text on the client's connection to the server; nothing while there is none.
void SendToServer(std::string_view text);
// MessageText + SendToServer, only when this program is a client.
void SendRequest(int code, std::initializer_list<std::int32_t> fields);

void NetOrderMoveTo(std::int32_t unit, std::int32_t x, std::int32_t y);           // 2
void NetOrderAttackAt(std::int32_t unit, std::int32_t x, std::int32_t y);         // 4
void NetOrderStopUnit(std::int32_t unit);                                         // 6
void NetRequestGroupStop(std::span<const std::int32_t> units);                    // 7
void NetOrderMoveOrHarvest(std::int32_t unit, std::int32_t x, std::int32_t y);    // 8
void NetOrderCarrierPickUp(std::int32_t unit, std::int32_t x, std::int32_t y);    // 9
void NetOrderCarrierDeliver(std::int32_t unit, std::int32_t x, std::int32_t y);   // 10
void NetRequestSide(std::int32_t seat, std::int32_t side);                        // 30
void NetOrderDestroyUnit(std::int32_t unit);                                      // 32
void NetRequestPauseProduction(std::int32_t building);                           // 39
void NetRequestProductionReset(std::int32_t building);                           // 59
void NetRequest16(std::int32_t building, std::int32_t price);                     // 16
void NetToggleRepair(std::int32_t building);                                      // 36
void NetOrderProduction(std::int32_t building, std::int32_t price, std::int32_t item);  // 38
void NetPlaceBuilding(std::int32_t x, std::int32_t y, std::int32_t kind, std::int32_t side,
                      std::int32_t owner);                                        // 44
void NetDeployUnit(std::int32_t unit);                                            // 45
void NetUseSpecialWeapon(std::int32_t building, std::int32_t x, std::int32_t y);  // 46
void NetReturnToRefinery(std::int32_t unit);                                      // 48
void NetRequestBuildMenu62(std::int32_t building);                                // 62
void NetRequestBuildMenu63(std::int32_t building);                                // 63
void NetRequest64(std::int32_t x, std::int32_t y, std::int32_t owner, std::int32_t side);  // 64
void NetReplyName(std::int32_t connection, std::int32_t seat, std::string_view name);     // 29

// The server's broadcast 139 (production paused or resumed); network play fills it in.
inline void (*NetBroadcastPauseProductionProc)(std::int32_t building) = [](std::int32_t) {};
// Sees every text a request sender hands to SendToServer (tests).
inline void (*RequestTextTap)(std::string_view text) = nullptr;

}  // namespace zarn
