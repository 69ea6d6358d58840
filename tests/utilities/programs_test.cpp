// The two programs' windows and events against a recording window and system.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "database/database.h"
#include "frame/command.h"
#include "frame/profile.h"
#include "frame/window.h"
#include "pelvane/pelvane.h"

namespace quillet {
namespace {

using Names = std::vector<std::string_view>;

class FakeWindow final : public ui::Window {
public:
    ui::Size screen{1024, 768};
    std::optional<ui::Point> moved;
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> enabled;
    int closes = 0;

    ui::Size screen_pixels() const override { return screen; }
    ui::Dpi dpi() const override { return {96, 96}; }
    void move_to(ui::Point units) override { moved = units; }
    void set_text(std::string_view control, std::string_view text) override { texts[std::string(control)] = text; }
    void set_enabled(std::string_view control, bool on) override { enabled[std::string(control)] = on; }
    void close_window() override { ++closes; }
};

// vt.ini as text, or no vt.ini at all.
class FakeSystem final : public ui::System {
public:
    std::optional<std::string> vt_ini;
    std::vector<std::string> lookups;
    std::vector<std::string> started;

    std::string profile_string(std::string_view file, std::string_view section, std::string_view key,
                               std::string_view fallback) override {
        lookups.push_back(std::string(file) + "|" + std::string(section) + "|" + std::string(key) + "|" +
                          std::string(fallback));
        if (file != "vt.ini" || !vt_ini) return std::string(fallback);
        return ui::profile_value(*vt_ini, section, key, fallback);
    }
    bool start(std::string_view command_line) override {
        started.emplace_back(command_line);
        return false;  // the programs do not look at the result
    }
};

class ProgramEvents : public ::testing::Test {
protected:
    FakeWindow window;
    FakeSystem system;
    ui::Events events{window, system};

    void configure(std::string_view sqlca_lines) { system.vt_ini = "[sqlca]\n" + std::string(sqlca_lines); }
};

Names names_of(const std::vector<ui::Control>& controls) {
    Names names;
    for (const ui::Control& c : controls) names.push_back(c.name);
    return names;
}

TEST(WindowDescription, ControlListOrder) {
    EXPECT_EQ(names_of(ui::window_controls(pelvane::program)),
              (Names{"st_11", "st_9", "st_7", "st_4", "cb_6", "cb_5", "st_3", "cb_1", "st_8", "st_5", "gb_1", "gb_2",
                     "r_1"}));
    EXPECT_EQ(names_of(ui::window_controls(database::program)),
              (Names{"st_6", "st_1", "cb_2", "cb_1", "st_8", "st_5", "gb_1", "gb_2", "r_1"}));
}

TEST(WindowDescription, TabSequenceStartsAtTheExitButton) {
    EXPECT_EQ(ui::tab_sequence(ui::window_controls(pelvane::program)), (Names{"cb_1", "cb_6", "cb_5"}));
    EXPECT_EQ(ui::tab_sequence(ui::window_controls(database::program)), (Names{"cb_1", "cb_2"}));
}

TEST_F(ProgramEvents, PelvaneOpensCentredAndShowsTheFileNames) {
    configure("database=main\n");
    ui::open_event(pelvane::program, events);
    EXPECT_EQ(window.moved, (ui::Point{1232, 658}));
    EXPECT_EQ(window.texts["st_11"], "数据库：main.db   main.log");
    EXPECT_EQ(system.lookups, (std::vector<std::string>{"vt.ini|sqlca|database| "}));
    EXPECT_TRUE(system.started.empty());
}

TEST_F(ProgramEvents, PelvaneLabelForUnusualNames) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"database=data\\main\n", "数据库：data\\main.db   data\\main.log"},
        {"database=my db\n", "数据库：my db.db   my db.log"},
        {"net=work\n", "数据库： .db    .log"},
        {"database=\n", "数据库：.db   .log"},
    };
    for (const auto& [lines, label] : cases) {
        configure(lines);
        ui::open_event(pelvane::program, events);
        EXPECT_EQ(window.texts["st_11"], label) << lines;
    }
    system.vt_ini.reset();
    ui::open_event(pelvane::program, events);
    EXPECT_EQ(window.texts["st_11"], "数据库： .db    .log");
}

