// Non-blocking TCP over POSIX sockets, polled by the loop. Event handlers may open or close
// sockets, so every step looks its socket up again after calling out.
#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "platform/app.h"

namespace plat {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kReadPerPass = 1024 * 1024;

struct Outbox {
  std::string data;
  std::size_t off = 0;
  bool blocked = false;  // a write could not finish: report when it drains
  std::size_t Pending() const { return data.size() - off; }
};

struct Conn {
  int fd = -1;
  Outbox out;
  int pendingError = 0;
  std::string remote;
};

struct Server {
  int fd = -1;
  std::uint16_t port = 0;
  ServerEvents ev;
  std::map<int, Conn> conns;
  int nextIndex = 0;
};

enum class ClientState : std::uint8_t { Resolving, Connecting, Connected };

struct Client {
  int fd = -1;
  ClientState state = ClientState::Resolving;
  std::string host;
  std::uint16_t port = 0;
  ClientEvents ev;
  Outbox out;
  int pendingError = 0;
  std::string remote;
  std::vector<sockaddr_storage> addrs;
  std::vector<socklen_t> addrLens;
  std::size_t nextAddr = 0;
};

std::map<int, Server> gServers;
std::map<int, Client> gClients;
int gNextId = 1;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void Tune(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

std::string AddressText(const sockaddr* sa) {
  char buf[INET6_ADDRSTRLEN] = {};
  if (sa->sa_family == AF_INET)
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, buf, sizeof buf);
  else if (sa->sa_family == AF_INET6)
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr, buf,
                sizeof buf);
  return buf;
}

std::string PeerText(int fd) {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return "";
  return AddressText(reinterpret_cast<sockaddr*>(&ss));
}

// Sends what the socket takes now. Returns 0 or an errno value.
int Flush(int fd, Outbox& out) {
  while (out.Pending() > 0) {
    ssize_t n = ::send(fd, out.data.data() + out.off, out.Pending(), MSG_NOSIGNAL);
    if (n > 0) {
      out.off += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      out.blocked = true;
      break;
    }
    return n < 0 ? errno : EPIPE;
  }
  if (out.off > 0 && (out.off == out.data.size() || out.off > (1u << 20))) {
    out.data.erase(0, out.off);
    out.off = 0;
  }
  return 0;
}

// Queues and tries to send at once. Returns 0 or the error to report in the next poll.
int Queue(int fd, Outbox& out, std::string_view data) {
  if (out.Pending() + data.size() > kMaxPendingBytes) return ENOBUFS;
  out.data.append(data);
  return fd >= 0 ? Flush(fd, out) : 0;
}

// --- server side ---------------------------------------------------------------------------

void DropConn(int sid, int index, int error) {
  auto s = gServers.find(sid);
  if (s == gServers.end()) return;
  auto c = s->second.conns.find(index);
  if (c == s->second.conns.end()) return;
  CloseFd(c->second.fd);
  s->second.conns.erase(c);
  ServerEvents ev = s->second.ev;  // handlers may close the server
  if (error && ev.OnError) ev.OnError(index, error);
  if (!gServers.count(sid)) return;
  if (ev.OnDisconnect) ev.OnDisconnect(index);
}

void AcceptAll(int sid) {
  for (;;) {
    auto s = gServers.find(sid);
    if (s == gServers.end()) return;
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    int fd = ::accept4(s->second.fd, reinterpret_cast<sockaddr*>(&ss), &len,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // EAGAIN or a transient failure: try next pass
    }
    Tune(fd);
    int index = s->second.nextIndex++;
    Conn& c = s->second.conns[index];
    c.fd = fd;
    c.remote = AddressText(reinterpret_cast<sockaddr*>(&ss));
    ServerEvents ev = s->second.ev;
    if (ev.OnAccept) ev.OnAccept(index);
  }
}

