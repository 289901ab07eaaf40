#pragma once

#include <vector>

namespace tervil {

// Turns signals into bytes on a pipe that the window thread watches: a signal handler may do
// next to nothing safely, so what a signal means (saving the session before the program ends)
// happens on the window thread. One instance at a time; it restores the default handling of its
// signals when it goes.
class TSignalPipe {
 public:
  explicit TSignalPipe(std::vector<int> signalNumbers);
  ~TSignalPipe();
  TSignalPipe(const TSignalPipe&) = delete;
  TSignalPipe& operator=(const TSignalPipe&) = delete;

  // Readable when a signal arrived; -1 when the pipe could not be made.
  int ReadFd() const { return readFd_; }
  // The signals that arrived since the last call, in order.
  std::vector<int> TakeSignals();

 private:
  std::vector<int> signals_;
  int readFd_ = -1;
  int writeFd_ = -1;
};

}  // namespace tervil
