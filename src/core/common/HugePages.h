#pragma once

// Memory of big buffers. Those about to be filled at once (a file read into memory, an index of
// every line) are best backed by huge pages: on some systems the first touch of each 4 KiB page of
// a fresh allocation costs more than filling it.

#include <cstddef>

namespace tervil {

// Asks the system to back the whole pages inside [data, data + size) with huge pages where it
// can. Does nothing for buffers under a few megabytes or where the system has no such pages.
void AdviseHugePages(const void* data, std::size_t size);

// Gives memory freed inside the heap back to the system. The C library keeps a freed block that
// lies between blocks still in use resident, a big file's bytes among them.
void ReturnFreedMemory();

}  // namespace tervil