TEST_F(ProgramEvents, PelvaneButtonsStartTheirBatchFilesEachPress) {
    ui::clicked(pelvane::program, "cb_5", events);
    ui::clicked(pelvane::program, "cb_5", events);
    ui::clicked(pelvane::program, "cb_6", events);
    ui::clicked(pelvane::program, "st_11", events);
    EXPECT_EQ(system.started, (std::vector<std::string>{"rebuild1.bat", "rebuild1.bat", "rebuild2.bat"}));
    EXPECT_EQ(window.closes, 0);
    ui::clicked(pelvane::program, "cb_1", events);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(system.started.size(), 3u);
}

TEST_F(ProgramEvents, DatabaseOpensCentredAndRefusesOnAWorkstation) {
    configure("net=work\n");
    ui::open_event(database::program, events);
    EXPECT_EQ(window.moved, (ui::Point{1340, 924}));
    EXPECT_EQ(system.lookups, (std::vector<std::string>{"vt.ini|sqlca|net| "}));
    EXPECT_EQ(window.enabled, (std::map<std::string, bool, std::less<>>{{"cb_2", false}}));
}

TEST_F(ProgramEvents, DatabaseStartButtonStaysEnabledOffAWorkstation) {
    for (std::string_view lines : {"net=server\n", "net=\n", "database=main\n", "net=works\n", "net=wor\n"}) {
        configure(lines);
        ui::open_event(database::program, events);
        EXPECT_TRUE(window.enabled.empty()) << lines;
    }
    system.vt_ini.reset();
    ui::open_event(database::program, events);
    EXPECT_TRUE(window.enabled.empty());
}

TEST(Workstation, RoleComparisonIgnoresLetterCase) {
    for (std::string_view net : {"work", "WORK", "Work"}) EXPECT_TRUE(database::is_workstation(net)) << net;
    for (std::string_view net : {" ", "", "server", "work ", "wrk", "worker", "w0rk"}) {
        EXPECT_FALSE(database::is_workstation(net)) << net;
    }
}

TEST_F(ProgramEvents, DatabaseCommandLines) {
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {"[sqlca]\ndatabase=main\n", "dbsrv10.exe main.db -ek quvo58214763"},
        {"[sqlca]\ndatabase=data\\main\n", "dbsrv10.exe data\\main.db -ek quvo58214763"},
        {"[sqlca]\ndatabase=my db\n", "dbsrv10.exe my db.db -ek quvo58214763"},
        {"[sqlca]\nnet=work\n", "dbsrv10.exe  .db -ek quvo58214763"},
        {std::nullopt, "dbsrv10.exe  .db -ek quvo58214763"},
    };
    for (const auto& [vt_ini, command] : cases) {
        system.vt_ini = vt_ini;
        system.started.clear();
        ui::clicked(database::program, "cb_2", events);
        EXPECT_EQ(system.started, (std::vector<std::string>{command})) << command;
    }
    // The name is read at each press, not at open.
    EXPECT_EQ(system.lookups.back(), "vt.ini|sqlca|database| ");
    EXPECT_EQ(database::database_key.size(), 12u);
}

TEST_F(ProgramEvents, DatabaseNameWithASpaceReachesTheServerAsSeparateWords) {
    configure("database=my db\n");
    ui::clicked(database::program, "cb_2", events);
    ASSERT_EQ(system.started.size(), 1u);
    EXPECT_EQ(ui::split_words(system.started[0]),
              (std::vector<std::string>{"dbsrv10.exe", "my", "db.db", "-ek", "quvo58214763"}));
}

TEST_F(ProgramEvents, DatabaseExitClosesAndLeavesWhatWasStarted) {
    configure("database=main\n");
    ui::clicked(database::program, "cb_2", events);
    ui::clicked(database::program, "cb_2", events);
    ui::clicked(database::program, "cb_1", events);
    EXPECT_EQ(system.started.size(), 2u);
    EXPECT_EQ(window.closes, 1);
}

TEST_F(ProgramEvents, LargeWindowOnASmallScreenOpensAtNegativeCoordinates) {
    window.screen = {320, 240};  // 1463 x 960 units
    ui::open_event(pelvane::program, events);
    EXPECT_EQ(window.moved, (ui::Point{-377, -398}));  // 731.5 - 1108.5, 480 - 878
}

}  // namespace
}  // namespace quillet
