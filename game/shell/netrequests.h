// The client's requests to the server: one sender a message, each writing the message's wire
// text ("[code field field ... ]") and handing it to SendToServer. On the server and in single
// play a request sender does nothing: those worlds apply orders themselves.
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
// The same with a text field last (taken as it stands, up to the closing bracket).
std::string MessageText(int code, std::initializer_list<std::int32_t> fields,
                        std::string_view text);

// Sends a text on the client's connection to the server (network play fills it in).
void SendToServer(std::string_view text);
// MessageText + SendToServer, only when this program is a client.
void SendRequest(int code, std::initializer_list<std::int32_t> fields);

void SendMoveRequest(std::int32_t unit, std::int32_t x, std::int32_t y);          // 2
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

// The server's broadcast 139 (production paused or resumed); network play fills it in.
inline void (*NetBroadcastPauseProductionProc)(std::int32_t building) = [](std::int32_t) {};
// The client's side chooser on the play screen before the game starts (opened by message 130).
inline std::uint8_t SideChoiceOpen = 0;
inline TSideChooser SideChooser{};
// Sees every text a request sender hands to SendToServer (tests).
inline void (*RequestTextTap)(std::string_view text) = nullptr;

}  // namespace zarn
