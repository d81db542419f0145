// The records of a form model: fixed-size entries in vectors, linked by index, whose bytes
// (names, values) are offsets into the model's arena, which holds the binary form stream.
#pragma once

#include <cstdint>
#include <limits>

namespace dfm {

inline constexpr std::uint32_t NoIndex = std::numeric_limits<std::uint32_t>::max();

// Nodes in document order: a node's subtree is the run of nodes up to subtreeEnd.
struct NodeRecord {
    std::uint32_t start;         // the object prefix, or the class name when there is none
    std::uint32_t classOffset;   // the class name's length byte; the object name follows it
    std::uint32_t parent;        // NoIndex for the root
    std::uint32_t subtreeEnd;
    std::uint32_t firstProperty;
    std::uint32_t propertyCount;
};

// A property's value follows its name in the arena; compound values (list, collection) name the
// range of their parts.
struct PropertyRecord {
    std::uint32_t nameOffset;
    std::uint32_t range = NoIndex;
};

// A value inside a list: where its tag is, and the range of its parts when compound.
struct ElementRecord {
    std::uint32_t offset;
    std::uint32_t range = NoIndex;
};

// A collection item: its order value when it has one, else its list tag, stands at offset.
struct ItemRecord {
    std::uint32_t offset;
    std::uint32_t firstProperty = 0;
    std::uint32_t propertyCount = 0;
};

// The parts of a list (elements) or a collection (items).
struct RangeRecord {
    std::uint32_t first;
    std::uint32_t count;
};

}  // namespace dfm
