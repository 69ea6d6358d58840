#include "pcsc/memory_cards.h"

#include <algorithm>
#include <array>

namespace quillet_pcsc {

namespace {

constexpr uint8_t i2c_bus = 0x0B, two_wire_bus = 0x0D, three_wire_bus = 0x0E;

constexpr MemoryFamily flat(int16_t number, uint8_t bus, int32_t capacity, MemoryRead read, MemoryWrite write) {
    return {number, bus, capacity, read, write};
}
constexpr MemoryFamily coded(int16_t number, int32_t capacity, MemoryRead read, MemoryWrite write, int16_t code_bytes,
                             CodeCall present, CodeCall change, CounterRead counter, int16_t full) {
    return {number, two_wire_bus, capacity, read, write, code_bytes, present, change, counter, full};
}
constexpr MemoryFamily detected_only(int16_t number, uint8_t bus) { return {number, bus, 0}; }

constexpr std::array families{
    coded(21, 256, srd_4442, swr_4442, 3, csc_4442, wsc_4442, rsct_4442, 3),
    coded(22, 256, srd_2042, swr_2042, 3, csc_2042, wsc_2042, rsct_2042, 3),
    MemoryFamily{31, three_wire_bus, 1024, srd_4428, swr_4428, 2, csc_4428, wsc_4428, rsct_4428, 8},
    flat(1, i2c_bus, 128, srd_24c01a, swr_24c01a),
    flat(2, i2c_bus, 256, srd_24c02, swr_24c02),
    flat(3, i2c_bus, 512, srd_24c04, swr_24c04),
    flat(4, i2c_bus, 1024, srd_24c08, swr_24c08),
    flat(5, i2c_bus, 2048, srd_24c16, swr_24c16),
    flat(6, i2c_bus, 4096, srd_24c32, swr_24c32),
    flat(7, i2c_bus, 8192, srd_24c64, swr_24c64),
    flat(61, three_wire_bus, 128, srd_93c46, swr_93c46),
    flat(62, three_wire_bus, 256, srd_93c57, swr_93c57),
    // Found by chk_card; their zones, fuses and authentication have no pseudo-APDUs yet.
    detected_only(10, 0x00), detected_only(12, 0x00), detected_only(40, two_wire_bus), detected_only(41, two_wire_bus),
    detected_only(51, two_wire_bus), detected_only(52, two_wire_bus), detected_only(53, two_wire_bus),
    detected_only(54, two_wire_bus), detected_only(55, two_wire_bus), detected_only(60, three_wire_bus),
};

// ISO/IEC 7816-4 status words
constexpr uint16_t sw_ok = 0x9000, sw_end_reached = 0x6282, sw_write_failed = 0x6581, sw_wrong_length = 0x6700,
                   sw_not_satisfied = 0x6982, sw_locked = 0x6983, sw_not_supported = 0x6A81,
                   sw_out_of_range = 0x6B00, sw_wrong_ins = 0x6D00, sw_wrong_class = 0x6E00,
                   sw_wrong_p1p2 = 0x6A86;

constexpr uint8_t ins_verify = 0x20, ins_change_code = 0x24, ins_select_family = 0xA4, ins_read = 0xB0,
                  ins_update = 0xD6;

// A failure of the link rather than a refusal by the card or the reader.
bool link_failed(int status) {
    return status == QL_TIMEOUT || status == QL_BAD_LEAD || status == QL_BAD_BCC || status == QL_READ_FAILED ||
           status == QL_REPLY_TOO_LONG || status == QL_PORT_ERROR;
}

// A short APDU taken apart: header, command data, expected length (-1: none).
struct Apdu {
    uint8_t cla, ins, p1, p2;
    std::span<const uint8_t> data;
    int expected = -1;
    bool valid = false;
};

Apdu parse(std::span<const uint8_t> bytes) {
    Apdu apdu{};
    if (bytes.size() < 4) return apdu;
    apdu.cla = bytes[0], apdu.ins = bytes[1], apdu.p1 = bytes[2], apdu.p2 = bytes[3];
    const size_t rest = bytes.size() - 4;
    if (rest == 0) {
        apdu.valid = true;
    } else if (rest == 1) {
        apdu.expected = bytes[4] ? bytes[4] : 256;
        apdu.valid = true;
    } else if (bytes[4] != 0 && (rest == size_t{bytes[4]} + 1 || rest == size_t{bytes[4]} + 2)) {
        apdu.data = bytes.subspan(5, bytes[4]);
        if (rest == size_t{bytes[4]} + 2) apdu.expected = bytes.back() ? bytes.back() : 256;
        apdu.valid = true;
    }
    return apdu;
}

class Responder {
public:
    Responder(int32_t handle, MemorySlot& slot, std::vector<uint8_t>& response)
        : handle_(handle), slot_(slot), response_(response) {}

