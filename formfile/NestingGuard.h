// Counts how deep objects, lists and collections nest, and refuses hostile depths.
#pragma once

#include "ValueTag.h"

#include <string>

namespace dfm {

inline std::string nestingTooDeepMessage()
{
    return "Form nesting deeper than " + std::to_string(MaxNestingDepth) + " levels";
}

class NestingGuard {
public:
    // fail(message) must throw; it is called when this level would pass MaxNestingDepth.
    template <typename Fail>
    NestingGuard(int& depth, Fail fail) : depth_(depth)
    {
        if (depth_ >= MaxNestingDepth)
            fail(nestingTooDeepMessage());
        ++depth_;
    }
    ~NestingGuard() { --depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& depth_;
};

}  // namespace dfm
