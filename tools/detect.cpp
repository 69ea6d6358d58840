#include "tools/detect.h"

#include <array>

#include "quillet.h"
#include "tools/families.h"

namespace quillet_tool {

std::string detect_card(int32_t handle, StatusLine& progress) {
    progress.show("trying every card family (chk_card; up to a minute without a reader)");
    if (const Family* family = family_of_card_type(chk_card(handle))) return std::string(family->name);
    progress.show("resetting a processor card");
    std::array<uint8_t, QL_CPU_ANSWER_MAX> answer{};
    if (cpu_reset(handle, answer.data()) == 0) return "cpu";
    return {};
}

}  // namespace quillet_tool