    bool run(const Apdu& apdu) {
        response_.clear();
        if (!apdu.valid) return finish(sw_wrong_length);
        if (apdu.cla != 0xFF) return finish(sw_wrong_class);
        if (apdu.ins == ins_select_family) return select_family(apdu);
        const MemoryFamily* family = slot_.family;
        if (family == nullptr || family->capacity == 0) return finish(sw_not_supported);
        switch (apdu.ins) {
            case ins_read: return read(*family, apdu);
            case ins_update: return update(*family, apdu);
            case ins_verify: return verify(*family, apdu);
            case ins_change_code: return change_code(*family, apdu);
            default: return finish(sw_wrong_ins);
        }
    }

private:
    bool finish(uint16_t sw) {
        response_.push_back(static_cast<uint8_t>(sw >> 8));
        response_.push_back(static_cast<uint8_t>(sw));
        return true;
    }
    // A card or reader refusal becomes the status word given; a link failure ends the transmit.
    bool refused(int status, uint16_t sw) {
        if (link_failed(status)) return false;
        response_.clear();
        return finish(sw);
    }

    bool select_family(const Apdu& apdu) {
        if (apdu.data.size() != 1) return finish(sw_wrong_length);
        const MemoryFamily* chosen = memory_family(apdu.data[0]);
        if (chosen == nullptr || chosen->capacity == 0) return finish(sw_not_supported);
        slot_ = MemorySlot{chosen, false, {}};
        remember_memory_card(handle_, slot_);
        return finish(sw_ok);
    }

    bool read(const MemoryFamily& family, const Apdu& apdu) {
        if (!apdu.data.empty() || apdu.expected < 0) return finish(sw_wrong_length);
        const int32_t offset = (apdu.p1 << 8) | apdu.p2;
        if (offset >= family.capacity) return finish(sw_out_of_range);
        const int32_t length = std::min<int32_t>(apdu.expected, family.capacity - offset);
        response_.resize(static_cast<size_t>(length));
        const int16_t status =
            family.read(handle_, static_cast<int16_t>(offset), static_cast<int16_t>(length), response_.data());
        if (status != QL_OK) return refused(status, sw_not_satisfied);
        return finish(length < apdu.expected ? sw_end_reached : sw_ok);
    }

    bool update(const MemoryFamily& family, const Apdu& apdu) {
        if (apdu.data.empty() || apdu.expected >= 0) return finish(sw_wrong_length);
        const int32_t offset = (apdu.p1 << 8) | apdu.p2;
        if (offset >= family.capacity || family.capacity - offset < static_cast<int32_t>(apdu.data.size())) {
            return finish(sw_out_of_range);
        }
        if (family.code_bytes > 0 && !slot_.code_presented) return finish(sw_not_satisfied);
        const int16_t status = family.write(handle_, static_cast<int16_t>(offset),
                                            static_cast<int16_t>(apdu.data.size()), apdu.data.data());
        if (offset < static_cast<int32_t>(slot_.fingerprint.size())) remember_memory_card(handle_, slot_);
        return status == QL_OK ? finish(sw_ok) : refused(status, sw_write_failed);
    }

    // The attempts left as 63Cx, 6983 when none are left, 9000 once the code was presented.
    bool attempts_left(const MemoryFamily& family) {
        int16_t left = 0;
        const int16_t status = family.counter(handle_, &left);
        if (status != QL_OK) return refused(status, sw_not_supported);
        if (left == 0) return finish(sw_locked);
        if (slot_.code_presented) return finish(sw_ok);
        return finish(static_cast<uint16_t>(0x63C0 | std::min<int16_t>(left, 15)));
    }

