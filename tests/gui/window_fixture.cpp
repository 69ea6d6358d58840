#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTimer>

namespace quillet::testing {

void WindowTest::provide(std::initializer_list<std::string_view> programs) {
    for (std::string_view name : programs) dir.write(name, recorder, true);
}

void WindowTest::open(const ui::Program& program) {
    window = std::make_unique<ui::qt::RegisterDb>(program, system);
    window->open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
}

QLabel* WindowTest::label(const char* name) const { return window->findChild<QLabel*>(name); }

QPushButton* WindowTest::button(const char* name) const { return window->findChild<QPushButton*>(name); }

QString WindowTest::text(const char* name) const {
    if (const QLabel* l = label(name)) return l->text();
    if (const QPushButton* b = button(name)) return b->text();
    ADD_FAILURE() << "no control " << name;
    return {};
}

void WindowTest::screenshot(const char* name) const {
    const QString directory = qEnvironmentVariable("QUILLET_SCREENSHOTS");
    if (directory.isEmpty()) return;
    QDir().mkpath(directory);
    EXPECT_TRUE(window->grab().save(directory + "/" + name + ".png")) << name;
}

double WindowTest::click(const char* name) const {
    QPushButton* target = button(name);
    if (target == nullptr) {
        ADD_FAILURE() << "no button " << name;
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(target, Qt::LeftButton);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

int WindowTest::run_until_closed(const ui::Program& program, const std::function<void(QWidget&)>& action) {
    QTimer act;
    act.setSingleShot(true);
    QObject::connect(&act, &QTimer::timeout, [&action] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "register_db" && top->isVisible()) action(*top);
        }
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(still_open); });
    act.start(50);
    guard.start(10000);
    return ui::qt::run_window(program, system);
}

void WindowTest::TearDown() {
    window.reset();
    QApplication::processEvents();
}

bool has_ink(const QImage& image, const QRect& area, QColor background) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != background) return true;
        }
    }
    return false;
}

}  // namespace quillet::testing
