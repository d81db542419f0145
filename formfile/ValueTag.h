// The value tags of the binary form stream and the limits shared by both conversions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dfm {

enum ValueTag : std::uint8_t {
    EndOfList = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    ShortString = 6,
    Identifier = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LongString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WideString = 18,
    // Written by newer designers; read, never written.
    Int64 = 19,
    Utf8String = 20,
    Double = 21,
};

// The bytes that follow the tag of a value of fixed size (a number, or False, True, Nil, which are
// their tag alone); -1 for any other tag.
inline constexpr int fixedValueSize(std::uint8_t tag)
{
    switch (tag) {
    case Int8:
        return 1;
    case Int16:
        return 2;
    case Int32:
    case Single:
        return 4;
    case Int64:
    case Currency:
    case Date:
    case Double:
        return 8;
    case Extended:
        return 10;
    case False:
    case True:
    case Nil:
        return 0;
    default:
        return -1;
    }
}

namespace ObjectFlag {
inline constexpr unsigned Inherited = 1;
inline constexpr unsigned HasPosition = 2;
inline constexpr unsigned Inline = 4;  // a frame embedded in its owner
}  // namespace ObjectFlag

// An object starts with its prefix (this tag with the flags in its low bits) or with the length of
// its class name, so a class name can be no longer than the byte below the prefix tags.
inline constexpr std::uint8_t ObjectPrefixTag = 0xF0;
inline constexpr std::size_t MaxClassNameLength = ObjectPrefixTag - 1;

// Objects, lists and collections nested deeper than this are refused in both directions,
// so that hostile input cannot exhaust the stack.
inline constexpr int MaxNestingDepth = 1000;

// The resource header's work area holds root class names up to this length.
inline constexpr int MaxRootClassNameLength = 70;

}  // namespace dfm
