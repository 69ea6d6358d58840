#include "cards/crypto/at88sc_card.h"

#include "core/checks.h"

namespace quillet::at88sc {

namespace {

constexpr uint8_t second_password = 0x08;

Status configuration_checks(const Layout& card, int16_t address, int16_t length) {
    return first_failure({
        {length >= 1 && length <= card.configuration_end, Status::bad_length},
        {address >= 0 && address + length <= card.configuration_end, Status::bad_address},
    });
}

bool valid_password(const Layout& card, int16_t set, int16_t selector) {
    const bool selector_taken = !card.binary_selector || selector == 0 || selector == 1;
    return set >= 0 && set < card.password_sets && selector_taken;
}

Status password_checks(const Layout& card, int16_t set, int16_t selector, int16_t length, int16_t wanted_length) {
    return first_failure({
        {valid_password(card, set, selector), Status::bad_address},
        {length == wanted_length, Status::bad_length},
    });
}

// Configuration address of a password's attempt counter; its 3 bytes follow it.
int16_t counter_address(const Layout& card, int16_t set, int16_t selector) {
    return static_cast<int16_t>(card.password_base + 8 * set + (selector != 0 ? 4 : 0));
}

Status access_checks(const Layout& card, int16_t zone, int16_t length) {
    return first_failure({
        {zone >= 0 && zone < card.user_zones, Status::bad_address},
        {length == 1, Status::bad_length},
    });
}

}  // namespace

Status reset(const Layout& card, int32_t handle, int16_t length, uint8_t* buffer) {
    return reset(handle, card.card_type, length, buffer);
}

Status check(const Layout& card, int32_t handle) { return check_answer(handle, card.card_type, card.answer_to_reset); }

Status init_auth(const Layout& card, int32_t handle, int16_t length, const uint8_t* data) {
    return init_auth(handle, card.card_type, length, data);
}

Status read_configuration(const Layout& card, int32_t handle, int16_t address, int16_t length, uint8_t* buffer) {
    QL_TRY(configuration_checks(card, address, length));
    return read(handle, command::read, card.configuration, static_cast<uint16_t>(address),
                static_cast<uint8_t>(length), buffer);
}

Status write_configuration(const Layout& card, int32_t handle, int16_t address, int16_t length,
                           const uint8_t* data) {
    QL_TRY(configuration_checks(card, address, length));
    return write(handle, card.configuration, static_cast<uint16_t>(address), data, static_cast<size_t>(length));
}

Status read_register(const Layout& card, int32_t handle, int16_t address, int16_t length, uint8_t* buffer) {
    if (length != 1) return Status::bad_length;
    return read_configuration(card, handle, address, 1, buffer);
}

Status write_register(const Layout& card, int32_t handle, int16_t address, int16_t length, const uint8_t* data) {
    if (length != 1) return Status::bad_length;
    return write_configuration(card, handle, address, 1, data);
}

Status read_access(const Layout& card, int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) {
    QL_TRY(access_checks(card, zone, length));
    return read_configuration(card, handle, static_cast<int16_t>(card.access_register_base + zone), 1, buffer);
}

Status write_access(const Layout& card, int32_t handle, int16_t zone, int16_t length, const uint8_t* data) {
    QL_TRY(access_checks(card, zone, length));
    return write_configuration(card, handle, static_cast<int16_t>(card.access_register_base + zone), 1, data);
}

Status present_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                        const uint8_t* password) {
    QL_TRY(first_failure({
        {length == password_size, Status::bad_length},
        {valid_password(card, set, selector), Status::bad_address},
    }));
    const auto which = static_cast<uint8_t>(card.password_mark | set * card.set_step |
                                            (selector != 0 ? second_password : 0x00));
    return present_password(handle, card.card_type, static_cast<uint8_t>(counter_address(card, set, selector)), which,
                            password);
}

Status write_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                      const uint8_t* password) {
    QL_TRY(password_checks(card, set, selector, length, password_size));
    return write_configuration(card, handle, static_cast<int16_t>(counter_address(card, set, selector) + 1),
                               password_size, password);
}

Status read_password(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                     uint8_t* buffer) {
    QL_TRY(password_checks(card, set, selector, length, password_size));
    return read_configuration(card, handle, static_cast<int16_t>(counter_address(card, set, selector) + 1),
                              password_size, buffer);
}

Status read_attempts(const Layout& card, int32_t handle, int16_t set, int16_t selector, int16_t length,
                     uint8_t* buffer) {
    QL_TRY(password_checks(card, set, selector, length, 1));
    return read_configuration(card, handle, counter_address(card, set, selector), 1, buffer);
}

}  // namespace quillet::at88sc
