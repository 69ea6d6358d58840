// One operator window on the offscreen screen, run in a scratch directory that holds vt.ini and
// recording stand-ins for the programs the window starts.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "frame/host_system.h"
#include "qt/register_db.h"
#include "qt/run_window.h"
#include "utilities/recorder.h"
#include "utilities/scratch.h"

namespace quillet::testing {

class WindowTest : public ::testing::Test {
protected:
    ScratchDir dir;
    InDirectory here{dir.path()};
    ui::HostSystem system;
    std::unique_ptr<ui::qt::RegisterDb> window;

    // Stand-ins that record their starts, under the names the programs start.
    void provide(std::initializer_list<std::string_view> programs);
    void write_vt_ini(std::string_view bytes) { dir.write("vt.ini", bytes); }

    void open(const ui::Program& program);
    QLabel* label(const char* name) const;
    QPushButton* button(const char* name) const;
    QString text(const char* name) const;

    // Saves what the window shows as screenshots/<name>.png in the build directory.
    void screenshot(const char* name) const;

    // Clicks the button and returns how long the click took.
    double click(const char* name) const;

    // Runs the program's window as the program does, lets `action` act on it once it is up, and returns
    // the event loop's result when the window has closed, or still_open after ten seconds.
    static constexpr int still_open = 99;
    int run_until_closed(const ui::Program& program, const std::function<void(QWidget&)>& action);

    void TearDown() override;
};

// A frame's pixels in the window image differ from the window's background colour there.
bool has_ink(const QImage& image, const QRect& area, QColor background);

}  // namespace quillet::testing
