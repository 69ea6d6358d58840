// Argument checks run in a fixed order before anything is sent; the first failing one decides.
#pragma once

#include <initializer_list>

#include "reader/status.h"

namespace quillet {

struct Check {
    bool passes;
    Status failure;
};

inline Status first_failure(std::initializer_list<Check> checks) {
    for (const Check& c : checks)
        if (!c.passes) return c.failure;
    return Status::ok;
}

}  // namespace quillet
