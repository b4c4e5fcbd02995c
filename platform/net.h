// Non-blocking TCP sockets whose events arrive in the loop (plain POSIX, polled each pass).
// Outgoing data is buffered: a peer that stops reading never blocks the game; when its
// backlog passes kMaxPendingBytes the connection is dropped (OnError, then OnDisconnect).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace plat {

inline std::size_t kMaxPendingBytes = 8u << 20;

// A server's connections are numbered from 0 in the order they were accepted; a number is
// never reused or shifted while the server lives.
struct ServerEvents {
  std::function<void(int conn)> OnAccept;
  std::function<void(int conn, std::string_view data)> OnRead;
  std::function<void(int conn)> OnWrite;  // the backlog has drained
  std::function<void(int conn)> OnDisconnect;
  std::function<void(int conn, int error)> OnError;  // errno value; the connection closes
};

// Listens on all addresses (or `bindAddress`). Returns a server id > 0, or 0 with the reason.
int ServerOpen(std::uint16_t port, ServerEvents events, std::string* error = nullptr,
               const std::string& bindAddress = "");
void ServerClose(int server);  // closes every connection without events
bool ServerActive(int server);
std::uint16_t ServerPort(int server);  // the bound port (useful with port 0)
// Queues bytes for one connection; false when there is no such open connection.
bool ServerSend(int server, int conn, std::string_view data);
void ServerDisconnect(int server, int conn);  // drops it without an OnDisconnect
bool ServerConnectionOpen(int server, int conn);
int ServerConnectionCount(int server);  // open ones
std::string ServerRemoteAddress(int server, int conn);
std::size_t ServerPending(int server, int conn);

struct ClientEvents {
  std::function<void()> OnConnect;
  std::function<void(std::string_view data)> OnRead;
  std::function<void()> OnWrite;
  std::function<void()> OnDisconnect;  // the peer closed
  // Connect or transfer failed; the socket closes (after a connection, OnDisconnect follows).
  std::function<void(int error)> OnError;
};

// Starts connecting (names are resolved off the loop's thread). Returns a client id > 0;
// failures are reported through OnError in a later pass. 0 only for an empty host.
int ClientOpen(const std::string& host, std::uint16_t port, ClientEvents events);
void ClientClose(int client);  // without events
bool ClientConnected(int client);
bool ClientActive(int client);  // connecting or connected
bool ClientSend(int client, std::string_view data);  // queued until connected
std::string ClientRemoteAddress(int client);
std::size_t ClientPending(int client);

// Used by the loop: polls every socket once, waiting at most `timeoutMs`.
void NetPoll(int timeoutMs);
bool NetHasSockets();
void NetCloseAll();

}  // namespace plat
