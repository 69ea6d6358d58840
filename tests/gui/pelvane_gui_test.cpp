#include <QApplication>
#include <QFontInfo>
#include <QScreen>
#include <QTest>

#include "pelvane/pelvane.h"
#include "qt/run_window.h"
#include "window_fixture.h"

namespace quillet::testing {
namespace {

class PelvaneWindow : public WindowTest {
protected:
    void SetUp() override {
        provide({"rebuild1.bat", "rebuild2.bat"});
        write_vt_ini("[sqlca]\r\ndatabase=main\r\n");
    }
};

TEST_F(PelvaneWindow, OpensCentredOnTheScreenWithItsTexts) {
    open(pelvane::program);
    ASSERT_EQ(window->screen()->geometry(), QRect(0, 0, 1024, 768));
    // 2217 x 1756 units are 485 x 439 pixels, frame included; (1024 - 485) / 2 = 269.5 and
    // (768 - 439) / 2 = 164.5 by way of the units: 1232, 658 units.
    EXPECT_EQ(window->frameGeometry(), QRect(270, 165, 485, 439));
    EXPECT_EQ(window->windowTitle(), QString("数据库创建"));
    EXPECT_EQ(text("st_11"), QString("数据库：main.db   main.log"));
    EXPECT_EQ(text("st_3"), QString("数据库维护:"));
    EXPECT_EQ(text("st_4"), QString("当.db及.log文件过大时，先备份数据库，然后执行以下命令，将重建db文件"));
    EXPECT_EQ(text("cb_5"), QString("1.生成新数据库aaa"));
    EXPECT_EQ(text("st_7"), QString("2.到软件目录中删除原数据库.db及.log文件"));
    EXPECT_EQ(text("cb_6"), QString("3.重建原数据库"));
    EXPECT_EQ(text("st_9"), QString("4.到软件目录中删除数据库aaa.db及.log文件"));
    EXPECT_EQ(text("cb_1"), QString("退出"));
    EXPECT_EQ(text("st_5"), QString("启动数据库\\数据库维护"));
    EXPECT_FALSE(text("st_8").isEmpty());
    EXPECT_EQ(label("st_3")->geometry(), QRect(12, 92, 121, 19));  // 55, 368, 553 x 76 units
    EXPECT_EQ(button("cb_1")->geometry(), QRect(354, 361, 75, 30));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(192, 220, 192));
    EXPECT_EQ(label("st_4")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    screenshot("pelvane-linux");
}

TEST_F(PelvaneWindow, FontsFallBackToInstalledChineseFaces) {
    open(pelvane::program);
    EXPECT_EQ(label("st_3")->font().pointSize(), 14);
    EXPECT_TRUE(label("st_3")->font().bold());
    const QString kai = QFontInfo(label("st_3")->font()).family();
    const QString song = QFontInfo(label("st_8")->font()).family();
    EXPECT_TRUE(kai == "楷体_GB2312" || kai.contains("KaiTi") || kai.contains("UKai")) << kai.toStdString();
    EXPECT_TRUE(song == "宋体" || song.contains("SimSun") || song.contains("UMing")) << song.toStdString();
    // The header title is drawn: its strip holds pixels other than the white band.
    const QImage image = window->grab().toImage();
    EXPECT_TRUE(has_ink(image, label("st_5")->geometry(), Qt::white));
    EXPECT_FALSE(has_ink(image, QRect(300, 2, 8, 8), Qt::white)) << "the header band is white";
}

TEST_F(PelvaneWindow, FocusStartsAtTheExitButtonAndTabsToTheSteps) {
    open(pelvane::program);
    QApplication::setActiveWindow(window.get());
    EXPECT_EQ(QApplication::focusWidget(), button("cb_1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button("cb_6"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button("cb_5"));
}

TEST_F(PelvaneWindow, EachPressStartsOneMoreBatchFileWithoutWaiting) {
    open(pelvane::program);
    const double first = click("cb_5");
    const double second = click("cb_5");
    const double third = click("cb_6");
    EXPECT_LT(first + second + third, 1.0) << "a press waited for its batch file";
    const auto records = record_lines(dir, 3);
    ASSERT_EQ(records.size(), 3u);
    int rebuild1 = 0, rebuild2 = 0;
    for (const Record& r : records) {
        EXPECT_EQ(r.words, "") << "batch files get no arguments";
        rebuild1 += r.program == "rebuild1.bat";
        rebuild2 += r.program == "rebuild2.bat";
    }
    EXPECT_EQ(rebuild1, 2);
    EXPECT_EQ(rebuild2, 1);
    EXPECT_NE(records[0].pid, records[1].pid);
    // Both instances of rebuild1.bat run at once: each lives two seconds, and they started together.
    EXPECT_LT(std::abs(records[0].started - records[1].started), 1.5);
    EXPECT_EQ(text("st_11"), QString("数据库：main.db   main.log")) << "the label is set once, at open";
}

TEST_F(PelvaneWindow, MissingBatchFileChangesNothingOnScreen) {
    std::filesystem::remove(dir / "rebuild1.bat");
    open(pelvane::program);
    const auto windows = QApplication::topLevelWidgets().size();
    click("cb_5");
    QApplication::processEvents();
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(std::filesystem::exists(dir / "record.txt"));
    EXPECT_EQ(text("st_11"), QString("数据库：main.db   main.log"));
}

TEST_F(PelvaneWindow, GbkNameWithDirectoryPartShownUnchanged) {
    write_vt_ini("[sqlca]\r\ndatabase=\xCA\xFD\xBE\xDD\\main\r\n");  // 数据\main in GBK
    open(pelvane::program);
    EXPECT_EQ(text("st_11"), QString("数据库：数据\\main.db   数据\\main.log"));
    screenshot("pelvane-linux-gbk");
}

TEST_F(PelvaneWindow, WithoutVtIniTheNameIsOneSpace) {
    std::filesystem::remove(dir / "vt.ini");
    open(pelvane::program);
    EXPECT_EQ(text("st_11"), QString("数据库： .db    .log"));
}

TEST_F(PelvaneWindow, ExitButtonEndsTheProgram) {
    const int result = run_until_closed(
        pelvane::program, [](QWidget& top) { QTest::mouseClick(top.findChild<QPushButton*>("cb_1"), Qt::LeftButton); });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "record.txt"));
}

TEST_F(PelvaneWindow, ControlMenuCloseEndsTheProgramTheSameWay) {
    const int result = run_until_closed(pelvane::program, [](QWidget& top) { top.windowHandle()->close(); });
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace quillet::testing
