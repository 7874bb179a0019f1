#include "halvo/platform/system.h"

#include "win32.h"

namespace halvo::platform {

void InitCommonControlClasses(unsigned classes) {
    INITCOMMONCONTROLSEX InitCtrls{};
    InitCtrls.dwSize = sizeof(InitCtrls);
    InitCtrls.dwICC = classes;
    InitCommonControlsEx(&InitCtrls);
}

IconHandle LoadAppIcon(int resourceId) { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId)); }

int SystemMetric(int index) { return GetSystemMetrics(index); }

}  // namespace halvo::platform
