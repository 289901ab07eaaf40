#include "core/app/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tervil {

namespace {

volatile sig_atomic_t gWriteFd = -1;

void OnSignal(int signo) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signo);
  if (gWriteFd >= 0) {
    [[maybe_unused]] ssize_t n = ::write(gWriteFd, &byte, 1);
  }
  errno = saved;
}

void SetHandler(int signo, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signo, &action, nullptr);
}

}  // namespace

TSignalPipe::TSignalPipe(std::vector<int> signalNumbers) : signals_(std::move(signalNumbers)) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readFd_ = fds[0];
  writeFd_ = fds[1];
  gWriteFd = writeFd_;
  for (int signo : signals_) SetHandler(signo, OnSignal);
}

TSignalPipe::~TSignalPipe() {
  if (readFd_ < 0) return;
  for (int signo : signals_) SetHandler(signo, SIG_DFL);
  gWriteFd = -1;
  ::close(readFd_);
  ::close(writeFd_);
}

std::vector<int> TSignalPipe::TakeSignals() {
  std::vector<int> taken;
  unsigned char bytes[64];
  ssize_t n;
  while (readFd_ >= 0 && (n = ::read(readFd_, bytes, sizeof bytes)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;  // nothing more to read
    }
    taken.insert(taken.end(), bytes, bytes + n);
  }
  return taken;
}

}  // namespace tervil
