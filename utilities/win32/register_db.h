// The operator window on the Win32 wide-character API, drawn from the window description.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "../frame/program.h"
#include "look.h"

namespace quillet::ui::win32 {

class RegisterDb final : public Window {
public:
    RegisterDb(const Program& program, System& system);
    ~RegisterDb();
    RegisterDb(const RegisterDb&) = delete;
    RegisterDb& operator=(const RegisterDb&) = delete;

    // Creates the window, runs the open event and shows it; false when the window cannot be created.
    bool open();
    HWND handle() const { return window_; }

    Size screen_pixels() const override;
    Dpi dpi() const override;
    void move_to(Point units) override;
    void set_text(std::string_view control, std::string_view text) override;
    void set_enabled(std::string_view control, bool enabled) override;
    void close_window() override;

private:
    struct Child {
        const Control* control;
        HWND window;
        HFONT font;
    };

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle_message(HWND window, UINT message, WPARAM w, LPARAM l);
    void create_children();
    void order_tab_stops();
    void paint();
    LRESULT colour_static(HDC dc, HWND child);
    HWND child(std::string_view name) const;
    HFONT font_for(const Font& font);

    const Program& program_;
    Events events_;
    std::vector<Control> controls_;
    std::vector<Child> children_;
    std::vector<std::pair<Font, FontHandle>> fonts_;
    std::vector<std::pair<COLORREF, BrushHandle>> brushes_;
    HWND window_ = nullptr;
    Dpi dpi_;
};

}  // namespace quillet::ui::win32
