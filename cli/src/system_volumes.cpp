// This computer's removable volumes, for --card.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "card.h"
#include "host.h"

#ifdef _WIN32
#include "halvo/platform/drives.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;

bool Holds(const std::string& folder, const std::string& name) {
    std::error_code ec;
    return fs::exists(fs::path(folder) / name, ec);
}

#if defined(_WIN32)
std::vector<std::string> Removable() {
    std::vector<std::string> out;
    for (const std::wstring& root : platform::RemovableDriveRoots()) out.push_back(fs::path(root).string());
    return out;
}
#elif defined(__APPLE__)
// Every volume in /Volumes but the start-up disk, which appears there as a link to / (or shares its device).
std::vector<std::string> Removable() {
    std::vector<std::string> out;
    struct stat root {};
    if (stat("/", &root) != 0) return out;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator("/Volumes", ec)) {
        struct stat volume {};
        if (entry.is_symlink(ec) || stat(entry.path().c_str(), &volume) != 0 || volume.st_dev == root.st_dev) continue;
        out.push_back(entry.path().string());
    }
    return out;
}
#else
std::string UserName() {
    if (const passwd* pw = getpwuid(geteuid())) return pw->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

std::vector<std::string> Removable() {
    std::ifstream in("/proc/self/mountinfo");
    const std::string mountinfo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string user = UserName();
    std::vector<std::string> out;
    // A volume mounted twice on one point is still one card.
    for (const std::string& point : MountPoints(mountinfo))
        if (IsRemovableMount(point, user) && std::find(out.begin(), out.end(), point) == out.end()) out.push_back(point);
    return out;
}
#endif

}  // namespace

Volumes SystemVolumes() { return Volumes{Removable, Holds}; }

}  // namespace halvo::cli
