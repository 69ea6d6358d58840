#include "look.h"

#include <cwchar>

#include "../frame/fonts.h"
#include "../platform/wide.h"

namespace quillet::ui::win32 {
namespace {

int CALLBACK note_found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool installed(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, note_found, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

std::wstring installed_face(const Font& font) {
    for (std::string_view candidate : font_candidates(font.face)) {
        std::wstring face = os::widen(candidate);
        if (installed(face)) return face;
    }
    return os::widen(font.face);
}

}  // namespace

FontHandle create_font(const Font& font, int dpi_y) {
    LOGFONTW description{};
    description.lfHeight = -MulDiv(font.points, dpi_y, 72);
    description.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    // Arial keeps the default character set, so that the system's font linking draws its Chinese text.
    description.lfCharSet = static_cast<BYTE>(font.charset == Charset::gb2312 ? GB2312_CHARSET : DEFAULT_CHARSET);
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring face = installed_face(font);
    wcsncpy(description.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&description));
}

COLORREF colour_ref(const Colour& colour, COLORREF otherwise) {
    switch (colour.source) {
        case Colour::Source::rgb:
            return RGB(colour.red, colour.green, colour.blue);
        case Colour::Source::window_text:
            return GetSysColor(COLOR_WINDOWTEXT);
        case Colour::Source::button_face:
            return GetSysColor(COLOR_BTNFACE);
        case Colour::Source::none:
            break;
    }
    return otherwise;
}

}  // namespace quillet::ui::win32
