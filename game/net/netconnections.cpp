// The server's and the client's sockets, the seats and the socket events.
#include <netdb.h>

#include <algorithm>
#include <charconv>
#include <map>

#include "game/base/dvga.h"
#include "game/net/netgame.h"
#include "game/net/netrequests.h"
#include "game/world/dobjects.h"
#include "platform/app.h"
#include "platform/net.h"

namespace zarn {

namespace {

int ServerId = 0;
std::uint16_t ServerBoundPort = 0;
// What the server keeps of each accepted connection, by its platform number. A connection is
// let go at once on the wire, but its record lives on until no socket event of the server is
// being handled: a request may be what ends its own connection.
struct TServerConnection {
  TMessageFramer Framer;
  bool Dropped = false;
  bool Waiting = false;  // accepted while AcceptingPlayers was 0: no seat yet
  std::int32_t Number = 0;  // NextConnectionIndex at its accept
  std::uint64_t AcceptedAt = 0;
};
std::map<int, TServerConnection> ServerConnections;
int ServerEventDepth = 0;

void ForgetDroppedConnections() {
  if (ServerEventDepth != 0) return;
  std::erase_if(ServerConnections, [](const auto& c) { return c.second.Dropped; });
}

// Wraps every server socket event; the outermost one forgets what was let go meanwhile.
struct TServerEvent {
  TServerEvent() { ++ServerEventDepth; }
  ~TServerEvent() {
    if (--ServerEventDepth == 0) ForgetDroppedConnections();
  }
  TServerEvent(const TServerEvent&) = delete;
  TServerEvent& operator=(const TServerEvent&) = delete;
};
// The platform connection each seat holds (its own socket, whatever closes before it).
std::array<int, MaxPlayers + 1> SeatSockets{};

int ClientId = 0;
std::string ClientHost;
std::uint64_t LastConnectAttempt = 0;
bool AttemptedConnect = false;
// The connection being made is the first of the pair (made again as soon as it is up).
bool FirstOfPair = false;
std::uint64_t ConnectedAt = 0;
TMessageFramer ClientFramer;

void ShowLine(std::string_view cp1251) { ShowMessageLine(InFontCodePage(cp1251)); }

// The seat whose client talks on this connection, 0 for none.
int SeatOfConnection(int connection) {
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (PlayerConnections[seat].Connected && SeatSockets[static_cast<std::size_t>(seat)] == connection)
      return seat;
  return 0;
}

// The seat whose wire number this is, 0 for none.
int SeatOfConnectionNumber(std::int32_t connection) {
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (PlayerConnections[seat].Connected && PlayerConnections[seat].Connection == connection)
      return seat;
  return 0;
}

std::uint16_t ServicePort() {
  const std::string& s = GameOptions.NetService;
  if (s.empty()) return 0;
  int port = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), port);
  if (ec == std::errc() && ptr == s.data() + s.size() && port >= 0 && port <= 65535)
    return static_cast<std::uint16_t>(port);
  if (const servent* e = getservbyname(s.c_str(), "tcp")) return ntohs(static_cast<std::uint16_t>(e->s_port));
  return 0;
}

// Ends a connection: closed now, its seat freed now, its record forgotten once no handler runs.
void LetGo(int connection) {
  if (ServerId != 0) plat::ServerDisconnect(ServerId, connection);
  auto it = ServerConnections.find(connection);
  if (it != ServerConnections.end()) it->second.Dropped = true;
  FreePlayerSlot(connection);
  ForgetDroppedConnections();
}

void DropAllConnections() {
  for (auto& c : ServerConnections) c.second.Dropped = true;
  ForgetDroppedConnections();
}

void AdmitPlayer(int connection, std::int32_t number) {
  ++ClientCount;
  int seat = 0;
  for (int s = 2; s <= MaxPlayers && seat == 0; ++s)
    if (!PlayerConnections[s].Connected) seat = s;
  if (seat == 0) {  // every seat taken: nothing for this one to do here
    LetGo(connection);
    return;
  }
  TPlayerConnection& p = PlayerConnections[seat];
  p.Connected = 1;
  p.Connection = number;
  p.PlayerNumber = static_cast<std::uint8_t>(seat);
  p.Side = SeatWithoutSide;
  p.Name.clear();
  SeatSockets[static_cast<std::size_t>(seat)] = connection;
  InitPlayerRecord(Players[seat], static_cast<std::uint8_t>(seat), SeatWithoutSide, 1000);
  SendToConnection(p.Connection, MessageText(129, {p.Connection, seat}));
  SendToConnection(p.Connection, MessageText(160, {UnitSlots}));
  SendToConnection(p.Connection, MessageText(161, {BuildingSlots}));
}

}  // namespace