    bool verify(const MemoryFamily& family, const Apdu& apdu) {
        if (family.code_bytes == 0) return finish(sw_not_supported);
        if (apdu.p1 != 0 || apdu.p2 != 0) return finish(sw_wrong_p1p2);
        if (apdu.data.empty() && apdu.expected < 0) return attempts_left(family);
        if (apdu.data.size() != static_cast<size_t>(family.code_bytes) || apdu.expected >= 0) {
            return finish(sw_wrong_length);
        }
        int16_t left = 0;
        int16_t status = family.counter(handle_, &left);
        if (status != QL_OK) return refused(status, sw_not_supported);
        if (left == 0) return finish(sw_locked);  // a locked card is not given the code at all
        status = family.present(handle_, family.code_bytes, apdu.data.data());
        if (link_failed(status)) return false;
        // The card's error counter, not the reply alone, tells whether the code was right: the
        // right code fills it again.
        status = family.counter(handle_, &left);
        if (status != QL_OK) return refused(status, sw_not_supported);
        slot_.code_presented = left == family.full_counter;
        return attempts_left(family);
    }

    bool change_code(const MemoryFamily& family, const Apdu& apdu) {
        if (family.code_bytes == 0) return finish(sw_not_supported);
        if (apdu.p1 != 0x01 || apdu.p2 != 0) return finish(sw_wrong_p1p2);
        if (apdu.data.size() != static_cast<size_t>(family.code_bytes) || apdu.expected >= 0) {
            return finish(sw_wrong_length);
        }
        if (!slot_.code_presented) return finish(sw_not_satisfied);
        const int16_t status = family.change(handle_, family.code_bytes, apdu.data.data());
        return status == QL_OK ? finish(sw_ok) : refused(status, sw_write_failed);
    }

    int32_t handle_;
    MemorySlot& slot_;
    std::vector<uint8_t>& response_;
};

}  // namespace

const MemoryFamily* memory_family(int16_t type_number) {
    for (const MemoryFamily& family : families) {
        if (family.type_number == type_number) return &family;
    }
    return nullptr;
}

std::vector<uint8_t> memory_card_atr(const MemoryFamily& family) {
    // The PC/SC storage-card layout: TS T0 TD1 TD2, then 15 historical bytes: 80 (category),
    // 4F 0C (application identifier: the PC/SC RID A0 00 00 03 06, the bus, the card's name as
    // 00 and chk_card's number), four bytes 00, and TCK.
    std::vector<uint8_t> atr{0x3B, 0x8F, 0x80, 0x01, 0x80, 0x4F, 0x0C, 0xA0, 0x00, 0x00,
                             0x03, 0x06, family.bus, 0x00, static_cast<uint8_t>(family.type_number),
                             0x00, 0x00, 0x00, 0x00};
    uint8_t tck = 0;
    for (size_t i = 1; i < atr.size(); ++i) tck ^= atr[i];
    atr.push_back(tck);
    return atr;
}

namespace {
constexpr int32_t fingerprint_bytes = 16;

std::vector<uint8_t> first_bytes(int32_t handle, const MemoryFamily& family) {
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(fingerprint_bytes, family.capacity)));
    if (bytes.empty() || family.read(handle, 0, static_cast<int16_t>(bytes.size()), bytes.data()) != QL_OK) return {};
    return bytes;
}
}  // namespace

void remember_memory_card(int32_t handle, MemorySlot& slot) {
    slot.fingerprint = slot.family ? first_bytes(handle, *slot.family) : std::vector<uint8_t>{};
}

bool same_memory_card(int32_t handle, const MemorySlot& slot) {
    if (slot.family == nullptr || slot.fingerprint.empty()) return true;
    return first_bytes(handle, *slot.family) == slot.fingerprint;
}

bool memory_apdu(int32_t handle, MemorySlot& slot, std::span<const uint8_t> command, std::vector<uint8_t>& response) {
    return Responder(handle, slot, response).run(parse(command));
}

}  // namespace quillet_pcsc
