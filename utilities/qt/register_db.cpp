#include "register_db.h"

#include <qdrawutil.h>

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <ranges>

#include "../frame/window.h"
#include "look.h"

namespace quillet::ui::qt {
namespace {

QString text_of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString name_of(std::string_view name) { return text_of(name); }

void colour_widget(QWidget& widget, const Control& control) {
    QPalette palette = widget.palette();
    if (const auto text = colour_of(control.text_colour, palette)) {
        palette.setColor(QPalette::WindowText, *text);
        palette.setColor(QPalette::ButtonText, *text);
    }
    if (const auto background = colour_of(control.background, palette)) {
        palette.setColor(QPalette::Window, *background);
        widget.setAutoFillBackground(true);
    }
    widget.setPalette(palette);
}

}  // namespace

RegisterDb::RegisterDb(const Program& program, System& system)
    : program_(program), events_{*this, system}, controls_(window_controls(program)) {
    setObjectName("register_db");
    setWindowTitle(text_of(window_title));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, *colour_of(window_background, palette));
    setPalette(palette);
    setAutoFillBackground(true);

    // Qt stacks later children above earlier ones; the control list has the topmost control first.
    for (const Control& c : std::views::reverse(controls_)) add_control(c);
    QWidget* previous = nullptr;
    for (std::string_view name : tab_sequence(controls_)) {
        QWidget* next = control(name);
        if (previous != nullptr && next != nullptr) setTabOrder(previous, next);
        previous = next;
    }
}

void RegisterDb::add_control(const Control& c) {
    QWidget* widget = nullptr;
    if (c.kind == Kind::static_text) {
        auto* label = new QLabel(text_of(c.text), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
    } else if (c.kind == Kind::push_button) {
        auto* button = new QPushButton(text_of(c.text), this);
        button->setFocusPolicy(c.tab_order > 0 ? Qt::StrongFocus : Qt::ClickFocus);
        button->setAutoDefault(false);
        const std::string_view name = c.name;
        connect(button, &QPushButton::clicked, this, [this, name] { clicked(program_, name, events_); });
        widget = button;
    } else {
        return;  // rectangles and group boxes are drawn by paintEvent
    }
    widget->setObjectName(name_of(c.name));
    widget->setFont(font_of(c.font));
    widget->setGeometry(pixels_of(c.rect, dpi()));
    colour_widget(*widget, c);
}

QWidget* RegisterDb::control(std::string_view name) const { return findChild<QWidget*>(name_of(name)); }

Size RegisterDb::screen_pixels() const {
    const QSize size = screen()->geometry().size();
    return {size.width(), size.height()};
}

Dpi RegisterDb::dpi() const {
    const QScreen* s = screen();
    return {static_cast<int>(std::lround(s->logicalDotsPerInchX())),
            static_cast<int>(std::lround(s->logicalDotsPerInchY()))};
}

void RegisterDb::move_to(Point units) {
    const Point pixels = units_to_pixels(units, dpi());
    move(pixels.x, pixels.y);  // a top-level widget's position is that of its frame
}

void RegisterDb::set_text(std::string_view name, std::string_view text) {
    if (auto* label = qobject_cast<QLabel*>(control(name))) label->setText(text_of(text));
    if (auto* button = qobject_cast<QPushButton*>(control(name))) button->setText(text_of(text));
}

void RegisterDb::set_enabled(std::string_view name, bool enabled) {
    if (QWidget* widget = control(name)) widget->setEnabled(enabled);
}

void RegisterDb::close_window() { close(); }

void RegisterDb::fit_outer_size() {
    const Size outer = units_to_pixels(program_.size, dpi());
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    setFixedSize(outer.width - frame.left() - frame.right(), outer.height - frame.top() - frame.bottom());
}

void RegisterDb::open() {
    winId();  // the platform window, whose frame margins size the client area
    fit_outer_size();
    open_event(program_, events_);
    show();
    // Some window systems report the frame only once the window is shown.
    QTimer::singleShot(0, this, [this] { fit_outer_size(); });
    const auto sequence = tab_sequence(controls_);
    if (!sequence.empty()) {
        if (QWidget* first = control(sequence.front())) first->setFocus(Qt::OtherFocusReason);
    }
}

void RegisterDb::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Dpi resolution = dpi();
    for (const Control& c : std::views::reverse(controls_)) {
        const QRect area = pixels_of(c.rect, resolution);
        const QColor fill = colour_of(c.background, palette()).value_or(palette().color(QPalette::Window));
        if (c.kind == Kind::rectangle) {
            const QColor line = colour_of(c.text_colour, palette()).value_or(fill);
            const int across = std::max(1, units_to_pixels_x(c.border, resolution));
            const int down = std::max(1, units_to_pixels_y(c.border, resolution));
            painter.fillRect(area, line);
            painter.fillRect(area.adjusted(across, down, -across, -down), fill);
        } else if (c.kind == Kind::group_box) {
            painter.fillRect(area, fill);
            qDrawShadeRect(&painter, area, palette(), true, 1);
        }
    }
}

}  // namespace quillet::ui::qt
