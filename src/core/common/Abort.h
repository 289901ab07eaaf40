#pragma once

#include <exception>

namespace tervil {

// A silent cancellation: ends the operation in progress; the user interface's top level
// discards it without a message (the failure has been reported already, or needs no report).
class TAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace tervil
