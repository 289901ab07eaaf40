#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

namespace tervil {

// A text queue shared between threads: the owner appends, the input writer takes.
class TBuffer {
 public:
  // Raised after every Write, outside the lock, with the text appended.
  std::function<void(const std::string&)> OnWrite;

  // Appends `text` under the lock and returns the number of bytes appended.
  std::size_t Write(const std::string& text);
  // Removes up to `max` bytes from the front into `destination`; returns their count (0 when
  // the queue is empty).
  std::size_t Take(std::string& destination, std::size_t max);
  // Waits until the queue holds text, Wake is called or `timeout` has passed.
  void WaitForData(std::chrono::milliseconds timeout);
  void Wake();
  std::size_t Size() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::string data_;
  bool woken_ = false;
};

}  // namespace tervil
