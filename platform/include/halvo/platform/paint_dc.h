#pragma once

// BeginPaint in the constructor, EndPaint in the destructor.

#include <cstddef>

#include "halvo/platform/types.h"

namespace halvo::platform {

class CDialog;

class CPaintDC {
public:
    explicit CPaintDC(const CDialog& window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    DeviceContextHandle GetSafeHdc() const { return dc_; }
    // DrawIcon at a point of the client area.
    bool DrawIcon(int x, int y, IconHandle icon) const;

private:
    WindowHandle window_;
    DeviceContextHandle dc_;
    alignas(void*) std::byte paint_[72];  // PAINTSTRUCT, which <windows.h> declares
};

}  // namespace halvo::platform
