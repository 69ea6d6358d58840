// chk_card's tries come from the family catalogue: every family with a detection rank, in rank
// order (the catalogue says why the order matters), contacts off before each try.
#include "cards/detection/card_detection.h"

#include <algorithm>
#include <array>

#include "quillet.h"
#include "quillet_families.h"
#include "core/export_pointers.h"

namespace quillet {

namespace {

struct Try {
    int rank;
    int16_t card_type;
    exports::Plain check;
};

// The check of each family, by its catalogue number.
constexpr std::array<exports::Plain, QL_FAMILY_COUNT> checks_by_family() {
    std::array<exports::Plain, QL_FAMILY_COUNT> checks{};
#define QL_KEEP_CHECK(key, check, identifies) checks[QL_FAMILY_##key] = check;
    QL_FAMILY_CHECKS(QL_KEEP_CHECK)
#undef QL_KEEP_CHECK
    return checks;
}

constexpr size_t ranked_families() {
    size_t count = 0;
#define QL_COUNT_RANKED(key, alias, type, rank, ...) count += (rank) > 0 ? 1 : 0;
    QL_FAMILIES(QL_COUNT_RANKED)
#undef QL_COUNT_RANKED
    return count;
}

constexpr auto tries = [] {
    constexpr auto checks = checks_by_family();
    std::array<Try, ranked_families()> ranked{};
    size_t n = 0;
#define QL_RANKED_TRY(key, alias, type, rank, ...) \
    if ((rank) > 0) ranked[n++] = Try{rank, type, checks[QL_FAMILY_##key]};
    QL_FAMILIES(QL_RANKED_TRY)
#undef QL_RANKED_TRY
    std::sort(ranked.begin(), ranked.end(), [](const Try& a, const Try& b) { return a.rank < b.rank; });
    return ranked;
}();

static_assert(tries.size() == 22, "chk_card tries 22 families");
// Whether each family has a check: from the list's rows rather than the addresses, which are not
// constants where the functions may be interposed (the sanitizer builds).
constexpr std::array<bool, QL_FAMILY_COUNT> has_check = [] {
    std::array<bool, QL_FAMILY_COUNT> found{};
#define QL_NOTE_CHECK(key, check, identifies) found[QL_FAMILY_##key] = true;
    QL_FAMILY_CHECKS(QL_NOTE_CHECK)
#undef QL_NOTE_CHECK
    return found;
}();

static_assert([] {
    for (size_t i = 0; i < tries.size(); ++i)
        if (tries[i].rank != static_cast<int>(i) + 1) return false;
    bool every_ranked_has_check = true;
#define QL_RANKED_CHECKED(key, alias, type, rank, ...) \
    if ((rank) > 0 && !has_check[QL_FAMILY_##key]) every_ranked_has_check = false;
    QL_FAMILIES(QL_RANKED_CHECKED)
#undef QL_RANKED_CHECKED
    return every_ranked_has_check;
}(), "the detection ranks run 1, 2, 3 ... and every ranked family has its check");

}  // namespace

int16_t detect_card_type(int32_t handle) {
    for (const Try& t : tries) {
        turn_off(handle);  // its status does not matter: the check decides
        if (t.check(handle) == 0) return t.card_type;
    }
    turn_off(handle);
    return 0;
}

}  // namespace quillet
