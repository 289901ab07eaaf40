#pragma once

// The HTML entities menu's groups: the entities by the kind of character they stand for, each
// group split in parts short enough to fit on the screen.

#include <cstddef>
#include <string>
#include <vector>

#include "core/app/ReferenceData.h"

namespace tervil {

struct TEntityGroup {
  std::string title;
  std::vector<TEntityItem> items;
};

// The group of an entity, from the character its caption starts with ("é  Small e with
// acute"); captions without one (spaces and marks) form a group of their own.
std::string EntityGroupOf(const TEntityItem& item);

// The groups in the order of their first entity, the entities in their order; a group of more
// than `maxPerGroup` entities is split in numbered parts ("Latin letters 1", ...).
std::vector<TEntityGroup> GroupEntities(const std::vector<TEntityItem>& items,
                                        std::size_t maxPerGroup);

}  // namespace tervil
