// A second computation of the authentication cipher for the tests, written cell by cell from the
// cipher's description and sharing nothing with the library's implementation.
#pragma once

#include <cstdint>

namespace model {

struct Cipher {
    int R[7] = {};
    int S[7] = {};
    int T[5] = {};
    uint8_t in1[8] = {};
    uint8_t in2[8] = {};
    uint8_t in3[8] = {};

    // For the sums that can occur, reducing is subtracting the limit from a sum above it.
    static int add5(int a, int b) { return a + b > 31 ? a + b - 31 : a + b; }
    static int add7(int a, int b) { return a + b > 127 ? a + b - 127 : a + b; }

    void clock(int inR, int inS, int inT) {
        const int rR = ((R[6] << 1) | ((R[6] >> 4) & 1)) & 0x1F;
        R[6] = R[5];
        R[5] = R[4];
        R[4] = R[3];
        R[3] = R[2] ^ inR;
        R[2] = R[1];
        R[1] = R[0];
        R[0] = add5(R[4], rR);

        const int rS = ((S[6] << 1) | ((S[6] >> 6) & 1)) & 0x7F;
        S[6] = S[5];
        S[5] = S[4] ^ inS;
        S[4] = S[3];
        S[3] = S[2];
        S[2] = S[1];
        S[1] = S[0];
        S[0] = add7(S[6], rS);

        const int t = T[4];
        T[4] = T[3];
        T[3] = T[2];
        T[2] = T[1] ^ inT;
        T[1] = T[0];
        T[0] = add5(T[3], t);
    }

    void feed(int b) { clock(b & 0x1F, ((b << 3) & 0x78) | ((b >> 5) & 0x07), (b >> 3) & 0x1F); }

    int nibble() {
        clock(0, 0, 0);
        return (((R[0] ^ R[4]) & ~S[0]) | (S[0] & (T[0] ^ T[3]))) & 0x0F;
    }

    int digit() {
        nibble();
        return nibble();
    }

    void set_init(const uint8_t* b1, const uint8_t* b2, const uint8_t* b3) {
        for (int i = 0; i < 8; ++i) {
            in1[i] = b1[i];
            in2[i] = b2[i];
            in3[i] = b3[i];
        }
        for (int& cell : R) cell = 0;
        for (int& cell : S) cell = 0;
        for (int& cell : T) cell = 0;
    }

    void authenticate(uint8_t* out1, uint8_t* out2) {
        for (int i = 0; i < 4; ++i) {
            feed(in1[2 * i]);
            feed(in1[2 * i + 1]);
            feed(in3[i]);
        }
        for (int i = 0; i < 4; ++i) {
            feed(in2[2 * i]);
            feed(in2[2 * i + 1]);
            feed(in3[4 + i]);
        }
        for (int j = 0; j < 8; ++j) {
            int high = digit();
            out2[j] = static_cast<uint8_t>(high << 4 | digit());
            high = digit();
            out1[j] = static_cast<uint8_t>(high << 4 | digit());
        }
    }
};

}  // namespace model
