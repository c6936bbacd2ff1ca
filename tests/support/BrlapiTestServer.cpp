#include "tests/support/BrlapiTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdint>
#include <exception>
#include <stdexcept>

namespace QrTest {

namespace {

constexpr int kFirstPort = 4101;  // a host ":N" or "ADDRESS:N" means this port + N
constexpr uint32_t kProtocolVersion = 8;
constexpr uint32_t kAuthNone = 'N';

bool receive(int client, void* data, size_t length) {
  return length == 0 || recv(client, data, length, MSG_WAITALL) == static_cast<ssize_t>(length);
}

// A packet: its length and type as 32-bit big-endian numbers, then its data.
void send(int client, uint32_t type, const std::string& data = {}) {
  const uint32_t header[] = {htonl(static_cast<uint32_t>(data.size())), htonl(type)};
  std::string packet(reinterpret_cast<const char*>(header), sizeof header);
  packet += data;
  ::send(client, packet.data(), packet.size(), MSG_NOSIGNAL);
}

std::string number(uint32_t value) {
  const uint32_t wire = htonl(value);
  return std::string(reinterpret_cast<const char*>(&wire), sizeof wire);
}

}  // namespace

BrlapiTestServer::BrlapiTestServer(std::function<bool(bool)> onDriver, bool silent)
    : onDriver_(std::move(onDriver)), silent_(silent) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      pipe2(wake_, O_CLOEXEC) != 0) {
    throw std::runtime_error("the test BrlAPI server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

BrlapiTestServer::~BrlapiTestServer() {
  const char stop = 0;
  if (write(wake_[1], &stop, 1) != 1) std::terminate();
  thread_.join();
  close(wake_[0]);
  close(wake_[1]);
  close(listener_);
}

std::string BrlapiTestServer::host() const {
  return "127.0.0.1:" + std::to_string(port_ - kFirstPort);
}

std::vector<std::string> BrlapiTestServer::requests() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return requests_;
}

void BrlapiTestServer::serve() {
  std::vector<pollfd> watched = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
  while (poll(watched.data(), watched.size(), -1) >= 0 && watched[0].revents == 0) {
    for (size_t i = 2; i < watched.size(); ++i) {
      if (watched[i].revents != 0 && !answer(watched[i].fd)) {
        close(watched[i].fd);
        watched[i].fd = -1;  // poll skips it
      }
    }
    if (watched[1].revents != 0) {
      const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (!silent_) send(client, 'v', number(kProtocolVersion));
      watched.push_back({client, POLLIN, 0});
    }
  }
  for (size_t i = 2; i < watched.size(); ++i) close(watched[i].fd);
}

bool BrlapiTestServer::answer(int client) {
  uint32_t header[2] = {};
  if (!receive(client, header, sizeof header)) return false;
  std::string data(ntohl(header[0]), '\0');
  if (!receive(client, data.data(), data.size())) return false;
  const uint32_t type = ntohl(header[1]);
  // Noted before the answer, which lets the client go on.
  const auto note = [this](const std::string& request) {
    std::lock_guard<std::mutex> guard(mutex_);
    requests_.push_back(request);
  };
  if (type == 'v') {
    send(client, 'a', number(kAuthNone));
  } else if (type == 'n') {
    note("name");
    send(client, 'n', std::string("TestDriver", sizeof "TestDriver"));
  } else if (type == 'S') {
    if (onDriver_) onDriver_(false);
    note("suspend " + data.substr(5));  // after the magic number and the name's length
    send(client, 'A');
  } else if (type == 'R') {
    note(!onDriver_ || onDriver_(true) ? "resume" : "resume (device busy)");
    send(client, 'A');
  }
  return true;
}

}  // namespace QrTest
