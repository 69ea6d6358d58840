/* The export named xor can only be called from C. */
#include "quillet.h"

int quillet_test_xor(int a, int b);
int quillet_test_xor(int a, int b) { return xor(a, b); }
