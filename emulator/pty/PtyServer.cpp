#include "emulator/pty/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace QrEmu {

PtyServer::PtyServer() {
  int ends[2];
  if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  wakeRead_ = ends[0];
  wakeWrite_ = ends[1];
}

PtyServer::~PtyServer() {
  stop();
  for (PtyLink& link : links_) link.display().setListener(nullptr);
  close(wakeRead_);
  close(wakeWrite_);
}

PtyLink& PtyServer::add(Display& display, LinkOptions options) {
  links_.emplace_back(display, std::move(options));
  display.setListener([this] { wake(); });
  return links_.back();
}

void PtyServer::watch(int descriptor, std::function<void()> onReadable) {
  watched_.push_back({descriptor, std::move(onReadable)});
}

void PtyServer::wake() {
  const char signal = 1;
  // A full pipe already holds a wake-up.
  [[maybe_unused]] const ssize_t ignored = write(wakeWrite_, &signal, 1);
}

void PtyServer::run() {
  std::vector<pollfd> polled;
  std::vector<short> revents(links_.size(), 0);
  while (!stopping_) {
    int timeoutUs = -1;
    size_t index = 0;
    for (PtyLink& link : links_) {
      const int wait = link.service(revents[index++]);
      if (wait >= 0 && (timeoutUs < 0 || wait < timeoutUs)) timeoutUs = wait;
    }
    polled.assign(1, pollfd{wakeRead_, POLLIN, 0});
    for (PtyLink& link : links_) polled.push_back({link.descriptor(), link.events(), 0});
    for (const Watched& watched : watched_) polled.push_back({watched.descriptor, POLLIN, 0});
    const timespec span{timeoutUs / 1000000, (timeoutUs % 1000000) * 1000L};
    if (ppoll(polled.data(), polled.size(), timeoutUs < 0 ? nullptr : &span, nullptr) < 0) {
      if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
      polled.assign(polled.size(), pollfd{-1, 0, 0});
    }
    if (polled[0].revents & POLLIN) {
      char drained[64];
      while (read(wakeRead_, drained, sizeof drained) > 0) {
      }
    }
    for (size_t i = 0; i < links_.size(); ++i) revents[i] = polled[i + 1].revents;
    for (size_t i = 0; i < watched_.size(); ++i) {
      if (polled[1 + links_.size() + i].revents & POLLIN) watched_[i].onReadable();
    }
  }
}

void PtyServer::start() {
  thread_ = std::thread([this] { run(); });
}

void PtyServer::requestStop() {
  stopping_ = true;
  wake();
}

void PtyServer::stop() {
  requestStop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace QrEmu
