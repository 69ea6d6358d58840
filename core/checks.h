// Argument checks run in a fixed order before anything is sent; the first failing one decides.
//
//   return first_failure({
//       {zone >= 0 && zone < zone_count, Status::bad_address},
//       {[&] { return length <= zone_sizes[zone] - offset; }, Status::bad_length},
//   });
//
// A check is a condition already evaluated, or a callable that first_failure evaluates only when
// every check before it has passed: a check that depends on an earlier one (it indexes a table
// with an argument, divides by one, reads the caller's memory) is written as a callable, so that
// it never runs on an argument that an earlier check has refused.
#pragma once

#include <initializer_list>
#include <type_traits>

#include "core/status.h"

namespace quillet {

class Check {
public:
    constexpr Check(bool passes, Status failure) : failure_(failure), passes_(passes) {}

    // The callable lives until the end of the full expression that calls first_failure, which
    // is as long as the check needs it.
    template <typename Condition>
        requires std::is_invocable_r_v<bool, const Condition&>
    Check(const Condition& condition, Status failure)
        : failure_(failure),
          condition_(&condition),
          evaluate_([](const void* c) { return static_cast<bool>((*static_cast<const Condition*>(c))()); }) {}

    bool passes() const { return evaluate_ ? evaluate_(condition_) : passes_; }
    Status failure() const { return failure_; }

private:
    Status failure_;
    bool passes_ = true;
    const void* condition_ = nullptr;
    bool (*evaluate_)(const void*) = nullptr;
};

inline Status first_failure(std::initializer_list<Check> checks) {
    for (const Check& c : checks)
        if (!c.passes()) return c.failure();
    return Status::ok;
}

}  // namespace quillet
