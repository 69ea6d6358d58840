// Card detection through the library's chk_card, which tries the families in its fixed order and
// answers with a card type number.
#include <array>
#include <string_view>

#include "quillet.h"
#include "tools/detect.h"

namespace quillet_tool {

namespace {

struct CardType {
    int16_t number;
    std::string_view family;
};

constexpr std::array card_types{
    CardType{40, "sle4404"},    CardType{41, "sle4406"},    CardType{51, "at88sc102"}, CardType{52, "at88sc1604"},
    CardType{53, "at88sc1604b"}, CardType{54, "at88sc1608"}, CardType{55, "at88sc153"}, CardType{31, "sle4428"},
    CardType{21, "sle4442"},    CardType{22, "2042"},       CardType{10, "at45d041"},  CardType{60, "93c46a"},
    CardType{61, "93c46"},      CardType{62, "93c57"},      CardType{5, "24c16"},      CardType{4, "24c08"},
    CardType{3, "24c04"},       CardType{2, "24c02"},       CardType{1, "24c01a"},     CardType{7, "24c64"},
    CardType{6, "24c32"},       CardType{12, "ssf1101"},
};

}  // namespace

std::string detect_card_family(int32_t handle, StatusLine& progress) {
    progress.show("trying every card family (chk_card; up to a minute without a reader)");
    const int16_t number = chk_card(handle);
    for (const auto& type : card_types)
        if (type.number == number) return std::string(type.family);
    return {};
}

}  // namespace quillet_tool
