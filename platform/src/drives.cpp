#include "halvo/platform/drives.h"

#include <windows.h>

namespace halvo::platform {

std::vector<std::wstring> RemovableDriveRoots() {
    std::vector<std::wstring> roots;
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if ((drives & (DWORD{1} << (letter - L'A'))) == 0) continue;
        const std::wstring root{letter, L':', L'\\'};
        if (GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE) roots.push_back(root);
    }
    return roots;
}

}  // namespace halvo::platform
