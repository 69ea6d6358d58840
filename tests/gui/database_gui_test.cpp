#include <QApplication>
#include <QScreen>
#include <QTest>

#include "database/database.h"
#include "qt/run_window.h"
#include "window_fixture.h"

namespace quillet::testing {
namespace {

class DatabaseWindow : public WindowTest {
protected:
    void SetUp() override { provide({"dbsrv10.exe"}); }
};

TEST_F(DatabaseWindow, OpensCentredWithItsTexts) {
    write_vt_ini("[sqlca]\ndatabase=main\nnet=server\n");
    open(database::program);
    // The 1024 x 768 case: 1340, 924 units, 293, 231 pixels; 2002 x 1224 units are 438 x 306 pixels.
    EXPECT_EQ(window->frameGeometry(), QRect(293, 231, 438, 306));
    EXPECT_EQ(window->windowTitle(), QString("数据库创建"));
    EXPECT_EQ(text("st_6"), QString("启动数据库:"));
    EXPECT_EQ(text("cb_2"), QString("启动数据库服务器"));
    EXPECT_EQ(text("st_1"), QString("只须在服务器上运行，启动数据库后，工作站上直接运行软件即可"));
    EXPECT_EQ(text("cb_1"), QString("退出"));
    EXPECT_EQ(button("cb_1")->geometry(), QRect(347, 231, 75, 30));  // 1586, 924, 343 x 120 units
    EXPECT_TRUE(button("cb_2")->isEnabled());
    screenshot("database-linux");
}

TEST_F(DatabaseWindow, StartButtonDisabledOnAWorkstation) {
    write_vt_ini("[SQLCA]\nnet = work\ndatabase=main\n");
    open(database::program);
    EXPECT_FALSE(button("cb_2")->isEnabled());
    EXPECT_TRUE(button("cb_1")->isEnabled());
    click("cb_2");
    QTest::qWait(300);
    EXPECT_FALSE(std::filesystem::exists(dir / "record.txt")) << "a disabled button started the server";
    screenshot("database-linux-workstation");
}

TEST_F(DatabaseWindow, StartButtonEnabledForAnyOtherRole) {
    for (std::string_view lines : {"net=server\n", "net=\n", "database=main\n", "net=workstation\n"}) {
        write_vt_ini("[sqlca]\n" + std::string(lines));
        open(database::program);
        EXPECT_TRUE(button("cb_2")->isEnabled()) << lines;
    }
    std::filesystem::remove(dir / "vt.ini");
    open(database::program);
    EXPECT_TRUE(button("cb_2")->isEnabled());
}

TEST_F(DatabaseWindow, EachPressStartsOneMoreServerWithTheKey) {
    write_vt_ini("[sqlca]\ndatabase=main\n");
    open(database::program);
    EXPECT_LT(click("cb_2") + click("cb_2"), 1.0) << "a press waited for the server";
    const auto records = record_lines(dir, 2);
    ASSERT_EQ(records.size(), 2u);
    for (const Record& r : records) {
        EXPECT_EQ(r.program, "dbsrv10.exe");
        EXPECT_EQ(r.words, "[main.db] [-ek] [quvo58214763]");
    }
    EXPECT_NE(records[0].pid, records[1].pid);
    EXPECT_LT(std::abs(records[0].started - records[1].started), 1.5);
}

TEST_F(DatabaseWindow, NameIsReadAtEachPressAndPassedUnquoted) {
    write_vt_ini("[sqlca]\ndatabase=main\n");
    open(database::program);
    write_vt_ini("[sqlca]\ndatabase=my db\n");
    click("cb_2");
    const auto records = record_lines(dir, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].words, "[my] [db.db] [-ek] [quvo58214763]");
}

TEST_F(DatabaseWindow, WithoutVtIniTheServerGetsTheOneSpaceName) {
    open(database::program);
    EXPECT_TRUE(button("cb_2")->isEnabled());
    click("cb_2");
    const auto records = record_lines(dir, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].words, "[.db] [-ek] [quvo58214763]");
}

TEST_F(DatabaseWindow, ExitEndsTheProgramAndTheServerRunsOn) {
    write_vt_ini("[sqlca]\ndatabase=main\n");
    const int result = run_until_closed(database::program, [](QWidget& top) {
        QTest::mouseClick(top.findChild<QPushButton*>("cb_2"), Qt::LeftButton);
        QTest::mouseClick(top.findChild<QPushButton*>("cb_1"), Qt::LeftButton);
    });
    EXPECT_EQ(result, 0);
    std::size_t ends = 0;
    const auto records = record_lines(dir.path(), 1, &ends);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(ends, 1u) << "the server did not run to its end after the window closed";
}

TEST_F(DatabaseWindow, MissingServerChangesNothingOnScreen) {
    std::filesystem::remove(dir / "dbsrv10.exe");
    write_vt_ini("[sqlca]\ndatabase=main\n");
    open(database::program);
    const auto windows = QApplication::topLevelWidgets().size();
    click("cb_2");
    QApplication::processEvents();
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(button("cb_2")->isEnabled());
}

}  // namespace
}  // namespace quillet::testing
