#pragma once

// What the benchmarks of opening share: the generated documents and the process's memory.

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <fstream>
#include <string>
#include <thread>

namespace tervil::openbench {

constexpr std::size_t kDocumentBytes = 100u << 20;

enum class TDocument { Web, Php };

// 100 MB of UTF-8: rows of a web page table with a few characters beyond ASCII on every row, or
// PHP classes whose lines are mostly indented (each of them noted as an original line).
inline std::string Generate(TDocument kind, std::size_t bytes = kDocumentBytes) {
  std::string text;
  text.reserve(bytes + 1024);
  if (kind == TDocument::Web) {
    text = "<html><body><table>\n";
    const std::string row =
        "<tr><td class=\"n\">Caf\xC3\xA9 cr\xC3\xA8me</td><td>4,50 \xE2\x82\xAC</td></tr>\n";
    while (text.size() < bytes) text += row;
    return text;
  }
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "<?php\nclass Cart" + n +
            "\n{\n    private $items = array();\n"
            "    public function add($name, $price)\n    {\n"
            "        $this->items[] = array('name' => $name, 'price' => $price);\n"
            "        return count($this->items); // Gr\xC3\xB6\xC3\x9F"
            "e " +
            n + "\n    }\n}\n?>\n";
  }
  return text;
}

inline const char* Name(TDocument kind) {
  return kind == TDocument::Web ? "web page" : "PHP";
}

// Resident bytes of this process now, from /proc/self/statm (cheap to read).
inline std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Memory of the process around one open: resident before, at the peak (sampled every half
// millisecond by a thread of its own) and after.
class TMemoryWatch {
 public:
  std::size_t before = 0;

  ~TMemoryWatch() { Stop(); }

  // Gives freed memory back to the system and starts sampling.
  void Start() {
    Stop();
    malloc_trim(0);
    before = ResidentBytes();
    peak_ = before;
    sampling_ = true;
    sampler_ = std::thread([this] {
      while (sampling_) {
        peak_ = std::max<std::size_t>(peak_, ResidentBytes());
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
    });
  }
  // Stops sampling; returns the bytes resident once freed memory is given back: what the open
  // left behind (glibc keeps a freed block inside its heap resident until it is trimmed).
  std::size_t Stop() {
    if (sampler_.joinable()) {
      sampling_ = false;
      sampler_.join();
    }
    peak_ = std::max<std::size_t>(peak_, ResidentBytes());
    malloc_trim(0);
    return ResidentBytes();
  }
  std::size_t Peak() const { return peak_; }

 private:
  std::thread sampler_;
  std::atomic<bool> sampling_ = false;
  std::atomic<std::size_t> peak_ = 0;
};

}  // namespace tervil::openbench
