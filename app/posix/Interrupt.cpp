#include "app/posix/Interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace QrApp {

namespace {

std::atomic<int> interruptPipe{-1};
struct sigaction previousAction {};

void onInterrupt(int) {
  const int savedErrno = errno;
  const int descriptor = interruptPipe.load();
  const char byte = 1;
  // A full pipe already says "interrupted".
  if (descriptor >= 0 && write(descriptor, &byte, 1) < 0) {
  }
  errno = savedErrno;
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  interruptPipe.store(pipe_[1]);
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousAction);
}

InterruptCatcher::~InterruptCatcher() {
  sigaction(SIGINT, &previousAction, nullptr);
  interruptPipe.store(-1);
  close(pipe_[0]);
  close(pipe_[1]);
}

void InterruptCatcher::drain() {
  char bytes[64];
  while (read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
}

}  // namespace QrApp
