// A client and a server that speak the network protocol exactly as it is described, sharing no
// code with the game: plain sockets, the described framing (a message cut between two reads is
// lost), the described field readers (a field that is not a number reads as 1) and writer
// ("[code f1 f2 ... ]", every field followed by a blank). Both are stepped by the test's loop.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace letter {

inline std::string Message(int code, const std::vector<long>& fields) {
  std::string m = "[" + std::to_string(code) + " ";
  for (long f : fields) m += std::to_string(f) + " ";
  return m + "]";
}

inline std::string TextMessage(int code, const std::vector<long>& fields, const std::string& text) {
  std::string m = Message(code, fields);
  m.pop_back();
  return m + text + " ]";
}

inline bool ToInt(const std::string& t, long& v) {
  if (t.empty() || t.size() > 11) return false;
  char* end = nullptr;
  v = std::strtol(t.c_str(), &end, 10);
  return *end == 0 && (std::isdigit(static_cast<unsigned char>(t.back())) != 0);
}

// Position 2 (after "["): the code up to the next blank; numbers up to a blank or the end;
// a text up to the next "]".
struct Reader {
  std::string m;
  std::size_t p = 1;
  bool Code(long& c) {
    const std::size_t e = m.find(' ', p);
    if (e == std::string::npos) return false;
    const std::string t = m.substr(p, e - p);
    p = e + 1;
    return ToInt(t, c);
  }
  long Number() {
    std::size_t e = m.find(' ', p);
    const bool space = e != std::string::npos;
    if (!space) e = m.size();
    const std::string t = m.substr(p, e - p);
    p = space ? e + 1 : e;
    long v = 0;
    return ToInt(t, v) ? v : 1;
  }
  std::string Text() {
    std::size_t e = m.find(']', p);
    if (e == std::string::npos) e = m.size();
    const std::string t = m.substr(p, e - p);
    p = e < m.size() ? e + 1 : e;
    return t;
  }
};

// The framing as described, positions from 1.
template <typename Each>
void Split(const std::string& text, Each each) {
  auto find = [&](char c, std::size_t from) -> std::size_t {
    const std::size_t at = text.find(c, from - 1);
    return at == std::string::npos ? 0 : at + 1;
  };
  std::size_t start = 1, end = 1, prevStart = 0, prevEnd = 1;
  auto search = [&] {
    if (std::size_t s = find('[', start)) start = s;
    if (std::size_t e = find(']', start)) end = e;
  };
  search();
  while (start != prevStart && end != prevEnd) {
    each(text.substr(start - 1, end - start + 1));
    prevStart = start;
    prevEnd = end;
    start = end + 1;
    search();
  }
}

inline std::string ReadAll(int fd, bool& closed) {
  std::string got;
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      got.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) closed = true;
    return got;
  }
}

