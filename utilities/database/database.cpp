#include "database.h"

#include <algorithm>

namespace quillet::database {
namespace {

using ui::Control;
using ui::Kind;

constexpr std::string_view start_button = "cb_2";

constexpr Control controls[] = {
    {"st_6", Kind::static_text, {55, 276, 553, 76}, "启动数据库:", ui::kai_14_bold, ui::window_text, ui::white},
    {"st_1",
     Kind::static_text,
     {142, 752, 1600, 80},
     "只须在服务器上运行，启动数据库后，工作站上直接运行软件即可",
     ui::arial_9,
     ui::window_text,
     ui::window_background},
    {start_button, Kind::push_button, {658, 428, 768, 144}, "启动数据库服务器", ui::arial_9, {}, {}, 70},
};

std::string profile(ui::Events& events, std::string_view key) {
    return events.system.profile_string(ui::profile_file, "sqlca", key, ui::profile_default);
}

// The button's state is decided here, once.
void refuse_on_workstation(ui::Events& events) {
    if (is_workstation(profile(events, "net"))) events.window.set_enabled(start_button, false);
}

// One more server process each press; it runs on after the window closes.
void start_server(ui::Events& events) { events.system.start(server_command(profile(events, "database"))); }

constexpr ui::ClickHandler clicks[] = {{start_button, start_server}};

}  // namespace

std::string server_command(std::string_view database) {
    std::string command = "dbsrv10.exe ";
    command.append(database).append(".db -ek ").append(database_key);
    return command;
}

bool is_workstation(std::string_view net) {
    constexpr std::string_view workstation = "work";
    return std::ranges::equal(net, workstation, [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

const ui::Program program{"database", {2002, 1224}, controls, {1586, 924}, refuse_on_workstation, clicks};

}  // namespace quillet::database
