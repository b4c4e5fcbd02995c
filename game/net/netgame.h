// Network play: the wire format and its framing, the seats and sockets, the server's and the
// client's interpreters, the game start and the server's snapshots.
//
// A message is "[code f1 f2 ... ]": decimal fields, each followed by one space; a text field,
// when there is one, comes last and runs to the closing bracket. Every byte a peer sends is
// untrusted: the framing is per connection and bounded, a field that does not parse or lies
// outside its domain drops the whole message, and a client acts only on what its seat owns.
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "game/base/globals.h"
#include "game/base/widgets.h"
#include "game/menus/netlobby.h"

namespace zarn {

inline constexpr std::uint16_t DefaultServerPort = 1025;
// A partial message waits for the rest of it up to this size; beyond it the peer is talking
// nonsense and the tail is dropped.
inline constexpr std::size_t MaxMessageBytes = 64 * 1024;
// Unsent bytes a client may fall behind by (a few seconds of snapshots at the fastest speed
// with every slot in use) before the server lets it go.
inline constexpr std::size_t MaxClientBacklog = 4u << 20;
// A client that lost or never got its connection tries again at most this often.
inline constexpr std::uint32_t ReconnectIntervalMs = 1000;
// Server: a connection that came without a second one to pair it, and is still open after this
// long, is a client waiting for its seat: it gets one.
inline constexpr std::uint32_t UnpairedAdmitMs = 1500;
// Client: a connection that the server has not seated after this long is made again (a server
// that seats every second connection seats the next one).
inline constexpr std::uint32_t SeatWaitMs = 3000;
// The lobby's edit line takes at most this many characters of a name, and the seat list is
// laid out for them: a longer name from the wire is cut there (with room for the blank that
// follows it on the wire, which is kept).
inline constexpr std::size_t MaxPlayerNameLength = 27;
// Broadcast of a unit's new side and owner (conversion and its end). Peers that do not know
// it ignore it.
inline constexpr int MsgUnitOwner = 167;

// For checks of the real program (ZARN_TRACE_NET set): the start, the vehicles' cells and
// the requests the server takes, one line each on stderr.
void NetTrace(const char* format, ...);

// --- Network state. ---

inline std::uint64_t BytesSent = 0;
inline std::uint64_t BytesReceived = 0;
// The totals when the network screen last took its per-second figures.
inline std::uint64_t BytesSentLastSecond = 0;
inline std::uint64_t BytesReceivedLastSecond = 0;
// Accepted connections so far (the number the next one gets on the wire) and admissions.
inline std::int32_t NextConnectionIndex = 0;
inline std::int32_t ClientCount = 0;
// Flips on every accepted connection; a connection arriving while it is 1 gets a seat. A client
// connects twice (its first connection dropped as the second is made): the second is seated.
inline std::uint8_t AcceptingPlayers = 0;
// Client: the connection came up at least once; the number the server gave it; the sides it
// may choose and whether the chooser is open.
inline std::uint8_t ClientConnected = 0;
inline std::int32_t OwnConnectionIndex = 0;
inline std::array<std::uint8_t, 8> SideAvailable{};
inline std::uint8_t SideChoiceOpen = 0;

// --- Reading messages. ---

// Cuts messages out of one connection's byte stream: bytes before "[" are dropped, a message
// runs to the next "]", a partial one waits for the next read. Memory stays within
// MaxMessageBytes whatever arrives. A handler that returns false, or that resets the framer
// (its connection closed), ends the read: nothing after it is handed on.
class TMessageFramer {
 public:
  template <typename Each>
  void Feed(std::string_view data, Each&& each) {
    feeding_ = true;
    stop_ = false;
    for (char c : data) {
      if (!inMessage_) {
        if (c == '[') {
          inMessage_ = true;
          buffer_.assign(1, c);
        }
        continue;
      }
      if (c == '[') {  // a fresh start: what came before never closed
        buffer_.assign(1, c);
        continue;
      }
      buffer_.push_back(c);
      if (c == ']') {
        inMessage_ = false;
        if constexpr (std::is_same_v<decltype(each(std::string_view{})), bool>) {
          if (!each(std::string_view(buffer_))) stop_ = true;
        } else {
          each(std::string_view(buffer_));
        }
        buffer_.clear();
        if (stop_) break;
      } else if (buffer_.size() >= MaxMessageBytes) {
        inMessage_ = false;
        buffer_.clear();
        buffer_.shrink_to_fit();
      }
    }
    feeding_ = false;
    if (stop_) Reset();
  }
  std::size_t Buffered() const { return buffer_.capacity(); }
  // Inside a handler the buffer still holds the message being handled: the reset waits for
  // the handler to return.
  void Reset() {
    if (feeding_) {
      stop_ = true;
      return;
    }
    inMessage_ = false;
    buffer_.clear();
    buffer_.shrink_to_fit();
  }

