#include "fonts.h"

#include <algorithm>
#include <array>
#include <span>

namespace quillet::ui {
namespace {

// Windows names first (the Chinese and the Latin name of each face), then the Debian fonts-arphic faces.
constexpr std::string_view kai[] = {"楷体_GB2312", "KaiTi_GB2312",  "楷体",           "KaiTi",
                                    "SimKai",      "AR PL UKai CN", "AR PL KaitiM GB"};
constexpr std::string_view song[] = {"宋体", "SimSun", "新宋体", "NSimSun", "AR PL UMing CN", "AR PL SungtiL GB"};
constexpr std::string_view arial[] = {"Arial", "Liberation Sans", "Arimo", "Helvetica", "DejaVu Sans"};

struct Family {
    std::string_view face;
    std::span<const std::string_view> candidates;
};

constexpr std::array families{Family{kai[0], kai}, Family{song[0], song}, Family{arial[0], arial}};

}  // namespace

std::vector<std::string_view> font_candidates(std::string_view face) {
    std::vector<std::string_view> names{face};
    for (const Family& family : families) {
        if (std::ranges::find(family.candidates, face) == family.candidates.end()) continue;
        for (std::string_view name : family.candidates) {
            if (name != face) names.push_back(name);
        }
    }
    return names;
}

}  // namespace quillet::ui
