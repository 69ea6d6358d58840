// Init_45: the parallel-port opener of the AT45D041 readers. It tells the reader which link to use
// with the parallel mode command, the byte link first, and takes the first link that answers.
#include <array>

#include "cards/memory/at45d041.h"
#include "core/handles.h"
#include "reader/opening.h"
#include "platform/clock.h"
#include "reader/services.h"

namespace quillet::at45d041 {

namespace {

struct ModeTry {
    int32_t handle;
    uint32_t pause_before_ms;  // the reader settles after the previous try
};

constexpr uint32_t settle_ms = 800;

constexpr std::array<ModeTry, 4> tries{{
    {byte_link_handle, 0},
    {byte_link_handle, settle_ms},
    {nibble_link_handle, settle_ms},
    {nibble_link_handle, settle_ms},
}};

}  // namespace

int32_t open_parallel(int16_t address) {
    select_parallel(address, 1);
    for (const ModeTry& t : tries) {
        if (t.pause_before_ms) delay_ms(t.pause_before_ms);
        if (!failed(send_parallel_mode(t.handle, t.handle == byte_link_handle))) return t.handle;
    }
    // A reader that ignores the mode command but answers the card-present query is still there.
    int16_t state = 0;
    const Status s = card_status(nibble_link_handle, 1, &state);
    return s == Status::ok || s == Status::reader_0x83 ? nibble_link_handle : code(Status::port_error);
}

}  // namespace quillet::at45d041
