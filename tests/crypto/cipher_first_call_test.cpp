// Authenticate as the first cipher call of a process: the state is zero at load. This program
// holds only this test so that no earlier SetInit can have run.
#include <gtest/gtest.h>

#include <array>

#include "cipher_model.h"
#include "quillet.h"

TEST(AuthenticateBeforeSetInit, WorksOnZeroRegistersAndZeroInputBlocks) {
    std::array<uint8_t, 8> out1{}, out2{};
    Authenticate(out1.data(), out2.data());

    model::Cipher zero;
    std::array<uint8_t, 8> expected1{}, expected2{};
    zero.authenticate(expected1.data(), expected2.data());
    EXPECT_EQ(out1, expected1);
    EXPECT_EQ(out2, expected2);

    const std::array<uint8_t, 8> zeros{};
    SetInit(zeros.data(), zeros.data(), zeros.data());
    std::array<uint8_t, 8> again1{}, again2{};
    Authenticate(again1.data(), again2.data());
    EXPECT_EQ(again1, out1) << "SetInit with zero blocks restores the state at load";
    EXPECT_EQ(again2, out2);
}
