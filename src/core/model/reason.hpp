#pragma once

#include <memory>
#include <optional>
#include <string>

namespace orvendel {

// One node of a furnace's delay-reason tree, flattened: the tree is rebuilt by linking each node to the
// node whose `categoryId` equals its `parentCategoryId`. A pure category node has no `id`.
struct Reason {
    std::optional<int> id;
    int categoryId = 0;
    std::optional<int> parentCategoryId;
    std::string description;
    std::string shortDescription;
    std::string colorString;
};

using ReasonPtr = std::shared_ptr<Reason>;

} // namespace orvendel
