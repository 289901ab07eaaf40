#pragma once

#include <ostream>

#include "core/editcomponent/EditorTypes.h"

namespace tervil {

// Prints buffer positions readably in test failures.
inline void PrintTo(const TBufferPos& p, std::ostream* os) {
  *os << "(" << p.Column << ", " << p.Line << ")";
}

}  // namespace tervil
