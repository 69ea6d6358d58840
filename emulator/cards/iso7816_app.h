// The application inside the virtual processor card: ISO/IEC 7816-4 commands on the card's file
// system, one command APDU in, one response APDU (data, SW1 SW2) out.
//
//   A4 SELECT            P1 00 (FID, or the MF without data), 01 child DF, 02 EF, 03 parent DF,
//                        04 by DF name (a leading part of it); P2 00 FCI, 04 FCP, 0C nothing
//   B0 READ BINARY       offset P1 P2 (P1 bit 8: short file identifier in P1 bits 1..5)
//   D6 UPDATE BINARY     as READ BINARY
//   B2 READ RECORD       record P1, P2 = SFI << 3 | 4 (SFI 0: the current file)
//   DC UPDATE RECORD     as READ RECORD; the data is the whole record
//   84 GET CHALLENGE     8 random bytes
//   20 VERIFY            PIN reference P2; no data asks for the state (9000 or 63Cx)
//   C0 GET RESPONSE      the data a case-4 command left
//
// Le as a card with T=0 habits sees it: a case-4 command with response data answers 61xx and
// leaves the data for GET RESPONSE; a read whose Le asks for more than there is (READ BINARY,
// GET RESPONSE), or for other than a whole record or challenge, answers 6Cxx with the right Le.
// Security state (PINs presented) and the current files last until the next reset.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <utility>

#include "emulator/cards/iso7816_files.h"

namespace vreader::iso7816 {

class Application {
public:
    Application() : image_(factory_image()) {}

    // The reset: MF selected, no EF, no PIN presented, nothing left for GET RESPONSE.
    void start_session();
    Bytes process(std::span<const uint8_t> command);

    const CardImage& image() const { return image_; }
    void load(CardImage image);
    // True (once) after a command changed the image: file contents or a retry counter.
    bool take_changed() { return std::exchange(changed_, false); }

private:
    struct Command {
        uint8_t cla, ins, p1, p2;
        std::span<const uint8_t> data;
        std::optional<size_t> ne;  // Le present: case 2 or 4 (Le 00 asks for 256)
        bool case4() const { return ne && !data.empty(); }
    };
    struct Response {
        Bytes data;
        uint16_t sw = 0x9000;
    };
    static std::optional<Command> parse(std::span<const uint8_t> apdu);
    Response dispatch(const Command& c);

    Response select(const Command& c);
    Response read_binary(const Command& c);
    Response update_binary(const Command& c);
    Response read_record(const Command& c);
    Response update_record(const Command& c);
    Response get_challenge(const Command& c);
    Response verify(const Command& c);
    Response get_response(const Command& c);

    // Selection helpers; -1: not found.
    int select_by_id(uint16_t id) const;
    int select_by_name(std::span<const uint8_t> name) const;
    void make_current(int index);
    Bytes control_parameters(int index, uint8_t template_tag) const;
    // The EF a binary or record command works on: by short identifier, or the current one.
    std::optional<uint16_t> target_ef(uint8_t sfi, FileKind kind, int& index);
    bool granted(const Access& access) const;

    CardImage image_;
    int current_df_ = 0;
    int current_ef_ = -1;
    std::bitset<256> presented_;
    Bytes pending_;
    bool changed_ = false;
    std::mt19937 random_{std::random_device{}()};
};

}  // namespace vreader::iso7816
