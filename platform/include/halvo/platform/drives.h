#pragma once

// The drives a camera's card can be: the command-line companion's --card.

#include <string>
#include <vector>

namespace halvo::platform {

// The root folders ("E:\") of the drives that GetDriveTypeW calls removable, in drive-letter order.
std::vector<std::wstring> RemovableDriveRoots();

}  // namespace halvo::platform
