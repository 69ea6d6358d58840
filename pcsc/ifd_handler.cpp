// The IFD handler entry points (pcsc-lite IFD handler API v3) of libifd-quillet.so. pcscd calls
// them per Lun; each looks up the reader, takes its lock and drives the library.
// ifdhandler.h declares the entry points without C linkage of its own.
extern "C" {
#include <ifdhandler.h>
#include <reader.h>
}

#include <algorithm>
#include <cstring>

#include "pcsc/control_codes.h"
#include "pcsc/readers.h"
#include "quillet.h"

#define IFD_EXPORT extern "C" __attribute__((visibility("default")))

using namespace quillet_pcsc;

namespace {

constexpr DWORD main_slot = 0;
constexpr size_t response_limit = 258;  // 256 data bytes and SW1 SW2

bool is_link_failure(int status) {
    return status == QL_TIMEOUT || status == QL_PORT_ERROR || status == QL_READ_FAILED ||
           status == waiting_time_exhausted;
}

// The main slot opens the port; pcscd then opens every further slot of the reader with its own
// Lun (the same reader in the upper half, the slot in the lower), and those share the port.
RESPONSECODE open_channel(DWORD lun, const Connection& connection) {
    if ((lun & 0xFFFF) != main_slot) return attach_slot(lun) ? IFD_SUCCESS : IFD_COMMUNICATION_ERROR;
    int32_t handle = 0;
    if (open_reader(connection, handle) != QL_OK) return IFD_COMMUNICATION_ERROR;
    auto reader = std::make_shared<Reader>();
    reader->handle = handle;
    reader->slots.resize(1 + static_cast<size_t>(connection.sam_slots));
    add_reader(lun, std::move(reader));
    return IFD_SUCCESS;
}

// The reader and slot of a Lun, locked for the call.
struct Target {
    std::shared_ptr<Reader> reader;
    std::unique_lock<std::mutex> lock;
    Slot* slot = nullptr;
    DWORD number = 0;
};

bool find_target(DWORD lun, Target& target) {
    target.reader = find_reader(lun);
    if (!target.reader) return false;
    target.number = lun & 0xFFFF;
    if (target.number >= target.reader->slots.size()) return false;
    target.lock = std::unique_lock(target.reader->busy);
    target.slot = &target.reader->slots[target.number];
    return true;
}

// The block exchange of a slot: the main slot's through cpu_comres, a SAM's through sam_comres
// after choosing it.
BlockExchange block_exchange(int32_t handle, DWORD slot) {
    return [handle, slot](std::span<const uint8_t> block, std::vector<uint8_t>& answer) -> int {
        uint8_t raw[QL_CPU_RAW_RESPONSE_MAX] = {};
        const auto length = static_cast<int16_t>(block.size());
        int16_t status = 0;
        if (slot == main_slot) {
            status = cpu_comres(handle, length, block.data(), raw);
        } else {
            status = sam_select(handle, static_cast<uint8_t>(slot));
            if (status == QL_OK) status = sam_comres(handle, length, block.data(), raw);
        }
        if (status != QL_OK) return status;
        const size_t size = std::min<size_t>(size_t{raw[2]} + 4, sizeof raw);
        answer.assign(raw, raw + size);
        return QL_OK;
    };
}

// Powers a processor card (or SAM) up: its answer to reset, or false.
bool reset_processor_card(int32_t handle, DWORD slot, std::vector<uint8_t>& atr) {
    uint8_t answer[QL_CPU_ANSWER_MAX] = {};
    int16_t length = 0;
    if (sam_slt_reset(handle, static_cast<int16_t>(slot), &length, answer) != QL_OK || length < 2) return false;
    atr.assign(answer, answer + length);
    return true;
}

RESPONSECODE power_up(Target& target) {
    Slot& slot = *target.slot;
    const int32_t handle = target.reader->handle;
    slot = Slot{};
    if (target.number == main_slot) turn_on(handle);
    if (reset_processor_card(handle, target.number, slot.atr)) {
        slot.kind = CardKind::processor;
        slot.link.restart(slot.atr);
        return IFD_SUCCESS;
    }
    if (target.number != main_slot) return IFD_ERROR_POWER_ACTION;
    // A card chk_card does not name (a family it does not try, or no working chip) is still shown,
    // with family number 00: the application names the family with SELECT CARD TYPE.
    const MemoryFamily* family = memory_family(chk_card(handle));
    turn_on(handle);
    slot.kind = CardKind::memory;
    slot.memory.family = family;
    remember_memory_card(handle, slot.memory);
    slot.atr = memory_card_atr(family);
    return IFD_SUCCESS;
}

// Whether the powered card of the main slot is still the one powered up (docs/pcsc.md).
bool same_card(Target& target) {
    Slot& slot = *target.slot;
    switch (slot.kind) {
        case CardKind::processor: return slot.link.still_answers(block_exchange(target.reader->handle, main_slot));
        case CardKind::memory: return same_memory_card(target.reader->handle, slot.memory);
        default: return true;
    }
}

RESPONSECODE give(const std::vector<uint8_t>& bytes, PUCHAR buffer, PDWORD length) {
    if (*length < bytes.size()) {
        *length = 0;
        return IFD_ERROR_INSUFFICIENT_BUFFER;
    }
    std::copy(bytes.begin(), bytes.end(), buffer);
    *length = static_cast<DWORD>(bytes.size());
    return IFD_SUCCESS;
}

RESPONSECODE give_byte(UCHAR value, PUCHAR buffer, PDWORD length) { return give({value}, buffer, length); }

}  // namespace

