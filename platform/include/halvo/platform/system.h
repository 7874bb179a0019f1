#pragma once

// Process-wide Windows operations: one Win32 call each.

#include "halvo/platform/types.h"

namespace halvo::platform {

// InitCommonControlsEx with these classes (kIccWin95Classes); the result is not examined.
void InitCommonControlClasses(unsigned classes);

// LoadIconW of an icon resource of the executable, at the system icon size. The
// system owns the icon; it lives as long as the process.
IconHandle LoadAppIcon(int resourceId);

// GetSystemMetrics.
int SystemMetric(int index);

// GetLocalTime: the PC clock. The test build of the program (HalvoTestClock)
// reads HALVO_TEST_LOCAL_TIME ("YYYY-MM-DD HH:MM:SS") instead when it is set;
// the shipped program has no such code.
LocalTime ReadLocalTime();

}  // namespace halvo::platform
