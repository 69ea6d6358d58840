// The authentication cipher: the reduced addition, the process-wide state behind SetInit and
// Authenticate, and agreement with a second computation written from the cipher's description.
#include "algorithms/cipher.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "cipher_model.h"
#include "quillet.h"

namespace {

using Block = std::array<uint8_t, 8>;

struct Outputs {
    Block out1{};
    Block out2{};
    bool operator==(const Outputs&) const = default;
};

Outputs authenticate() {
    Outputs o;
    Authenticate(o.out1.data(), o.out2.data());
    return o;
}

Outputs authenticate(model::Cipher& m) {
    Outputs o;
    m.authenticate(o.out1.data(), o.out2.data());
    return o;
}

Block random_block(std::mt19937& rng) {
    Block b;
    for (auto& byte : b) byte = static_cast<uint8_t>(rng());
    return b;
}

const Block host_challenge{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
const Block card_identity{0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5, 0x06, 0x17};
const Block secret_seed{0x5A, 0xC3, 0x3C, 0xA5, 0x0F, 0xF0, 0x99, 0x66};

}  // namespace

TEST(ReducedSum, EdgeValuesOfBothWidths) {
    using quillet::cipher::reduced_sum;
    EXPECT_EQ(reduced_sum(31, 0, 31), 31);
    EXPECT_EQ(reduced_sum(16, 16, 31), 1);
    EXPECT_EQ(reduced_sum(31, 31, 31), 31);
    EXPECT_EQ(reduced_sum(0, 0, 31), 0);
    EXPECT_EQ(reduced_sum(127, 0, 127), 127);
    EXPECT_EQ(reduced_sum(64, 64, 127), 1);
    EXPECT_EQ(reduced_sum(127, 127, 127), 127);
    EXPECT_EQ(reduced_sum(100, 28, 127), 1);
}

TEST(ReducedSum, IsSubtractingTheLimitForEveryPairOfCells) {
    for (unsigned limit : {31u, 127u}) {
        for (unsigned a = 0; a <= limit; ++a) {
            for (unsigned b = 0; b <= limit; ++b) {
                const unsigned sum = a + b;
                const unsigned expected = sum > limit ? sum - limit : sum;
                ASSERT_EQ(quillet::cipher::reduced_sum(a, b, limit), expected) << a << " + " << b;
            }
        }
    }
}

TEST(CipherClock, CellsStayWithinTheirWidthsWhateverTheInputs) {
    quillet::cipher::State state;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        const auto wide = [&] { return static_cast<uint8_t>(rng()); };  // inputs wider than the cells
        quillet::cipher::clock(state, wide(), wide(), wide());
        for (uint8_t cell : state.r) ASSERT_LE(cell, 31);
        for (uint8_t cell : state.s) ASSERT_LE(cell, 127);
        for (uint8_t cell : state.t) ASSERT_LE(cell, 31);
    }
}

TEST(SetInitAuthenticate, SameBlocksGiveSameOutputs) {
    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    const Outputs first = authenticate();
    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    EXPECT_EQ(authenticate(), first);
    EXPECT_NE(first.out1, first.out2);
}

TEST(SetInitAuthenticate, InputBlocksOneAndTwoAreNotInterchangeable) {
    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    const Outputs straight = authenticate();
    SetInit(card_identity.data(), host_challenge.data(), secret_seed.data());
    EXPECT_NE(authenticate(), straight);
}

TEST(SetInitAuthenticate, SecondAuthenticateContinuesFromTheRegistersLeft) {
    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    const Outputs first = authenticate();
    const Outputs second = authenticate();
    EXPECT_NE(second, first);

    model::Cipher m;
    m.set_init(host_challenge.data(), card_identity.data(), secret_seed.data());
    EXPECT_EQ(authenticate(m), first);
    EXPECT_EQ(authenticate(m), second) << "88 further clocks over the same stored input blocks";

    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    EXPECT_EQ(authenticate(), first) << "a new SetInit repeats the computation";
}

TEST(SetInitAuthenticate, SetInitZeroesRegistersAndKeepsOutputBlocks) {
    quillet::cipher::State state;
    Block out1{}, out2{};
    quillet::cipher::set_init(state, host_challenge.data(), card_identity.data(), secret_seed.data());
    quillet::cipher::authenticate(state, out1.data(), out2.data());
    EXPECT_EQ(state.output1, out1);
    EXPECT_EQ(state.output2, out2);

    quillet::cipher::set_init(state, secret_seed.data(), secret_seed.data(), host_challenge.data());
    EXPECT_EQ(state.r, (std::array<uint8_t, 7>{}));
    EXPECT_EQ(state.s, (std::array<uint8_t, 7>{}));
    EXPECT_EQ(state.t, (std::array<uint8_t, 5>{}));
    EXPECT_EQ(state.input1, secret_seed);
    EXPECT_EQ(state.input3, host_challenge);
    EXPECT_EQ(state.output1, out1);
    EXPECT_EQ(state.output2, out2);
}

TEST(SetInitAuthenticate, AgreesWithSecondComputationOverRandomInputs) {
    std::mt19937 rng(20240611);
    for (int run = 0; run < 2000; ++run) {
        const Block b1 = random_block(rng), b2 = random_block(rng), b3 = random_block(rng);
        SetInit(b1.data(), b2.data(), b3.data());
        model::Cipher m;
        m.set_init(b1.data(), b2.data(), b3.data());
        ASSERT_EQ(authenticate(), authenticate(m)) << "run " << run;
        ASSERT_EQ(authenticate(), authenticate(m)) << "run " << run << ", second Authenticate";
    }
}

TEST(SetInitAuthenticate, EachByteOfBlockThreeMatters) {
    SetInit(host_challenge.data(), card_identity.data(), secret_seed.data());
    const Outputs base = authenticate();
    for (size_t i = 0; i < secret_seed.size(); ++i) {
        Block changed = secret_seed;
        changed[i] ^= 0x01;
        SetInit(host_challenge.data(), card_identity.data(), changed.data());
        EXPECT_NE(authenticate(), base) << "byte " << i;
    }
}

// An outside known answer: the worked example published with the 2010 analysis of these cards
// (Garcia, van Rossum, Verdult, Wichers Schreur), computed by the real chips. The host feeds the
// card's current cryptogram Ci as block 1, the secret seed Gc as block 2 and its random number Q
// as block 3; Authenticate's first output is the host challenge Ch it sends with Q, its second
// the card's new cryptogram Ci+1.
TEST(SetInitAuthenticate, PublishedExampleOfTheRealCards) {
    const Block secret_seed_gc{0x4F, 0x79, 0x4A, 0x46, 0x3F, 0xF8, 0x1D, 0x81};
    const Block cryptogram_ci{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Block host_random_q{0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78};
    SetInit(cryptogram_ci.data(), secret_seed_gc.data(), host_random_q.data());
    const Outputs o = authenticate();
    EXPECT_EQ(o.out1, (Block{0x88, 0xC9, 0xD4, 0x46, 0x6A, 0x50, 0x1A, 0x87})) << "host challenge Ch";
    EXPECT_EQ(o.out2, (Block{0xDE, 0xC2, 0xEE, 0x1B, 0x1C, 0x92, 0x76, 0xE9})) << "new cryptogram Ci+1";
}
