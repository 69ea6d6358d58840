#include "pelvane.h"

namespace quillet::pelvane {
namespace {

using ui::Control;
using ui::Kind;

constexpr Control controls[] = {
    {"st_11", Kind::static_text, {713, 372, 1198, 68}, "", ui::arial_10, ui::window_text, ui::button_face},
    {"st_9",
     Kind::static_text,
     {311, 1224, 1477, 80},
     "4.到软件目录中删除数据库aaa.db及.log文件",
     ui::arial_10,
     ui::window_text,
     ui::window_background},
    {"st_7",
     Kind::static_text,
     {315, 928, 1458, 80},
     "2.到软件目录中删除原数据库.db及.log文件",
     ui::arial_10,
     ui::window_text,
     ui::window_background},
    {"st_4",
     Kind::static_text,
     {55, 628, 1902, 64},
     "当.db及.log文件过大时，先备份数据库，然后执行以下命令，将重建db文件",
     ui::arial_9,
     ui::red,
     ui::white},
    {"cb_6", Kind::push_button, {302, 1060, 640, 112}, "3.重建原数据库", ui::arial_10, {}, {}, 90},
    {"cb_5", Kind::push_button, {306, 768, 741, 112}, "1.生成新数据库aaa", ui::arial_10, {}, {}, 90},
    {"st_3", Kind::static_text, {55, 368, 553, 76}, "数据库维护:", ui::kai_14_bold, ui::window_text, ui::white},
};

void show_file_names(ui::Events& events) {
    const std::string database =
        events.system.profile_string(ui::profile_file, "sqlca", "database", ui::profile_default);
    events.window.set_text("st_11", file_names_label(database));
}

// Each press starts one more instance of its batch file; the result is not looked at.
void make_new_database(ui::Events& events) { events.system.start("rebuild1.bat"); }
void rebuild_former_database(ui::Events& events) { events.system.start("rebuild2.bat"); }

constexpr ui::ClickHandler clicks[] = {{"cb_5", make_new_database}, {"cb_6", rebuild_former_database}};

}  // namespace

std::string file_names_label(std::string_view database) {
    std::string label = "数据库：";
    label.append(database).append(".db").append("   ").append(database).append(".log");
    return label;
}

const ui::Program program{"pelvane", {2217, 1756}, controls, {1618, 1444}, show_file_names, clicks};

}  // namespace quillet::pelvane
