#include "register_db.h"

#include <algorithm>

#include "../frame/window.h"
#include "../platform/wide.h"

namespace quillet::ui::win32 {
namespace {

constexpr wchar_t class_name[] = L"register_db";
constexpr DWORD frame_style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Child control identifiers: the control's place in the control list plus this.
constexpr int first_id = 1000;

const COLORREF background_ref = RGB(window_background.red, window_background.green, window_background.blue);

bool register_class(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.style = CS_HREDRAW | CS_VREDRAW;
        description.lpfnWndProc = procedure;
        description.hInstance = GetModuleHandleW(nullptr);
        // The stock Windows logo icon and arrow cursor (IDI_WINLOGO, IDC_ARROW in their wide form).
        description.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32517));
        description.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        description.hbrBackground = nullptr;  // WM_PAINT fills the client area
        description.lpszClassName = class_name;
        return RegisterClassExW(&description) != 0;
    }();
    return registered;
}

}  // namespace

RegisterDb::RegisterDb(const Program& program, System& system)
    : program_(program), events_{*this, system}, controls_(window_controls(program)) {
    HDC screen = GetDC(nullptr);
    dpi_ = {GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
}

RegisterDb::~RegisterDb() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool RegisterDb::open() {
    if (!register_class(&RegisterDb::procedure)) return false;
    // The description's size is the outer size, frame and title bar included, as CreateWindowExW takes it.
    const Size outer = units_to_pixels(program_.size, dpi_);
    CreateWindowExW(0, class_name, os::widen(window_title).c_str(), frame_style, CW_USEDEFAULT, CW_USEDEFAULT,
                    outer.width, outer.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) return false;
    create_children();
    order_tab_stops();
    open_event(program_, events_);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    const auto sequence = tab_sequence(controls_);
    if (!sequence.empty()) SetFocus(child(sequence.front()));
    return true;
}

void RegisterDb::create_children() {
    // Each new child goes below the ones before it: the first control of the list ends up on top.
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Control& c = controls_[i];
        const wchar_t* kind = nullptr;
        DWORD style = WS_CHILD | WS_VISIBLE;
        if (c.kind == Kind::static_text) {
            kind = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX;
        } else if (c.kind == Kind::push_button) {
            kind = L"BUTTON";
            style |= BS_PUSHBUTTON | (c.tab_order > 0 ? WS_TABSTOP : 0);
        } else {
            continue;  // rectangles and group boxes are painted by the window
        }
        const Rect r = units_to_pixels(c.rect, dpi_);
        HWND control = CreateWindowExW(0, kind, os::widen(c.text).c_str(), style, r.x, r.y, r.width, r.height, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(first_id + static_cast<int>(i))),
                                       GetModuleHandleW(nullptr), nullptr);
        if (control == nullptr) continue;
        HFONT font = font_for(c.font);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        children_.push_back({&c, control, font});
    }
}

// The tab key follows the children's stacking order; the buttons are put in tab sequence above the
// rest (no button overlaps another control, so nothing visible changes).
void RegisterDb::order_tab_stops() {
    HWND after = HWND_TOP;
    for (std::string_view name : tab_sequence(controls_)) {
        HWND button = child(name);
        if (button == nullptr) continue;
        SetWindowPos(button, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = button;
    }
}

HFONT RegisterDb::font_for(const Font& font) {
    for (const auto& [known, handle] : fonts_) {
        if (known == font) return handle.get();
    }
    fonts_.emplace_back(font, create_font(font, dpi_.y));
    return fonts_.back().second.get();
}

HWND RegisterDb::child(std::string_view name) const {
    for (const Child& c : children_) {
        if (c.control->name == name) return c.window;
    }
    return nullptr;
}

Size RegisterDb::screen_pixels() const { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Dpi RegisterDb::dpi() const { return dpi_; }

void RegisterDb::move_to(Point units) {
    const Point at = units_to_pixels(units, dpi_);
    SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegisterDb::set_text(std::string_view name, std::string_view text) {
    if (HWND control = child(name)) {
        SetWindowTextW(control, os::widen(text).c_str());
        InvalidateRect(control, nullptr, TRUE);
    }
}

void RegisterDb::set_enabled(std::string_view name, bool enabled) {
    if (HWND control = child(name)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void RegisterDb::close_window() {
    if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK RegisterDb::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<RegisterDb*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<RegisterDb*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, w, l);
    return self->handle_message(window, message, w, l);
}

LRESULT RegisterDb::handle_message(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED) {
                const std::size_t index = static_cast<std::size_t>(LOWORD(w)) - first_id;
                if (LOWORD(w) >= first_id && index < controls_.size())
                    clicked(program_, controls_[index].name, events_);
            }
            return 0;
        case WM_CTLCOLORSTATIC:
            return colour_static(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers the whole client area
        case WM_PAINT:
            paint();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);  // the only window: closing it ends the program
            return 0;
        default:
            return DefWindowProcW(window, message, w, l);
    }
}

LRESULT RegisterDb::colour_static(HDC dc, HWND control) {
    const auto found = std::ranges::find(children_, control, &Child::window);
    const Control* c = found != children_.end() ? found->control : nullptr;
    const COLORREF text = c != nullptr ? colour_ref(c->text_colour, GetSysColor(COLOR_WINDOWTEXT)) : 0;
    const COLORREF back = c != nullptr ? colour_ref(c->background, background_ref) : background_ref;
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    for (const auto& [colour, brush] : brushes_) {
        if (colour == back) return reinterpret_cast<LRESULT>(brush.get());
    }
    brushes_.emplace_back(back, BrushHandle(CreateSolidBrush(back)));
    return reinterpret_cast<LRESULT>(brushes_.back().second.get());
}

void RegisterDb::paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window_, &ps);
    RECT client{};
    GetClientRect(window_, &client);
    BrushHandle background(CreateSolidBrush(background_ref));
    FillRect(dc, &client, background.get());
    // Bottom of the stack first: the control list has the topmost control first.
    for (auto c = controls_.rbegin(); c != controls_.rend(); ++c) {
        const Rect r = units_to_pixels(c->rect, dpi_);
        RECT area{r.x, r.y, r.x + r.width, r.y + r.height};
        const COLORREF fill = colour_ref(c->background, background_ref);
        if (c->kind == Kind::rectangle) {
            BrushHandle line(CreateSolidBrush(colour_ref(c->text_colour, fill)));
            FillRect(dc, &area, line.get());
            const int across = std::max(1, units_to_pixels_x(c->border, dpi_));
            const int down = std::max(1, units_to_pixels_y(c->border, dpi_));
            RECT inside{area.left + across, area.top + down, area.right - across, area.bottom - down};
            BrushHandle inner(CreateSolidBrush(fill));
            FillRect(dc, &inside, inner.get());
        } else if (c->kind == Kind::group_box) {
            BrushHandle strip(CreateSolidBrush(fill));
            FillRect(dc, &area, strip.get());
            DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT);
        }
    }
    EndPaint(window_, &ps);
}

}  // namespace quillet::ui::win32
