// The reader's own services through SCardControl (pcsc-lite's SCARD_CTL_CODE numbering).
#pragma once

#define QUILLET_CONTROL_BEEP 0x42000001    /* in: 1 byte, units of 10 ms (none: 10); out: nothing */
#define QUILLET_CONTROL_VERSION 0x42000002 /* in: nothing; out: the reader's version text */