IFD_EXPORT RESPONSECODE IFDHCreateChannelByName(DWORD Lun, LPSTR DeviceName) {
    Connection connection;
    if (DeviceName == nullptr || !parse_device_name(DeviceName, connection)) return IFD_COMMUNICATION_ERROR;
    connection.port = static_cast<int16_t>((Lun >> 16) % 20);
    return open_channel(Lun, connection);
}

IFD_EXPORT RESPONSECODE IFDHCreateChannel(DWORD Lun, DWORD Channel) {
    // CHANNELID n opens the library's port n: 0 is COM1 (/dev/ttyS0 or QUILLET_COM1).
    if (Channel > 19) return IFD_COMMUNICATION_ERROR;
    Connection connection;
    connection.port = static_cast<int16_t>(Channel);
    return open_channel(Lun, connection);
}

IFD_EXPORT RESPONSECODE IFDHCloseChannel(DWORD Lun) {
    std::shared_ptr<Reader> closing;
    if (!release_slot(Lun, closing)) return IFD_COMMUNICATION_ERROR;
    if (!closing) return IFD_SUCCESS;  // other slots of the reader are still open
    const std::lock_guard lock(closing->busy);
    turn_off(closing->handle);
    ic_exit(closing->handle);
    return IFD_SUCCESS;
}

IFD_EXPORT RESPONSECODE IFDHGetCapabilities(DWORD Lun, DWORD Tag, PDWORD Length, PUCHAR Value) {
    Target target;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    switch (Tag) {
        case TAG_IFD_ATR:
            return give(target.slot->atr, Value, Length);
        case TAG_IFD_SLOTS_NUMBER:
            return give_byte(static_cast<UCHAR>(target.reader->slots.size()), Value, Length);
        case TAG_IFD_SIMULTANEOUS_ACCESS:
            return give_byte(20, Value, Length);  // one reader per library port
        case TAG_IFD_THREAD_SAFE:
            return give_byte(1, Value, Length);  // each reader has its own lock
        case TAG_IFD_SLOT_THREAD_SAFE:
            return give_byte(0, Value, Length);  // the slots of a reader share one serial link
        default:
            if (Tag == SCARD_ATTR_ATR_STRING) return give(target.slot->atr, Value, Length);
            return IFD_ERROR_TAG;
    }
}

IFD_EXPORT RESPONSECODE IFDHSetCapabilities(DWORD, DWORD, DWORD, PUCHAR) { return IFD_ERROR_VALUE_READ_ONLY; }

IFD_EXPORT RESPONSECODE IFDHSetProtocolParameters(DWORD Lun, DWORD Protocol, UCHAR, UCHAR, UCHAR, UCHAR) {
    Target target;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    switch (target.slot->kind) {
        case CardKind::processor:
            return Protocol == SCARD_PROTOCOL_T1 ? IFD_SUCCESS : IFD_PROTOCOL_NOT_SUPPORTED;
        case CardKind::memory:  // no transmission protocol: either name is taken
            return Protocol == SCARD_PROTOCOL_T0 || Protocol == SCARD_PROTOCOL_T1 ? IFD_SUCCESS
                                                                                 : IFD_PROTOCOL_NOT_SUPPORTED;
        default:
            return IFD_ICC_NOT_PRESENT;
    }
}

