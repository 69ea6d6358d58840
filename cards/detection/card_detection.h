// Card type detection: the card check of each family tried in a fixed order, contacts off before
// each try, until one accepts the card.
#pragma once

#include <cstdint>

namespace quillet {

// The card type number of the first family whose check accepts the card, or 0 when none does.
// Never negative: a failed try, the transport's failures included, only moves on to the next.
int16_t detect_card_type(int32_t handle);

}  // namespace quillet
