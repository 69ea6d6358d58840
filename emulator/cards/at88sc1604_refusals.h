// What the AT88SC1604 cards (AT88SC1604, AT88SC1604B, AT88SC1604C) refuse, and the reader status
// byte each refusal is answered with (the values: memory_refusals.h, shared with the other
// security cards). The host reports byte s as -s.
//
//   refusal             byte  host   when
//   out_of_range        0x8C  -140   address + count leave the card's 2048 bytes, a count of 0 or
//                                    no data, a frame too short for its command, a code frame
//                                    whose zone byte and address do not name that zone's code, a
//                                    personalise frame naming another address than the variant's
//   wrong_variant       0x8C  -140   the frame's variant byte (frame byte 5) is not the one this
//                                    variant expects for the command; a read with a foreign
//                                    variant byte is not refused but answered with FF bytes, as a
//                                    chip answers a protocol it does not speak
//   unknown_command     0x8B  -139   a command byte the card does not have
//   kept                0x96  -150   a write or erase of bytes the card keeps: the identification
//                                    bytes always; once personalised also zone 0 bytes 2..9, the
//                                    error and erase counters, the bytes outside every zone, and
//                                    writes to a zone whose protect flag is 0
//   wrong_code          0x97  -151   the security or erase code presented is wrong; where the zone
//                                    has a counter, one of its bits is gone
//   locked              0x98  -152   the counter that guards the code is used up: the code is no
//                                    longer taken, and the zone takes no more writes
//   code_not_presented  0x99  -153   a write, erase, personalisation or guarded read before the
//                                    code it needs was presented since power-up
//
// Nothing is changed by a refused command.
#pragma once

#include <cstdint>

#include "emulator/core/card_model.h"
#include "emulator/cards/memory_refusals.h"

namespace vreader::at88sc1604 {

using Refusal = MemoryRefusal;

}  // namespace vreader::at88sc1604
