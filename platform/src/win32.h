#pragma once

// The one header that brings in <windows.h>; included only by platform/src.
// It also checks the values that platform/include declares without it.

#include <windows.h>
#include <commctrl.h>

#include <type_traits>

#include "halvo/platform/centring.h"
#include "halvo/platform/types.h"

namespace halvo::platform::win32_checks {

static_assert(std::is_same_v<HWND, WindowHandle>);
static_assert(std::is_same_v<HICON, IconHandle>);
static_assert(std::is_same_v<HDC, DeviceContextHandle>);
static_assert(sizeof(WPARAM) == sizeof(WParam) && std::is_unsigned_v<WPARAM>);
static_assert(sizeof(LPARAM) == sizeof(LParam) && std::is_signed_v<LPARAM>);
static_assert(sizeof(INT_PTR) == sizeof(std::intptr_t) && sizeof(LRESULT) == sizeof(std::intptr_t));

static_assert(kWmPaint == WM_PAINT);
static_assert(kWmIconEraseBkgnd == WM_ICONERASEBKGND);
static_assert(kWmQueryDragIcon == WM_QUERYDRAGICON);
static_assert(kWmCommand == WM_COMMAND);
static_assert(kBnClicked == BN_CLICKED);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL);
static_assert(kSmCxIcon == SM_CXICON && kSmCyIcon == SM_CYICON);
static_assert(kIccWin95Classes == ICC_WIN95_CLASSES);
static_assert(kDsAbsAlign == DS_ABSALIGN && kDsCenter == DS_CENTER && kDsCenterMouse == DS_CENTERMOUSE);

}  // namespace halvo::platform::win32_checks