IFD_EXPORT RESPONSECODE IFDHPowerICC(DWORD Lun, DWORD Action, PUCHAR Atr, PDWORD AtrLength) {
    Target target;
    const DWORD capacity = AtrLength ? *AtrLength : 0;
    if (AtrLength) *AtrLength = 0;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    switch (Action) {
        case IFD_POWER_DOWN:
            *target.slot = Slot{};
            if (target.number == main_slot) turn_off(target.reader->handle);
            return IFD_SUCCESS;
        case IFD_POWER_UP:
        case IFD_RESET: {
            const RESPONSECODE result = power_up(target);
            if (result != IFD_SUCCESS || AtrLength == nullptr) return result;
            *AtrLength = capacity;
            return give(target.slot->atr, Atr, AtrLength);
        }
        default:
            return IFD_NOT_SUPPORTED;
    }
}

IFD_EXPORT RESPONSECODE IFDHTransmitToICC(DWORD Lun, SCARD_IO_HEADER, PUCHAR TxBuffer, DWORD TxLength,
                                          PUCHAR RxBuffer, PDWORD RxLength, PSCARD_IO_HEADER RecvPci) {
    const DWORD capacity = *RxLength;
    *RxLength = 0;
    Target target;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    if (RecvPci) RecvPci->Protocol = target.slot->kind == CardKind::processor ? 1 : 0;
    const std::span<const uint8_t> command(TxBuffer, TxLength);
    std::vector<uint8_t> response;
    switch (target.slot->kind) {
        case CardKind::processor: {
            const LinkResult result = target.slot->link.transmit(block_exchange(target.reader->handle, target.number),
                                                                 command, response, response_limit);
            if (result == LinkResult::transport_failed) {
                return is_link_failure(target.slot->link.last_library_status()) ? IFD_RESPONSE_TIMEOUT
                                                                                : IFD_COMMUNICATION_ERROR;
            }
            if (result != LinkResult::ok) return IFD_COMMUNICATION_ERROR;
            break;
        }
        case CardKind::memory:
            if (!memory_apdu(target.reader->handle, target.slot->memory, command, response)) {
                return IFD_COMMUNICATION_ERROR;
            }
            break;
        default:
            return IFD_ICC_NOT_PRESENT;
    }
    *RxLength = capacity;
    return give(response, RxBuffer, RxLength);
}

IFD_EXPORT RESPONSECODE IFDHControl(DWORD Lun, DWORD dwControlCode, PUCHAR TxBuffer, DWORD TxLength, PUCHAR RxBuffer,
                                    DWORD RxLength, LPDWORD pdwBytesReturned) {
    if (pdwBytesReturned) *pdwBytesReturned = 0;
    Target target;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    const int32_t handle = target.reader->handle;
    switch (dwControlCode) {
        case QUILLET_CONTROL_BEEP: {
            const int16_t units = TxLength >= 1 ? TxBuffer[0] : 10;
            return dv_beep(handle, units) == QL_OK ? IFD_SUCCESS : IFD_COMMUNICATION_ERROR;
        }
        case QUILLET_CONTROL_VERSION: {
            uint8_t text[18] = {};
            if (srd_ver(handle, sizeof text, text) != QL_OK) return IFD_COMMUNICATION_ERROR;
            const size_t length = strnlen(reinterpret_cast<const char*>(text), sizeof text);
            if (RxLength < length) return IFD_ERROR_INSUFFICIENT_BUFFER;
            std::memcpy(RxBuffer, text, length);
            if (pdwBytesReturned) *pdwBytesReturned = static_cast<DWORD>(length);
            return IFD_SUCCESS;
        }
        default:
            return IFD_ERROR_NOT_SUPPORTED;
    }
}

IFD_EXPORT RESPONSECODE IFDHICCPresence(DWORD Lun) {
    Target target;
    if (!find_target(Lun, target)) return IFD_COMMUNICATION_ERROR;
    // SAM slots have no presence switch: a SAM counts as present, its power-up tells.
    if (target.number != main_slot) return IFD_ICC_PRESENT;
    int16_t state = 0;
    if (get_status0(target.reader->handle, &state) != QL_OK) return IFD_COMMUNICATION_ERROR;
    if (state == 0 || !same_card(target)) {
        // A card put in place of the one powered, with no removal seen in between, is reported
        // absent once: pcscd then sees a removal and, at the next poll, an insertion it powers up.
        *target.slot = Slot{};
        return IFD_ICC_NOT_PRESENT;
    }
    return IFD_ICC_PRESENT;
}