inline void SendAll(int fd, const std::string& text) {
  std::size_t off = 0;
  while (off < text.size()) {
    const ssize_t n = ::send(fd, text.data() + off, text.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return;
    off += static_cast<std::size_t>(n);
  }
}

struct Unit {
  long x = 0, y = 0, owner = 0;
};

// A client: set-up connects, the lobby step of the same frame connects again while the first
// connection has not reported itself, then answers 129 with its name, 130 with the first free
// side, and after 158 plays.
struct Client {
  std::uint16_t port = 0;
  std::string playerName;
  int fd = -1;
  bool connecting = false;
  int clientConnected = 0;  // never cleared
  long ownConnection = -1, localPlayer = 0, side = 8, unit = 0;
  bool sideGranted = false, started = false;
  std::array<int, 8> sideAvailable{};
  std::string mapName;
  std::map<long, Unit> units;
  std::vector<std::string> chat;  // "name: text"
  std::vector<std::string> received;

  void Connect(bool waitForHandshake) {
    if (fd >= 0) ::close(fd);
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!waitForHandshake) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    connecting = true;
  }
  // The set-up's connection; its handshake is let finish so that the server counts it.
  void Start() {
    Connect(true);
    Frame();
  }
  void Send(const std::string& text) const { SendAll(fd, text); }
  void Frame() {
    if (fd >= 0 && connecting) {
      int err = 0;
      socklen_t len = sizeof err;
      sockaddr_storage peer{};
      socklen_t plen = sizeof peer;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0 &&
          ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &plen) == 0 && clientConnected == 0 &&
          !firstFrame) {
        connecting = false;
        clientConnected = 1;
      }
    }
    firstFrame = false;
    if (fd >= 0 && !connecting) {
      bool closed = false;
      const std::string text = ReadAll(fd, closed);
      if (!text.empty()) Split(text, [this](const std::string& m) { Interpret(m); });
      if (closed) {
        ::close(fd);
        fd = -1;
      }
    }
    if (!started && clientConnected == 0) Connect(false);
  }
  void Interpret(const std::string& m) {
    received.push_back(m);
    Reader r{m};
    long code = 0;
    if (!r.Code(code) || code < 101 || code > 166) return;
    switch (code) {
      case 101: {
        const std::string rest = r.Text();
        const std::size_t sp = rest.find(' ');
        chat.push_back(rest.substr(0, sp) + ": " + (sp == std::string::npos ? "" : rest.substr(sp + 1)));
        break;
      }
      case 116: {
        const long u = r.Number(), x = r.Number(), y = r.Number();
        units[u].x = x;
        units[u].y = y;
        break;
      }
      case 129:
        ownConnection = r.Number();
        localPlayer = r.Number();
        Send(TextMessage(29, {ownConnection, localPlayer}, playerName));
        break;
      case 130:
        for (int& a : sideAvailable) a = r.Number() == 1 ? 1 : 0;
        // The player clicks the first free side.
        for (int k = 0; k < 8; ++k)
          if (sideAvailable[static_cast<std::size_t>(k)] != 0) {
            side = k;
            Send(Message(30, {localPlayer, side}));
            break;
          }
        break;
      case 131:
        sideGranted = true;
        break;
      case 142: {
        const long s = r.Number(), x = r.Number(), y = r.Number();
        r.Number();
        units[s] = {x, y, r.Number()};
        break;
      }
      case 157:
        mapName = r.Text();
        break;
      case 158:
        r.Number();
        r.Number();
        unit = r.Number();
        started = true;
        break;
      default:
        break;
    }
  }
  ~Client() {
    if (fd >= 0) ::close(fd);
  }

 private:
  bool firstFrame = true;  // the set-up's frame: its connect event comes later
};

struct Seat {
  std::string name;
  long side = 8, playerNumber = 0, connection = 1;
  int connected = 0;
};

// A server: admits every second accepted connection, names and sides its seats, starts when
// `partners` seats are used, and moves a unit where a move request says.
struct Server {
  int listenFd = -1;
  std::uint16_t port = 0;
  long partners = 2, unitSlots = 400, buildingSlots = 400;
  int acceptingPlayers = 0;
  long nextConnectionIndex = 0, clientCount = 0;
  bool broadcastEnabled = false, started = false;
  std::array<Seat, 9> seats{};
  std::array<int, 8> sideAvailable{1, 1, 1, 1, 1, 1, 1, 1};
  std::map<long, int> connections;  // connection index -> socket
  std::map<long, Unit> units;
  std::vector<std::string> requests;

