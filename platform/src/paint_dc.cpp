#include "halvo/platform/paint_dc.h"

#include <new>

#include "halvo/platform/dialog.h"
#include "win32.h"

namespace halvo::platform {
namespace {

PAINTSTRUCT* Storage(std::byte* bytes) { return std::launder(reinterpret_cast<PAINTSTRUCT*>(bytes)); }

}  // namespace

CPaintDC::CPaintDC(const CDialog& window) : window_(window.GetSafeHwnd()) {
    static_assert(sizeof(PAINTSTRUCT) <= sizeof paint_ && alignof(PAINTSTRUCT) <= alignof(void*));
    dc_ = BeginPaint(window_, new (paint_) PAINTSTRUCT{});
}

CPaintDC::~CPaintDC() { EndPaint(window_, Storage(paint_)); }

bool CPaintDC::DrawIcon(int x, int y, IconHandle icon) const { return ::DrawIcon(dc_, x, y, icon) != FALSE; }

}  // namespace halvo::platform