std::int32_t SeatConnection(int seat) {
  if (seat < 2 || seat > MaxPlayers || !PlayerConnections[seat].Connected) return -1;
  return PlayerConnections[seat].Connection;
}

void SendToConnection(std::int32_t connection, std::string_view text) {
  if (ServerId == 0) return;
  const int seat = SeatOfConnectionNumber(connection);
  if (seat == 0) return;
  const int socket = SeatSockets[static_cast<std::size_t>(seat)];
  if (!plat::ServerSend(ServerId, socket, text)) return;
  BytesSent += text.size();
  if (plat::ServerPending(ServerId, socket) > MaxClientBacklog) LetGo(socket);
}

void BroadcastToClients(std::string_view text) {
  if (!BroadcastEnabled || NetRole != RoleServer) return;
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (PlayerConnections[seat].Connected) SendToConnection(PlayerConnections[seat].Connection, text);
}

void Broadcast(int code, std::initializer_list<std::int32_t> fields) {
  if (!BroadcastEnabled || NetRole != RoleServer) return;
  BroadcastToClients(MessageText(code, fields));
}

void SendToServer(std::string_view text) {
  if (ClientId == 0 || !plat::ClientActive(ClientId)) return;
  if (plat::ClientSend(ClientId, text)) BytesSent += text.size();
}

std::uint16_t ServerListenPort() {
  return GameOptions.NetService.empty() ? DefaultServerPort : ServicePort();
}

std::uint16_t ClientConnectPort() {
  if (!GameOptions.NetService.empty()) return ServicePort();
  return static_cast<std::uint16_t>(std::clamp<std::int32_t>(GameOptions.NetPort, 1, 65535));
}

std::uint16_t ListeningPort() { return ServerBoundPort; }
bool ServerRunning() { return ServerId != 0 && plat::ServerActive(ServerId); }
std::size_t PendingToClients() {
  std::size_t n = 0;
  for (int seat = 2; seat <= MaxPlayers; ++seat)
    if (PlayerConnections[seat].Connected)
      n += plat::ServerPending(ServerId, SeatSockets[static_cast<std::size_t>(seat)]);
  return n;
}

bool ClientRunning() { return ClientId != 0 && plat::ClientActive(ClientId); }

void ResetSeats() {
  ResetPlayerSlots();
  for (int seat = 1; seat <= MaxPlayers; ++seat) {
    PlayerConnections[seat].Name.clear();
    SeatSockets[static_cast<std::size_t>(seat)] = -1;
  }
}

void StartServer() {
  if (ServerId != 0) plat::ServerClose(ServerId);
  DropAllConnections();
  for (int seat = 2; seat <= MaxPlayers; ++seat) SeatSockets[static_cast<std::size_t>(seat)] = -1;
  plat::ServerEvents e;
  e.OnAccept = ServerSocketAccept;
  e.OnRead = ServerSocketClientRead;
  e.OnDisconnect = ServerSocketClientDisconnect;
  e.OnError = [](int c, int) { ServerSocketClientDisconnect(c); };
  std::string why;
  ServerId = plat::ServerOpen(ServerListenPort(), std::move(e), &why);
  if (ServerId == 0) {
    ServerBoundPort = 0;
    ShowLine("Error: " + why);
    return;
  }
  ServerBoundPort = plat::ServerPort(ServerId);
  NetTrace("net listening %d", int(ServerBoundPort));
  ShowLine("Listening...");
}

void ServerSocketAccept(int connection) {
  TServerEvent event;
  // Seats are handed out only in the lobby; a game under way takes no one new.
  if (NetGameStarted) {
    plat::ServerDisconnect(ServerId, connection);
    return;
  }
  TServerConnection& c = ServerConnections[connection];
  c = TServerConnection{};
  c.Number = NextConnectionIndex;
  c.AcceptedAt = plat::NowMs();
  c.Waiting = AcceptingPlayers == 0;
  if (AcceptingPlayers) AdmitPlayer(connection, c.Number);
  ++NextConnectionIndex;
  AcceptingPlayers ^= 1;
}

void AdmitWaitingConnections() {
  if (ServerId == 0 || NetGameStarted || ServerEventDepth != 0) return;
  const std::uint64_t now = plat::NowMs();
  TServerEvent event;  // a full server lets the connection go: forgotten after the loop
  for (auto& [connection, c] : ServerConnections) {
    if (c.Dropped || !c.Waiting || now - c.AcceptedAt < UnpairedAdmitMs) continue;
    c.Waiting = false;
    // Its pair never came (a client that connects once, or a stray connection before it put
    // the count out of step): seat it, and let the next connection start a pair again.
    AcceptingPlayers = 0;
    AdmitPlayer(connection, c.Number);
  }
}

