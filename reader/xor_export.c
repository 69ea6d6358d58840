/* The export named "xor": an operator token in C++, so it is defined in C. */
#include "quillet.h"

QL_API uint8_t QL_CALL xor(int32_t a, int32_t b) { return (uint8_t)((a ^ b) & 0xFF); }
