#pragma once

// What the benchmarks of opening share: the generated documents and the process's memory.

#include <malloc.h>

#include <cstddef>
#include <fstream>
#include <string>

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
            "        return count($this->items); // Gr\xC3\xB6\xC3\x9F" "e " + n +
            "\n    }\n}\n?>\n";
  }
  return text;
}

inline const char* Name(TDocument kind) {
  return kind == TDocument::Web ? "web page" : "PHP";
}

// A figure of /proc/self/status in bytes ("VmRSS", "VmHWM").
inline std::size_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, field.size() + 1, field + ":") == 0)
      return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// Memory of the process measured around one open: resident before, at the peak and after.
struct TMemoryWatch {
  std::size_t before = 0;

  // Gives freed memory back to the system and starts a new peak from what is resident now.
  void Start() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    before = StatusBytes("VmRSS");
  }
  std::size_t Peak() const { return StatusBytes("VmHWM"); }
  std::size_t Now() const { return StatusBytes("VmRSS"); }
};

}  // namespace tervil::openbench
