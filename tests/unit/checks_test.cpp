// Argument checks: the first failing one decides, and a check written as a callable runs only
// when every check before it has passed.
#include "core/checks.h"

#include <gtest/gtest.h>

#include <array>

using quillet::Status;

namespace {

constexpr std::array<int, 3> zone_sizes{16, 32, 64};

// A zone check and a length check that reads the zone's size: the read is only safe once the
// zone has passed.
Status zone_checks(int zone, int length, int& size_reads) {
    return quillet::first_failure({
        {length >= 1, Status::bad_length},
        {zone >= 0 && zone < static_cast<int>(zone_sizes.size()), Status::bad_address},
        {[&] {
             ++size_reads;
             return length <= zone_sizes.at(static_cast<size_t>(zone));
         },
         Status::bad_length},
    });
}

}  // namespace

TEST(ArgumentChecks, DependentCheckRunsOnlyAfterTheChecksBeforeItPass) {
    int size_reads = 0;
    EXPECT_EQ(zone_checks(7, 1, size_reads), Status::bad_address);
    EXPECT_EQ(zone_checks(-1, 0, size_reads), Status::bad_length) << "the first failure decides";
    EXPECT_EQ(size_reads, 0) << "the zone's size was read for a zone already refused";
    EXPECT_EQ(zone_checks(2, 65, size_reads), Status::bad_length);
    EXPECT_EQ(zone_checks(1, 32, size_reads), Status::ok);
    EXPECT_EQ(size_reads, 2);
}
