// quillet info: library and reader versions, serial number, device code, whether a card is in.
#include <array>
#include <cstdio>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/hex.h"
#include "tools/json.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr int16_t version_length = 18;
constexpr int16_t serial_length = 16;
constexpr int16_t device_code_length = 3;

constexpr std::array options{OptionSpec{"json", "", "print one JSON object instead of lines"}};

int run_info(const Arguments& args) {
    uint8_t library[20] = {0};
    lib_ver(library);
    ReaderSession session(args, ReaderFirst::yes);
    const int32_t h = session.handle();

    uint8_t version[version_length + 1] = {0};
    check(srd_ver(h, version_length, version), "srd_ver");
    uint8_t serial[serial_length];
    check(srd_snr(h, serial_length, serial), "srd_snr");
    uint8_t device_code[device_code_length];
    check(srd_dvsc(h, device_code_length, device_code), "srd_dvsc");
    int16_t state = 0;
    check(get_status(h, &state), "get_status");

    if (args.has("json")) {
        JsonObject()
            .text("library", reinterpret_cast<const char*>(library))
            .text("reader", reinterpret_cast<const char*>(version))
            .number("port", session.port())
            .text("device", session.device())
            .number("baud", session.baud())
            .text("serial", to_hex(serial))
            .text("device_code", to_hex(device_code))
            .flag("card_present", state != 0)
            .number("card_state", state)
            .print();
        return 0;
    }
    std::printf("library      %s\n", reinterpret_cast<const char*>(library));
    std::printf("reader       %s\n", reinterpret_cast<const char*>(version));
    std::printf("port         %d at %ld baud\n", session.port(), static_cast<long>(session.baud()));
    std::printf("serial       %s\n", to_hex(serial).c_str());
    std::printf("device code  %s\n", to_hex(device_code).c_str());
    if (state == 0)
        std::printf("card         none\n");
    else
        std::printf("card         present (state %d)\n", state);
    return 0;
}

}  // namespace

constexpr Command info_command{"info", "", "show the library and reader versions, serial number, device code and card state",
                          options, run_info};

}  // namespace quillet_tool
