#include "../frame/run.h"

#include <QApplication>

#include "../frame/host_system.h"
#include "run_window.h"

namespace quillet::ui {

int run(const Program& program, int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(application_name.data(), application_name.size()));
    HostSystem system;
    return qt::run_window(program, system);
}

}  // namespace quillet::ui
