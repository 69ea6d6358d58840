// The operator window on Qt Widgets, drawn from the window description.
#pragma once

#include <QWidget>
#include <string_view>
#include <vector>

#include "../frame/control.h"
#include "../frame/program.h"

namespace quillet::ui::qt {

class RegisterDb final : public QWidget, public Window {
public:
    RegisterDb(const Program& program, System& system);

    // Runs the open event and shows the window with the focus on the first button of the tab sequence.
    void open();

    Size screen_pixels() const override;
    Dpi dpi() const override;
    void move_to(Point units) override;
    void set_text(std::string_view control, std::string_view text) override;
    void set_enabled(std::string_view control, bool enabled) override;
    void close_window() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* control(std::string_view name) const;
    void add_control(const Control& control);
    void fit_outer_size();  // the description's sizes are outer sizes, frame and title bar included

    const Program& program_;
    Events events_;
    std::vector<Control> controls_;
};

}  // namespace quillet::ui::qt