void ServeConn(int sid, int index, short revents) {
  auto find = [&]() -> Conn* {
    auto s = gServers.find(sid);
    if (s == gServers.end()) return nullptr;
    auto c = s->second.conns.find(index);
    return c == s->second.conns.end() ? nullptr : &c->second;
  };
  Conn* c = find();
  if (!c) return;
  if (c->pendingError) return DropConn(sid, index, c->pendingError);
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    std::size_t total = 0;
    char buf[kReadChunk];
    while (total < kReadPerPass) {
      c = find();
      if (!c) return;
      ssize_t n = ::recv(c->fd, buf, sizeof buf, 0);
      if (n > 0) {
        total += static_cast<std::size_t>(n);
        ServerEvents ev = gServers[sid].ev;
        if (ev.OnRead) ev.OnRead(index, std::string_view(buf, static_cast<std::size_t>(n)));
        continue;
      }
      if (n == 0) return DropConn(sid, index, 0);
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      return DropConn(sid, index, errno);
    }
  }
  c = find();
  if (!c) return;
  if (c->pendingError) return DropConn(sid, index, c->pendingError);
  if ((revents & POLLOUT) && c->out.Pending() > 0) {
    if (int err = Flush(c->fd, c->out)) return DropConn(sid, index, err);
  }
  if (c->out.blocked && c->out.Pending() == 0) {
    c->out.blocked = false;
    ServerEvents ev = gServers[sid].ev;
    if (ev.OnWrite) ev.OnWrite(index);
  }
}

// --- client side ---------------------------------------------------------------------------

void FailClient(int cid, int error) {
  auto it = gClients.find(cid);
  if (it == gClients.end()) return;
  bool wasConnected = it->second.state == ClientState::Connected;
  ClientEvents ev = it->second.ev;
  CloseFd(it->second.fd);
  gClients.erase(it);
  if (error && ev.OnError) ev.OnError(error);
  if (wasConnected && ev.OnDisconnect) ev.OnDisconnect();
}

// Starts a connection to the next address; failure of the last reports the error.
void ConnectNext(int cid, int lastError) {
  for (;;) {
    auto it = gClients.find(cid);
    if (it == gClients.end()) return;
    Client& c = it->second;
    CloseFd(c.fd);
    if (c.nextAddr >= c.addrs.size()) return FailClient(cid, lastError ? lastError : ECONNREFUSED);
    const sockaddr_storage& ss = c.addrs[c.nextAddr];
    socklen_t len = c.addrLens[c.nextAddr];
    ++c.nextAddr;
    int fd = ::socket(ss.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&ss), len) != 0 &&
        errno != EINPROGRESS) {
      lastError = errno;
      ::close(fd);
      continue;
    }
    c.fd = fd;
    c.state = ClientState::Connecting;  // completion is seen as writability in the poll
    return;
  }
}

void Resolved(int cid, std::vector<sockaddr_storage> addrs, std::vector<socklen_t> lens,
              int error) {
  auto it = gClients.find(cid);
  if (it == gClients.end() || it->second.state != ClientState::Resolving) return;
  if (addrs.empty()) return FailClient(cid, error ? error : EHOSTUNREACH);
  it->second.addrs = std::move(addrs);
  it->second.addrLens = std::move(lens);
  ConnectNext(cid, 0);
}

void Resolve(const std::string& host, std::uint16_t port, bool numericOnly,
             std::vector<sockaddr_storage>& addrs, std::vector<socklen_t>& lens, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  addrinfo* res = nullptr;
  std::string service = std::to_string(port);
  int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &res);
  if (rc != 0) {
    error = EHOSTUNREACH;
    return;
  }
  for (addrinfo* a = res; a; a = a->ai_next) {
    if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
    sockaddr_storage ss{};
    std::memcpy(&ss, a->ai_addr, a->ai_addrlen);
    addrs.push_back(ss);
    lens.push_back(a->ai_addrlen);
  }
  ::freeaddrinfo(res);
}

