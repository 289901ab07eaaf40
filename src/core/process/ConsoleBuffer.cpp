#include "core/process/ConsoleBuffer.h"

namespace tervil {

std::size_t TBuffer::Write(const std::string& text) {
  {
    std::lock_guard guard(lock_);
    data_ += text;
  }
  changed_.notify_all();
  if (OnWrite) OnWrite(text);
  return text.size();
}

std::size_t TBuffer::Take(std::string& destination, std::size_t max) {
  std::lock_guard guard(lock_);
  const std::size_t count = std::min(max, data_.size());
  destination.assign(data_, 0, count);
  data_.erase(0, count);
  return count;
}

void TBuffer::WaitForData(std::chrono::milliseconds timeout) {
  std::unique_lock guard(lock_);
  changed_.wait_for(guard, timeout, [this] { return !data_.empty() || woken_; });
  woken_ = false;
}

void TBuffer::Wake() {
  {
    std::lock_guard guard(lock_);
    woken_ = true;
  }
  changed_.notify_all();
}

std::size_t TBuffer::Size() const {
  std::lock_guard guard(lock_);
  return data_.size();
}

}  // namespace tervil