 private:
  bool inMessage_ = false;
  bool feeding_ = false;
  bool stop_ = false;
  std::string buffer_;
};

// The fields of one framed message ("[...]"). Every reader returns false once a field is
// missing or malformed, and stays false.
class TMessageReader {
 public:
  explicit TMessageReader(std::string_view message);
  bool Code(std::int32_t& code);
  // A decimal integer within lo..hi.
  bool Number(std::int32_t& value, std::int32_t lo, std::int32_t hi);
  // Slots within their tables, a tile on the map, and values of the records' field widths.
  bool Unit(std::int32_t& u) { return Number(u, 0, MaxUnitSlots); }
  bool Building(std::int32_t& b) { return Number(b, 1, MaxBuildingSlots); }
  bool Worm(std::int32_t& w) { return Number(w, 1, WormSlots); }
  bool Tile(std::int32_t& x, std::int32_t& y);
  bool Byte(std::int32_t& v) { return Number(v, 0, 255); }
  bool U16(std::int32_t& v) { return Number(v, 0, 65535); }
  bool Any(std::int32_t& v) { return Number(v, INT32_MIN, INT32_MAX); }
  // The rest of the message up to the closing bracket, as it stands: a sender that writes
  // the blank after its last field ("[29 0 2 Bob ]") leaves it on the text.
  std::string_view Text();
  bool Ok() const { return ok_; }

 private:
  std::string_view body_;  // between the brackets
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// Chat lines, names and notices: brackets would end a message early, so they become
// parentheses.
std::string CleanWireText(std::string_view text);
// A chat line's text less the one blank that its sender writes after every field.
std::string_view WithoutClosingBlank(std::string_view text);
// A name as message 101 carries it: its first word (receivers read the name up to a blank).
std::string_view ChatName(std::string_view name);

// --- Sending. ---

// Server: queues a text for the connection with this number (the accept counter). A closed or
// unknown connection sends nothing; a client that falls too far behind is let go.
void SendToConnection(std::int32_t connection, std::string_view text);
// Server, while BroadcastEnabled: to every seated client.
void BroadcastToClients(std::string_view text);
// "[code f1 ... ]" to every client.
void Broadcast(int code, std::initializer_list<std::int32_t> fields);
// A seat's connection number, -1 when nobody sits there.
std::int32_t SeatConnection(int seat);

// --- Sockets and seats. ---

// The ports from the settings: NetService (a number or a service name) sets both; otherwise
// the server listens on 1025 and the client connects to NetPort.
std::uint16_t ServerListenPort();
std::uint16_t ClientConnectPort();
// The port the server really listens on (the same as ServerListenPort unless that was 0).
std::uint16_t ListeningPort();

void StartServer();
void ConnectToServer(std::string_view host);
void StopClient();
void CloseServer();
void CloseClient();
// Every seat empty (side 8, number = seat, connection 1, not connected).
void ResetSeats();
// Socket events, as the loop delivers them (also called by tests).
void ServerSocketAccept(int connection);
void ServerSocketClientRead(int connection, std::string_view data);
void ServerSocketClientDisconnect(int connection);
void ClientSocketConnect();
void ClientSocketRead(std::string_view data);
void ClientSocketDisconnect();
void ClientSocketError();
// The seat of a connection that closed is free again (before the start, its side too).
void FreePlayerSlot(int connection);
// Server, before the start: seats the connections that waited UnpairedAdmitMs without a pair.
void AdmitWaitingConnections();
// Ends a network game's connections and state: sockets closed, seats empty, broadcasts off.
void NetTeardown();
bool ServerRunning();
// Bytes queued for the seated clients and not yet written.
std::size_t PendingToClients();
bool ClientRunning();

// --- Interpreters. ---

// One request from the client in `seat` (0 when the connection has no seat: ignored).
void ServerInterpretMessage(int seat, std::string_view message);
// Forgets the slabs laid from the yards' items (a new game starts afresh).
void ForgetSlabsLaid();
// One message from the server.
void ClientInterpretMessage(std::string_view message);

// --- Chat and the hooks. ---

void SendChat(std::string_view playerName, std::string_view text);
// Fills every network hook of the world.
void FillNetHooks();

// --- Game start and snapshots. ---

void NetGameSetup();
void StartNetGame();
void NetServerStart();
void PlaceStartVehicles();
// The start vehicle in `slot` is the view's whole selection (groups emptied).
void SelectStartVehicle(std::int32_t slot);
void ServerSnapshots();
// Forgets the owners the clients were last told of (a new game tells them afresh).
void ResetOwnerMirror();
// The snapshot texts of one step (units, worms, buildings), as ServerSnapshots sends them.
std::string UnitSnapshotText();
std::string WormSnapshotText();
std::string BuildingSnapshotText();
// The network screen before the start; the server's shows the seated players, one row each
// (seat number and name).
void DrawNetLobby();
void FillSeatList(TListWidget& list);

}  // namespace zarn