void ServeClient(int cid, short revents) {
  auto find = [&]() -> Client* {
    auto it = gClients.find(cid);
    return it == gClients.end() ? nullptr : &it->second;
  };
  Client* c = find();
  if (!c || c->fd < 0) return;
  if (c->pendingError) return FailClient(cid, c->pendingError);
  if (c->state == ClientState::Connecting) {
    if (!(revents & (POLLOUT | POLLERR | POLLHUP))) return;
    int err = 0;
    socklen_t len = sizeof err;
    ::getsockopt(c->fd, SOL_SOCKET, SO_ERROR, &err, &len);
    if (err) return ConnectNext(cid, err);
    c->state = ClientState::Connected;
    Tune(c->fd);
    c->remote = PeerText(c->fd);
    ClientEvents ev = c->ev;
    if (ev.OnConnect) ev.OnConnect();
    c = find();
    if (!c) return;
    revents = POLLOUT;
  }
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    std::size_t total = 0;
    char buf[kReadChunk];
    while (total < kReadPerPass) {
      c = find();
      if (!c) return;
      ssize_t n = ::recv(c->fd, buf, sizeof buf, 0);
      if (n > 0) {
        total += static_cast<std::size_t>(n);
        ClientEvents ev = c->ev;
        if (ev.OnRead) ev.OnRead(std::string_view(buf, static_cast<std::size_t>(n)));
        continue;
      }
      if (n == 0) {
        ClientEvents ev = c->ev;
        CloseFd(c->fd);
        gClients.erase(cid);
        if (ev.OnDisconnect) ev.OnDisconnect();
        return;
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      return FailClient(cid, errno);
    }
  }
  c = find();
  if (!c) return;
  if (c->pendingError) return FailClient(cid, c->pendingError);
  if (c->out.Pending() > 0) {
    if (int err = Flush(c->fd, c->out)) return FailClient(cid, err);
  }
  if (c->out.blocked && c->out.Pending() == 0) {
    c->out.blocked = false;
    ClientEvents ev = c->ev;
    if (ev.OnWrite) ev.OnWrite();
  }
}

}  // namespace

int ServerOpen(std::uint16_t port, ServerEvents events, std::string* error,
               const std::string& bindAddress) {
  auto fail = [&](const std::string& why, int fd) {
    if (fd >= 0) ::close(fd);
    if (error) *error = why;
    return 0;
  };
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail(std::string("socket: ") + std::strerror(errno), -1);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_ANY);
  if (!bindAddress.empty() && ::inet_pton(AF_INET, bindAddress.c_str(), &sa.sin_addr) != 1)
    return fail("Bad address " + bindAddress, fd);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
    return fail("Port " + std::to_string(port) + ": " + std::strerror(errno), fd);
  if (::listen(fd, 16) != 0) return fail(std::string("listen: ") + std::strerror(errno), fd);
  socklen_t len = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  int id = gNextId++;
  Server& s = gServers[id];
  s.fd = fd;
  s.port = ntohs(sa.sin_port);
  s.ev = std::move(events);
  return id;
}

void ServerClose(int server) {
  auto it = gServers.find(server);
  if (it == gServers.end()) return;
  for (auto& [index, c] : it->second.conns) CloseFd(c.fd);
  CloseFd(it->second.fd);
  gServers.erase(it);
}

bool ServerActive(int server) { return gServers.count(server) > 0; }

std::uint16_t ServerPort(int server) {
  auto it = gServers.find(server);
  return it == gServers.end() ? 0 : it->second.port;
}

bool ServerSend(int server, int conn, std::string_view data) {
  auto it = gServers.find(server);
  if (it == gServers.end()) return false;
  auto c = it->second.conns.find(conn);
  if (c == it->second.conns.end() || c->second.pendingError) return false;
  if (int err = Queue(c->second.fd, c->second.out, data)) {
    c->second.pendingError = err;  // reported by the next poll, never from inside a send
    return false;
  }
  return true;
}

void ServerDisconnect(int server, int conn) {
  auto it = gServers.find(server);
  if (it == gServers.end()) return;
  auto c = it->second.conns.find(conn);
  if (c == it->second.conns.end()) return;
  CloseFd(c->second.fd);
  it->second.conns.erase(c);
}

bool ServerConnectionOpen(int server, int conn) {
  auto it = gServers.find(server);
  return it != gServers.end() && it->second.conns.count(conn) > 0;
}

int ServerConnectionCount(int server) {
  auto it = gServers.find(server);
  return it == gServers.end() ? 0 : static_cast<int>(it->second.conns.size());
}

std::string ServerRemoteAddress(int server, int conn) {
  auto it = gServers.find(server);
  if (it == gServers.end()) return "";
  auto c = it->second.conns.find(conn);
  return c == it->second.conns.end() ? "" : c->second.remote;
}

std::size_t ServerPending(int server, int conn) {
  auto it = gServers.find(server);
  if (it == gServers.end()) return 0;
  auto c = it->second.conns.find(conn);
  return c == it->second.conns.end() ? 0 : c->second.out.Pending();
}

