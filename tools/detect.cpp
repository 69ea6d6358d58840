#include "tools/detect.h"

#include <array>

#include "quillet.h"
#include "tools/families.h"

namespace quillet_tool {

namespace {

// The families chk_card does not try, by their own checks (those that tell a card apart), contacts
// off before each as chk_card does.
const Family* by_untried_checks(int32_t handle) {
    for (const Family& f : families()) {
        if (f.card_type != 0 || !f.check_identifies) continue;
        turn_off(handle);  // its status does not matter: the check decides
        if (f.check(handle) == 0) return &f;
    }
    return nullptr;
}

}  // namespace

std::string detect_card(int32_t handle, StatusLine& progress) {
    progress.show("trying every card family (chk_card)");
    if (const Family* family = family_of_card_type(chk_card(handle))) return std::string(family->name);
    progress.show("trying the families chk_card does not know");
    if (const Family* family = by_untried_checks(handle)) return std::string(family->name);
    progress.show("resetting a processor card");
    std::array<uint8_t, QL_CPU_ANSWER_MAX> answer{};
    if (cpu_reset(handle, answer.data()) == 0) return "cpu";
    return {};
}

}  // namespace quillet_tool
