// Exports of the authentication cipher and of DES: host computations, nothing goes to the reader.
#include "algorithms/cipher.h"
#include "algorithms/des.h"
#include "quillet.h"

using namespace quillet;

QL_API void QL_CALL SetInit(const uint8_t* block1, const uint8_t* block2, const uint8_t* block3) noexcept {
    cipher::set_init(cipher::process_state(), block1, block2, block3);
}

QL_API void QL_CALL Authenticate(uint8_t* out1, uint8_t* out2) noexcept {
    cipher::authenticate(cipher::process_state(), out1, out2);
}

QL_API int32_t QL_CALL DES_Encrypt(const uint8_t* key, int16_t keylen, const uint8_t* in, uint32_t length,
                                   uint8_t* out) noexcept {
    return des::crypt(key, keylen, in, length, out, des::Direction::encrypt);
}

QL_API int32_t QL_CALL DES_Decrypt(const uint8_t* key, int16_t keylen, const uint8_t* in, uint32_t length,
                                   uint8_t* out) noexcept {
    return des::crypt(key, keylen, in, length, out, des::Direction::decrypt);
}

// The short forms' length is the low 16 bits of its 32-bit slot.
QL_API int16_t QL_CALL ic_encrypt(const uint8_t* key, const uint8_t* in, uint32_t length, uint8_t* out) noexcept {
    des::crypt(key, 8, in, length & 0xFFFFu, out, des::Direction::encrypt);
    return 0;
}

QL_API int16_t QL_CALL ic_decrypt(const uint8_t* key, const uint8_t* in, uint32_t length, uint8_t* out) noexcept {
    des::crypt(key, 8, in, length & 0xFFFFu, out, des::Direction::decrypt);
    return 0;
}
