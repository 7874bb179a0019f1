// Resource and control ids of Halvo's settings dialog.
// Plain #defines, read by the C++ code and by the resource compiler alike.
#pragma once

#define IDD_SETTINGS_DIALOG 102
#define IDR_APP_ICON 128

#define IDC_YEAR 1000
#define IDC_MONTH 1001
#define IDC_DAY 1002
#define IDC_HOUR 1003
#define IDC_MINUTE 1004
#define IDC_SECOND 1005
#define IDC_IMAGE_FLIP 1006
#define IDC_RECORD_LENGTH 1007
#define IDC_APPLY 1008
#define IDC_SYNC_CLOCK 1009
#define IDC_TIMELAPSE 1010
#define IDC_RECORD_AUDIO 1011
#define IDC_USB_MODE 1012
#define IDC_TIMESTAMP 1013
