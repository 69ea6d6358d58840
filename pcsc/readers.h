// The readers pcscd has opened through the driver, by the reader part of the Lun (Lun >> 16), and
// what each slot (Lun & 0xFFFF: 0 the main contact slot, 1..5 the SAM slots) holds.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pcsc/memory_cards.h"
#include "pcsc/t1_link.h"

namespace quillet_pcsc {

enum class CardKind { none, processor, memory };

struct Slot {
    CardKind kind = CardKind::none;
    std::vector<uint8_t> atr;
    T1Link link;
    MemorySlot memory;
};

struct Reader {
    std::mutex busy;  // the library runs one exchange on a port at a time
    int32_t handle = 0;
    std::vector<Slot> slots;
    int channels = 1;  // slots pcscd has opened: the port is closed with the last of them
};

// Where the reader is: the device (or port number), a rate (0: found by chk_baud), SAM slots.
struct Connection {
    std::string device;
    int16_t port = 0;
    int32_t rate = 0;
    int sam_slots = 0;
};

// "DEVICE[:RATE[:SAMS]]" from reader.conf; false when it does not parse.
bool parse_device_name(const std::string& text, Connection& connection);

// Opens the reader; the status of the library when it fails.
int open_reader(const Connection& connection, int32_t& handle);

std::shared_ptr<Reader> find_reader(unsigned long lun);
void add_reader(unsigned long lun, std::shared_ptr<Reader> reader);
// A further slot of a reader already open (pcscd opens each slot of a reader with its own Lun):
// false when the reader is not open or has no such slot.
bool attach_slot(unsigned long lun);

// Closes a slot; the reader leaves the list with the last of its slots and is given in `closing`
// for its port to be closed. False when the Lun names no open reader.
bool release_slot(unsigned long lun, std::shared_ptr<Reader>& closing);

}  // namespace quillet_pcsc
