#pragma once
// Plain types and constants of the window model, free of any toolkit header,
// so that screens can use them without pulling in Qt.
#include <cstdint>

using COLORREF = std::uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) {
    return int(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return int((c >> 16) & 0xFF);
}

// number * numerator / denominator over a 64-bit product, rounded to the
// nearest integer (halves away from zero); -1 when denominator is 0 or the
// result does not fit an int, as the Windows call answers.
constexpr int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const long long product = (long long)number * numerator;
    const long long magnitude = product < 0 ? -product : product;
    const long long divisor = denominator < 0 ? -(long long)denominator : denominator;
    const long long quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > 0x7FFFFFFF)
        return -1;
    return (product < 0) != (denominator < 0) ? -int(quotient) : int(quotient);
}

struct CPoint {
    int x = 0;
    int y = 0;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Window styles a creator may ask for, with their Windows values. A child
// window asked for either gets that edge around its client area (CWnd::Create);
// a class may take them away before its window exists (PreCreateWindow).
constexpr unsigned WS_BORDER = 0x00800000;        // a one-pixel line
constexpr unsigned WS_EX_CLIENTEDGE = 0x00000200; // a two-pixel sunken edge

// The styles of a window being created: style holds WS_ values, exStyle WS_EX_.
struct WindowStyle {
    unsigned style = 0;
    unsigned exStyle = 0;
};

// Dialog results and message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message box button sets.
constexpr unsigned MB_OK = 0;
constexpr unsigned MB_OKCANCEL = 1;
constexpr unsigned MB_YESNO = 4;

// Command codes that travel with a control id.
constexpr int BN_CLICKED = 0;
constexpr int CBN_SELCHANGE = 1;
constexpr int EN_CHANGE = 0x0300;

// Notification codes of grids and trees.
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int TVN_SELCHANGED = -402;

// A notification from a child window to its parent: the sender's id, the code,
// the cell concerned (grids; -1 when none) and the mouse position on the screen.
struct NotifyInfo {
    int id = 0;
    int code = 0;
    int row = -1;
    int column = -1;
    CPoint screenPoint;
};