int ClientOpen(const std::string& host, std::uint16_t port, ClientEvents events) {
  if (host.empty()) return 0;
  int id = gNextId++;
  Client& c = gClients[id];
  c.host = host;
  c.port = port;
  c.ev = std::move(events);
  std::vector<sockaddr_storage> addrs;
  std::vector<socklen_t> lens;
  int error = 0;
  Resolve(host, port, true, addrs, lens, error);
  if (!addrs.empty()) {
    // A numeric address: connect in the next pass, so that even an immediate failure is
    // reported from the loop and never from inside this call.
    PostTask([id, a = std::move(addrs), l = std::move(lens)]() mutable {
      Resolved(id, std::move(a), std::move(l), 0);
    });
    return id;
  }
  // A name: resolve off the loop's thread; the answer comes back as a task.
  std::thread([id, host, port] {
    std::vector<sockaddr_storage> a;
    std::vector<socklen_t> l;
    int err = 0;
    Resolve(host, port, false, a, l, err);
    PostTask([id, a = std::move(a), l = std::move(l), err]() mutable {
      Resolved(id, std::move(a), std::move(l), err);
    });
  }).detach();
  return id;
}

void ClientClose(int client) {
  auto it = gClients.find(client);
  if (it == gClients.end()) return;
  CloseFd(it->second.fd);
  gClients.erase(it);
}

bool ClientConnected(int client) {
  auto it = gClients.find(client);
  return it != gClients.end() && it->second.state == ClientState::Connected;
}

bool ClientActive(int client) { return gClients.count(client) > 0; }

bool ClientSend(int client, std::string_view data) {
  auto it = gClients.find(client);
  if (it == gClients.end() || it->second.pendingError) return false;
  Client& c = it->second;
  int fd = c.state == ClientState::Connected ? c.fd : -1;
  if (int err = Queue(fd, c.out, data)) {
    c.pendingError = err;
    return false;
  }
  return true;
}

std::string ClientRemoteAddress(int client) {
  auto it = gClients.find(client);
  return it == gClients.end() ? "" : it->second.remote;
}

std::size_t ClientPending(int client) {
  auto it = gClients.find(client);
  return it == gClients.end() ? 0 : it->second.out.Pending();
}

void NetPoll(int timeoutMs) {
  struct Entry {
    int kind;  // 0 listener, 1 server connection, 2 client
    int id;
    int index;
  };
  std::vector<pollfd> fds;
  std::vector<Entry> who;
  for (auto& [sid, s] : gServers) {
    fds.push_back({s.fd, POLLIN, 0});
    who.push_back({0, sid, 0});
    for (auto& [index, c] : s.conns) {
      short want = POLLIN;
      if (c.out.Pending() > 0) want |= POLLOUT;
      fds.push_back({c.fd, want, 0});
      who.push_back({1, sid, index});
    }
  }
  for (auto& [cid, c] : gClients) {
    if (c.fd < 0) continue;
    short want = c.state == ClientState::Connecting ? POLLOUT : POLLIN;
    if (c.state == ClientState::Connected && c.out.Pending() > 0) want |= POLLOUT;
    fds.push_back({c.fd, want, 0});
    who.push_back({2, cid, 0});
  }
  // Errors noted by sends are due even when the socket itself is quiet.
  bool errorsDue = false;
  for (auto& [sid, s] : gServers)
    for (auto& [index, c] : s.conns)
      if (c.pendingError) errorsDue = true;
  for (auto& [cid, c] : gClients)
    if (c.pendingError) errorsDue = true;
  if (fds.empty()) return;
  int n = ::poll(fds.data(), fds.size(), errorsDue ? 0 : timeoutMs);
  if (n < 0) return;
  for (std::size_t i = 0; i < fds.size(); ++i) {
    short re = fds[i].revents;
    const Entry& e = who[i];
    if (e.kind == 0) {
      if (re & POLLIN) AcceptAll(e.id);
    } else if (e.kind == 1) {
      ServeConn(e.id, e.index, re);
    } else {
      ServeClient(e.id, re);
    }
  }
}

bool NetHasSockets() { return !gServers.empty() || !gClients.empty(); }

void NetCloseAll() {
  for (auto& [sid, s] : gServers) {
    for (auto& [index, c] : s.conns) CloseFd(c.fd);
    CloseFd(s.fd);
  }
  gServers.clear();
  for (auto& [cid, c] : gClients) CloseFd(c.fd);
  gClients.clear();
}

}  // namespace plat