  Server() {
    listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listenFd, 16);
    socklen_t len = sizeof a;
    ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    ::fcntl(listenFd, F_SETFL, O_NONBLOCK);
    for (long k = 1; k <= 8; ++k) seats[static_cast<std::size_t>(k)].playerNumber = k;
  }
  ~Server() {
    for (auto& [i, fd] : connections) ::close(fd);
    ::close(listenFd);
  }
  void SeatSelf(const std::string& name, long side) {
    Seat& s = seats[1];
    s = {name, side, 1, 1, 1};
    sideAvailable[static_cast<std::size_t>(side)] = 0;
  }
  void SendTo(long connection, const std::string& text) {
    auto it = connections.find(connection);
    if (it != connections.end()) SendAll(it->second, text);
  }
  void Broadcast(const std::string& text) {
    if (!broadcastEnabled) return;
    for (long k = 2; k <= 8; ++k)
      if (seats[static_cast<std::size_t>(k)].connected) SendTo(seats[static_cast<std::size_t>(k)].connection, text);
  }
  void SendSides(long seat) {
    std::vector<long> a(sideAvailable.begin(), sideAvailable.end());
    SendTo(seats[static_cast<std::size_t>(seat)].connection, Message(130, a));
  }
  void Admit() {
    ++clientCount;
    long seat = 0;
    for (long k = 2; k <= 8 && seat == 0; ++k)
      if (!seats[static_cast<std::size_t>(k)].connected) seat = k;
    if (seat == 0) return;
    Seat& s = seats[static_cast<std::size_t>(seat)];
    s.connected = 1;
    s.connection = nextConnectionIndex;
    s.playerNumber = seat;
    s.side = 8;
    SendTo(s.connection, Message(129, {s.connection, seat}));
    SendTo(s.connection, Message(160, {unitSlots}));
    SendTo(s.connection, Message(161, {buildingSlots}));
  }
  long UsedSeats() const {
    long n = 0;
    for (long k = 1; k <= 8; ++k) n += seats[static_cast<std::size_t>(k)].side != 8 ? 1 : 0;
    return n;
  }
  void Interpret(const std::string& m) {
    requests.push_back(m);
    Reader r{m};
    long code = 0;
    if (!r.Code(code) || code > 64) return;
    switch (code) {
      case 1: {
        const long seat = r.Number();
        const std::string text = r.Text();
        if (seat >= 1 && seat <= 8) Broadcast(TextMessage(101, {}, seats[static_cast<std::size_t>(seat)].name + " " + text));
        break;
      }
      case 2: {
        const long u = r.Number(), x = r.Number(), y = r.Number();
        if (units.count(u)) units[u] = {x, y, units[u].owner};
        break;
      }
      case 29: {
        r.Number();
        const long seat = r.Number();
        if (seat < 1 || seat > 8) break;
        seats[static_cast<std::size_t>(seat)].name = r.Text();
        SendSides(seat);
        break;
      }
      case 30: {
        const long seat = r.Number(), side = r.Number();
        if (seat < 1 || seat > 8 || side < 0 || side > 7) break;
        if (sideAvailable[static_cast<std::size_t>(side)] != 0) {
          seats[static_cast<std::size_t>(seat)].side = side;
          sideAvailable[static_cast<std::size_t>(side)] = 0;
          SendTo(seats[static_cast<std::size_t>(seat)].connection, Message(131, {}));
        } else {
          SendSides(seat);
        }
        break;
      }
      default:
        break;
    }
  }
  // The game start: worms off, speed, map, one vehicle per seat, each client's view and unit.
  void Start(const std::string& map, const std::vector<std::array<long, 2>>& cells) {
    broadcastEnabled = true;
    started = true;
    Broadcast(Message(154, {}));
    Broadcast(Message(156, {16}));
    Broadcast(TextMessage(157, {}, map));
    for (long k = 1; k <= partners; ++k) {
      const auto& c = cells[static_cast<std::size_t>(k - 1)];
      const Seat& s = seats[static_cast<std::size_t>(k)];
      units[k] = {c[0], c[1], k};
      Broadcast(Message(142, {k, c[0], c[1], s.side, s.playerNumber, 12}));
      if (k > 1) SendTo(s.connection, Message(158, {std::max(1L, c[0] - 9), std::max(1L, c[1] - 5), k}));
    }
  }
  void Snapshots() {
    std::string text;
    for (auto& [u, v] : units) text += Message(116, {u, v.x, v.y, 0, 0, 0, 0});
    Broadcast(text);
  }
  void Frame() {
    for (;;) {
      const int fd = ::accept(listenFd, nullptr, nullptr);
      if (fd < 0) break;
      ::fcntl(fd, F_SETFL, O_NONBLOCK);
      connections[nextConnectionIndex] = fd;
      if (acceptingPlayers == 1) Admit();
      ++nextConnectionIndex;
      acceptingPlayers ^= 1;
    }
    std::vector<long> gone;
    for (auto& [index, fd] : connections) {
      bool closed = false;
      const std::string text = ReadAll(fd, closed);
      if (!text.empty()) Split(text, [this](const std::string& m) { Interpret(m); });
      if (closed) gone.push_back(index);
    }
    for (long index : gone) {
      ::close(connections[index]);
      connections.erase(index);
      for (long k = 2; k <= 8; ++k)
        if (seats[static_cast<std::size_t>(k)].connected && seats[static_cast<std::size_t>(k)].connection == index)
          seats[static_cast<std::size_t>(k)].connected = 0;
    }
  }
};

}  // namespace letter