void ServerSocketClientRead(int connection, std::string_view data) {
  TServerEvent event;
  BytesReceived += data.size();
  auto it = ServerConnections.find(connection);
  if (it == ServerConnections.end() || it->second.Dropped) return;
  TServerConnection& c = it->second;
  c.Framer.Feed(data, [connection, &c](std::string_view message) {
    ServerInterpretMessage(SeatOfConnection(connection), message);
    // A request may have ended this connection (its backlog) or the server itself.
    return !c.Dropped && ServerId != 0;
  });
}

void ServerSocketClientDisconnect(int connection) {
  TServerEvent event;
  LetGo(connection);
}

void FreePlayerSlot(int connection) {
  const int seat = SeatOfConnection(connection);
  if (seat == 0) return;
  TPlayerConnection& p = PlayerConnections[seat];
  p.Connected = 0;
  SeatSockets[static_cast<std::size_t>(seat)] = -1;
  // Before the start the seat and its side are free for the next one to come.
  if (!NetGameStarted) {
    if (p.Side < 8) SideChooser.Available[p.Side] = 1;
    p.Side = SeatWithoutSide;
    p.Name.clear();
  }
}

namespace {

void OpenClient(std::string_view host) {
  if (ClientId != 0) plat::ClientClose(ClientId);
  AttemptedConnect = true;
  LastConnectAttempt = plat::NowMs();
  ClientHost.assign(host);
  GameOptions.Server.assign(host);
  ClientFramer.Reset();
  plat::ClientEvents e;
  e.OnConnect = ClientSocketConnect;
  e.OnRead = ClientSocketRead;
  e.OnDisconnect = ClientSocketDisconnect;
  e.OnError = [](int) { ClientSocketError(); };
  ClientId = plat::ClientOpen(ClientHost, ClientConnectPort(), std::move(e));
}

}  // namespace

// Called by the set-up and then on every frame of the lobby. A server seats every second
// connection and a client connects twice: the set-up's connection is made again as soon as it
// is up, and the second one is kept.
void ConnectToServer(std::string_view host) {
  if (host.empty()) return;
  const std::uint64_t now = plat::NowMs();
  if (ClientRunning() && host == ClientHost) {
    // Connected but never seated: the server counted out of step (another connection came
    // between ours); one more connection puts it right.
    const bool unseated = plat::ClientConnected(ClientId) && LocalPlayer < 2;
    if (!unseated || now - ConnectedAt < SeatWaitMs || now - LastConnectAttempt < SeatWaitMs) return;
  } else if (AttemptedConnect && host == ClientHost && now - LastConnectAttempt < ReconnectIntervalMs) {
    return;
  }
  FirstOfPair = !ClientRunning() && !ClientConnected;
  LocalPlayer = 1;
  OpenClient(host);
}

void ClientSocketConnect() {
  if (FirstOfPair) {
    // The first of the pair: the server seats the next one.
    FirstOfPair = false;
    OpenClient(ClientHost);
    return;
  }
  ShowLine("Connect to: " + GameOptions.Server + " " + plat::ClientRemoteAddress(ClientId));
  ClientConnected = 1;
  ConnectedAt = plat::NowMs();
}

void ClientSocketDisconnect() { StopClient(); }

void ClientSocketError() { ShowLine("Error connecting to : " + GameOptions.Server); }

void ClientSocketRead(std::string_view data) {
  if (data.empty()) return;
  BytesReceived += data.size();
  ClientFramer.Feed(data, [](std::string_view message) { ClientInterpretMessage(message); });
}

void StopClient() {
  if (ClientId != 0) plat::ClientClose(ClientId);
  ClientId = 0;
  ClientFramer.Reset();
  ShowLine("Listening...");
}

void CloseServer() {
  if (ServerId != 0) plat::ServerClose(ServerId);
  ServerId = 0;
  ServerBoundPort = 0;
  DropAllConnections();
  NetTeardown();
}

void CloseClient() {
  if (ClientId != 0) plat::ClientClose(ClientId);
  ClientId = 0;
  ClientFramer.Reset();
  AttemptedConnect = false;
  NetTeardown();
}

void NetTeardown() {
  BroadcastEnabled = 0;
  NetGameStarted = 0;
  ClientConnected = 0;
  SideChoiceOpen = 0;
  OwnConnectionIndex = 0;
  NextConnectionIndex = 0;
  AcceptingPlayers = 0;
  ClientCount = 0;
  ResetSeats();
  ResetOwnerMirror();
  ForgetSlabsLaid();
}

}  // namespace zarn
