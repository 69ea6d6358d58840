// The control channel's commands: one text line in, one or more lines out, the last of which
// starts with "ok" (followed by the answer, if any) or "err" (followed by the reason). Lines
// before the last carry listings (frame log lines start with '>', '<' or '#').
//
//   ping                          ok
//   status                        ok contacts=on card=sle4442 rate=9600 parallel=nibble link=0x04 frames=12 pulls=0 sam=1
//   insert FAMILY[:FILE]          a card into the main slot (FILE: its contents, saved back with --save)
//   remove                        empties the main slot
//   sam N FAMILY[:FILE] | sam N none   a SAM into slot N (1..5) (FILE: its contents), or out of it
//   card                          ok FAMILY, or ok none
//   speed N                       ok 0xVV: the card speed value last set for slot N (0..5)
//   contents [N]                  ok HEX: the image of the main card (or of SAM N)
//   load HEX                      replaces the main card's image
//   save                          writes the main card's image to its file
//   version [TEXT]                reads or sets the version text (the rest of the line, spaces kept)
//   rate [BAUD]                   reads or sets the serial rate (at once, as if the reader restarted)
//   parallel [nibble|byte]        reads or sets the parallel mode
//   link [BYTE]                   reads or sets the whole link byte
//   mem read ADDR N               ok HEX: N bytes of reader memory from ADDR
//   mem write ADDR HEX            writes reader memory (the link byte too, unlike command B6)
//   empty-state zero|86|89        how the card-present query answers for an empty slot
//   card-state N|card             a fixed state byte for the card-present query, or the card's own
//   card-set NAME VALUE           a setting of the main card's own ("status 0xFF", "busy 2")
//   fault WHAT                    plans a fault (emulator/core/fault_plan.h): "drop", "status 0x86 next 3", ...
//   fault list | fault clear
//   log                           the frame log, one line per entry, then ok COUNT
//   log clear
//   beeps | beeps clear           ok U1 U2 ...: buzzer units (10 ms) in order
//   quit | stop                   ok, then the program ends (saving contents if asked)
// Numbers are decimal or 0x-prefixed hex; HEX is pairs of hex digits, spaces allowed.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/core/reader.h"

namespace vreader {

struct ControlContext {
    Reader& reader;
    std::string card_file;  // contents file of the main card ("" : none)
    bool quit = false;      // set by "quit"
    bool image_loaded = false;  // set by "load": the card's image was replaced from outside
    std::array<std::string, Reader::sam_slots + 1> sam_files{};  // contents files of SAMs 1..5 ("" : none)
};

std::vector<std::string> run_control_command(ControlContext& context, std::string_view line);

}  // namespace vreader
