#pragma once

// The few Windows types and values that the dialog and application code
// need, declared without <windows.h>: only platform/src includes that header
// (where every value here is checked against it).

#include <cstdint>

#include "halvo/calendar.h"

// The handle types of <windows.h> (STRICT): pointers to these structs.
struct HWND__;
struct HICON__;
struct HDC__;

namespace halvo::platform {

using WindowHandle = HWND__*;
using IconHandle = HICON__*;
using DeviceContextHandle = HDC__*;

// Message parameters and results, as wide as a pointer.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

// Messages and notifications.
inline constexpr unsigned kWmPaint = 0x000F;           // WM_PAINT
inline constexpr unsigned kWmIconEraseBkgnd = 0x0027;  // WM_ICONERASEBKGND
inline constexpr unsigned kWmQueryDragIcon = 0x0037;   // WM_QUERYDRAGICON
inline constexpr unsigned kWmCommand = 0x0111;         // WM_COMMAND
inline constexpr unsigned kBnClicked = 0;              // BN_CLICKED

// Dialog results and the ids of the standard buttons.
inline constexpr int kIdOk = 1;      // IDOK
inline constexpr int kIdCancel = 2;  // IDCANCEL

// System metrics.
inline constexpr int kSmCxIcon = 11;  // SM_CXICON
inline constexpr int kSmCyIcon = 12;  // SM_CYICON

// Common control classes.
inline constexpr unsigned kIccWin95Classes = 0xFF;  // ICC_WIN95_CLASSES

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The fields of the PC clock that the program uses (SYSTEMTIME), in the core's date-time type.
using LocalTime = halvo::DateTime;

}  // namespace halvo::platform
