#include "pcsc/memory_cards.h"

#include <algorithm>
#include <string_view>

namespace quillet_pcsc {

namespace {

// ISO/IEC 7816-4 status words
constexpr uint16_t sw_ok = 0x9000, sw_end_reached = 0x6282, sw_wrong_code = 0x63C0, sw_not_verified = 0x6300,
                   sw_write_failed = 0x6581, sw_wrong_length = 0x6700, sw_not_satisfied = 0x6982,
                   sw_locked = 0x6983, sw_not_supported = 0x6A81, sw_wrong_p1p2 = 0x6A86,
                   sw_no_reference = 0x6A88, sw_out_of_range = 0x6B00, sw_wrong_ins = 0x6D00,
                   sw_wrong_class = 0x6E00;

constexpr uint8_t ins_erase = 0x0E, ins_verify = 0x20, ins_change_code = 0x24, ins_authenticate = 0x82, ins_select_family = 0xA4,
                  ins_select_zone = 0xA6, ins_read = 0xB0, ins_update = 0xD6;

constexpr uint8_t erase_reference = 0x80;  // VERIFY's P2: bit 7 names an erase code
constexpr size_t authentication_bytes = 16;
constexpr int configuration_zone = 0x100;  // SELECT ZONE 01 00 on the crypto memory cards

// What READ and UPDATE BINARY reach in the slot's zone.
struct Area {
    MemoryRead read = nullptr;
    MemoryWrite write = nullptr;
    ZoneBounds bounds;
};

Area area_of(const MemoryFamily& family, int zone) {
    if (zone == configuration_zone) {
        const CryptoCalls crypto = crypto_calls_of(family);
        const int32_t size = crypto.configuration_bytes;
        return {crypto.configuration_read, crypto.configuration_write, {size, size, size, 0}};
    }
    return {family.read, family.write, zone_bounds(family, zone)};
}

// A failure of the link rather than a refusal by the card or the reader.
bool link_failed(int status) {
    return status == QL_TIMEOUT || status == QL_BAD_LEAD || status == QL_BAD_BCC || status == QL_READ_FAILED ||
           status == QL_REPLY_TOO_LONG || status == QL_PORT_ERROR;
}

// An APDU taken apart, short or extended: header, command data, expected length (-1: none).
struct Apdu {
    uint8_t cla = 0, ins = 0, p1 = 0, p2 = 0;
    std::span<const uint8_t> data;
    int32_t expected = -1;
    bool valid = false;
};

int32_t short_le(uint8_t byte) { return byte ? byte : 256; }
int32_t extended_le(uint8_t high, uint8_t low) {
    const int32_t value = (high << 8) | low;
    return value ? value : 65536;
}

Apdu parse(std::span<const uint8_t> bytes) {
    Apdu apdu;
    if (bytes.size() < 4) return apdu;
    apdu.cla = bytes[0], apdu.ins = bytes[1], apdu.p1 = bytes[2], apdu.p2 = bytes[3];
    const size_t rest = bytes.size() - 4;
    if (rest == 0) {
        apdu.valid = true;
    } else if (rest == 1) {
        apdu.expected = short_le(bytes[4]);
        apdu.valid = true;
    } else if (bytes[4] != 0) {  // short Lc
        const size_t lc = bytes[4];
        if (rest == lc + 1 || rest == lc + 2) {
            apdu.data = bytes.subspan(5, lc);
            if (rest == lc + 2) apdu.expected = short_le(bytes.back());
            apdu.valid = true;
        }
    } else if (rest == 3) {  // extended Le alone
        apdu.expected = extended_le(bytes[5], bytes[6]);
        apdu.valid = true;
    } else if (rest > 3) {  // extended Lc, then Le in two bytes or none
        const size_t lc = (size_t{bytes[5]} << 8) | bytes[6];
        if (lc != 0 && (rest == lc + 3 || rest == lc + 5)) {
            apdu.data = bytes.subspan(7, lc);
            if (rest == lc + 5) apdu.expected = extended_le(bytes[bytes.size() - 2], bytes.back());
            apdu.valid = true;
        }
    }
    return apdu;
}

// The code a VERIFY or CHANGE REFERENCE DATA names with its P2, in the family's terms.
struct CodeReference {
    const CodeCalls* calls = nullptr;
    int16_t zone = 0;      // zone, or password set
    int16_t selector = 0;  // password sets: 0 the write password, 1 the read password
    int16_t bytes = 0;
    bool erase = false;
};

CodeReference code_reference(const MemoryFamily& family, uint8_t p2) {
    CodeReference reference;
    const int number = p2 & ~erase_reference;
    if (p2 & erase_reference) {
        if (!(family.kinds & QL_CODE_ERASE)) return {};
        reference = {&family.erase, static_cast<int16_t>(number), 0, family.erase.bytes, true};
        if (family.shape == QL_SHAPE_ZONED) {
            reference.bytes = zone_bounds(family, number).erase_code;
        } else if (number != 0) {
            return {};
        }
    } else if (family.kinds & QL_CODE_PASSWORD_SETS) {
        reference = {&family.security, static_cast<int16_t>(number / 2), static_cast<int16_t>(number % 2),
                     family.code_bytes, false};
        if (number / 2 >= family.security.sets) return {};
    } else if (family.kinds & QL_CODE_SECURITY) {
        const bool per_zone = family.kinds & QL_CODE_PER_ZONE;
        if (number != 0 && !(per_zone && zone_bounds(family, number).size > 0)) return {};
        reference = {&family.security, static_cast<int16_t>(number), 0, family.code_bytes, false};
    } else {
        return {};
    }
    if (reference.bytes == 0 || reference.calls->present == nullptr) return {};
    return reference;
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
        if (family == nullptr || family->read == nullptr) return finish(sw_not_supported);
        switch (apdu.ins) {
            case ins_read: return read(*family, apdu);
            case ins_update: return update(*family, apdu);
            case ins_erase: return erase(*family, apdu);
            case ins_select_zone: return select_zone(*family, apdu);
            case ins_verify: return verify(*family, apdu);
            case ins_change_code: return change_code(*family, apdu);
            case ins_authenticate: return authenticate(*family, apdu);
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

    // FF A4 00 00 01 NN: chk_card's number; FF A4 00 01 Lc NAME: the catalogue's name.
    bool select_family(const Apdu& apdu) {
        if (apdu.p1 != 0 || apdu.p2 > 1) return finish(sw_wrong_p1p2);
        if (apdu.data.empty() || (apdu.p2 == 0 && apdu.data.size() != 1)) return finish(sw_wrong_length);
        const MemoryFamily* chosen =
            apdu.p2 == 0 ? memory_family(apdu.data[0])
                         : memory_family_named({reinterpret_cast<const char*>(apdu.data.data()), apdu.data.size()});
        if (chosen == nullptr || chosen->read == nullptr) return finish(sw_not_supported);
        slot_ = MemorySlot{chosen, 0, {}, {}};
        remember_memory_card(handle_, slot_);
        return finish(sw_ok);
    }

    // FF A6 P1 P2: the zone (or page) P1 P2 for the reads and writes that follow.
    bool select_zone(const MemoryFamily& family, const Apdu& apdu) {
        if (family.shape == QL_SHAPE_FLAT) return finish(sw_not_supported);
        if (!apdu.data.empty() || apdu.expected >= 0) return finish(sw_wrong_length);
        const int zone = (apdu.p1 << 8) | apdu.p2;
        if (area_of(family, zone).bounds.size == 0) return finish(sw_wrong_p1p2);
        slot_.zone = static_cast<int16_t>(zone);
        return finish(sw_ok);
    }

    bool read(const MemoryFamily& family, const Apdu& apdu) {
        if (!apdu.data.empty() || apdu.expected < 0) return finish(sw_wrong_length);
        if (apdu.expected % family.unit != 0) return finish(sw_wrong_length);
        const int32_t offset = (apdu.p1 << 8) | apdu.p2;
        const Area area = area_of(family, slot_.zone);
        const int32_t end = area.bounds.read_end;
        if (offset >= end) return finish(sw_out_of_range);
        const int32_t units = std::min<int32_t>(apdu.expected / family.unit, end - offset);
        response_.resize(static_cast<size_t>(units * family.unit));
        const int16_t status = area.read(handle_, slot_.zone, offset, units, response_.data());
        if (status != QL_OK) return refused(status, sw_not_satisfied);
        return finish(units * family.unit < apdu.expected ? sw_end_reached : sw_ok);
    }

    bool update(const MemoryFamily& family, const Apdu& apdu) {
        if (apdu.data.empty() || apdu.expected >= 0 || apdu.data.size() % size_t(family.unit) != 0) {
            return finish(sw_wrong_length);
        }
        const int32_t offset = (apdu.p1 << 8) | apdu.p2;
        const int32_t units = static_cast<int32_t>(apdu.data.size()) / family.unit;
        const Area area = area_of(family, slot_.zone);
        const int32_t end = area.bounds.write_end;
        if (offset >= end || end - offset < units) return finish(sw_out_of_range);
        if (family.writes_need_code && !slot_.presented[0]) return finish(sw_not_satisfied);
        const int16_t status = area.write(handle_, slot_.zone, offset, units, apdu.data.data());
        if (slot_.zone == 0 && offset * family.unit < static_cast<int32_t>(slot_.fingerprint.size())) {
            remember_memory_card(handle_, slot_);
        }
        if (status == QL_OK) return finish(sw_ok);
        return refused(status, family.kinds ? sw_not_satisfied : sw_write_failed);
    }

    // FF 0E 00 00: the whole card erased, on the families that erase it in one call.
    bool erase(const MemoryFamily& family, const Apdu& apdu) {
        if (family.erase_all == nullptr) return finish(sw_not_supported);
        if (apdu.p1 != 0 || apdu.p2 != 0) return finish(sw_wrong_p1p2);
        if (!apdu.data.empty() || apdu.expected >= 0) return finish(sw_wrong_length);
        const int16_t status = family.erase_all(handle_);
        remember_memory_card(handle_, slot_);
        return status == QL_OK ? finish(sw_ok) : refused(status, sw_write_failed);
    }

    // The attempts left as 63Cx, 6983 when none are left, 9000 once the code was presented.
    bool attempts_left(const CodeReference& code, uint8_t p2) {
        int16_t left = 0;
        const int16_t status = code.calls->counter(handle_, code.zone, code.selector, &left);
        if (status != QL_OK) {
            if (link_failed(status)) return false;
            return finish(slot_.presented[p2] ? sw_ok : sw_not_verified);
        }
        if (left == 0) return finish(sw_locked);
        if (slot_.presented[p2]) return finish(sw_ok);
        return finish(static_cast<uint16_t>(sw_wrong_code | std::min<int16_t>(left, 15)));
    }

    // FF 20 00 P2 [Lc CODE]: P2 names the code (docs/pcsc.md); without data, its counter.
    bool verify(const MemoryFamily& family, const Apdu& apdu) {
        if (family.kinds == 0) return finish(sw_not_supported);
        if (apdu.p1 != 0) return finish(sw_wrong_p1p2);
        const CodeReference code = code_reference(family, apdu.p2);
        if (code.calls == nullptr) return finish(sw_no_reference);
        if (apdu.data.empty() && apdu.expected < 0) return attempts_left(code, apdu.p2);
        if (apdu.data.size() != static_cast<size_t>(code.bytes) || apdu.expected >= 0) return finish(sw_wrong_length);
        int16_t before = 0;
        int16_t status = code.calls->counter(handle_, code.zone, code.selector, &before);
        if (link_failed(status)) return false;
        const bool counted = status == QL_OK;
        if (counted && before == 0) return finish(sw_locked);  // a locked card is not given the code at all
        status = code.calls->present(handle_, code.zone, code.selector, code.bytes, apdu.data.data());
        if (link_failed(status)) return false;
        // A card that does not say whether the code was right tells by its error counter: the
        // right code fills it again, a wrong one takes an attempt. An erase code's counter counts
        // every presentation, so there only the card's answer tells.
        bool right = status == QL_OK;
        if (right && counted && !code.erase) {
            int16_t after = 0;
            const int16_t again = code.calls->counter(handle_, code.zone, code.selector, &after);
            if (link_failed(again)) return false;
            right = again == QL_OK && after >= before;
        }
        slot_.presented[apdu.p2] = right;
        if (right) return opened();
        return attempts_left(code, apdu.p2);
    }

    // FF 24 01 P2 Lc NEWCODE, after that code was presented.
    bool change_code(const MemoryFamily& family, const Apdu& apdu) {
        if (family.kinds == 0) return finish(sw_not_supported);
        if (apdu.p1 != 0x01) return finish(sw_wrong_p1p2);
        const CodeReference code = code_reference(family, apdu.p2);
        if (code.calls == nullptr || code.calls->change == nullptr) return finish(sw_no_reference);
        if (apdu.data.size() != static_cast<size_t>(code.bytes) || apdu.expected >= 0) return finish(sw_wrong_length);
        if (!slot_.presented[apdu.p2]) return finish(sw_not_satisfied);
        const int16_t status = code.calls->change(handle_, code.zone, code.selector, code.bytes, apdu.data.data());
        return status == QL_OK ? opened() : refused(status, sw_write_failed);
    }

    // FF 82 00 00 10 Q(8) OUT1(8): the application's half of the mutual authentication.
    bool authenticate(const MemoryFamily& family, const Apdu& apdu) {
        const Authentication send = crypto_calls_of(family).authenticate;
        if (send == nullptr) return finish(sw_not_supported);
        if (apdu.p1 != 0 || apdu.p2 != 0) return finish(sw_wrong_p1p2);
        if (apdu.data.size() != authentication_bytes || apdu.expected >= 0) return finish(sw_wrong_length);
        const int16_t status = send(handle_, static_cast<int16_t>(authentication_bytes), apdu.data.data());
        return status == QL_OK ? opened() : refused(status, sw_not_verified);
    }

    // A code presented or changed, or an authentication, may show bytes that read as 00 before
    // (the codes themselves): the card's first bytes are taken again for telling it apart.
    bool opened() {
        remember_memory_card(handle_, slot_);
        return finish(sw_ok);
    }

    int32_t handle_;
    MemorySlot& slot_;
    std::vector<uint8_t>& response_;
};

constexpr int32_t fingerprint_bytes = 16;

std::vector<uint8_t> first_bytes(int32_t handle, const MemoryFamily& family) {
    if (family.read == nullptr) return {};
    const int32_t units = std::min(fingerprint_bytes / family.unit, zone_bounds(family, 0).read_end);
    std::vector<uint8_t> bytes(static_cast<size_t>(units * family.unit));
    if (bytes.empty() || family.read(handle, 0, 0, units, bytes.data()) != QL_OK) return {};
    return bytes;
}

}  // namespace

std::vector<uint8_t> memory_card_atr(const MemoryFamily* family) {
    const uint8_t bus = family ? family->bus : 0x00;
    const auto number = static_cast<uint8_t>(family ? family->type_number : 0);
    // The PC/SC storage-card layout: TS T0 TD1 TD2, then 15 historical bytes: 80 (category),
    // 4F 0C (application identifier: the PC/SC RID A0 00 00 03 06, the bus, the card's name as
    // 00 and chk_card's number), four bytes 00, and TCK.
    std::vector<uint8_t> atr{0x3B, 0x8F, 0x80, 0x01, 0x80, 0x4F, 0x0C, 0xA0, 0x00, 0x00,
                             0x03, 0x06, bus,  0x00, number,
                             0x00, 0x00, 0x00, 0x00};
    uint8_t tck = 0;
    for (size_t i = 1; i < atr.size(); ++i) tck ^= atr[i];
    atr.push_back(tck);
    return atr;
}

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
