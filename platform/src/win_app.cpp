#include "halvo/platform/win_app.h"

#include "halvo/platform/app_name.h"
#include "win32.h"

namespace halvo::platform {
namespace {

AppNameText ExecutableBaseName() {
    constexpr DWORD kLongestPath = 32768;  // in UTF-16 units, with long paths
    wchar_t path[kLongestPath];
    const DWORD length = GetModuleFileNameW(nullptr, path, kLongestPath);
    if (length == 0 || length == kLongestPath) return {};
    return AppNameText(BaseNameWithoutExtension({path, length}));
}

}  // namespace

CWinApp::CWinApp(const wchar_t* appName)
    : appName_(appName != nullptr ? AppNameText(appName) : ExecutableBaseName()) {
    current_ = this;
}

CWinApp::~CWinApp() {
    if (current_ == this) current_ = nullptr;
}

int CWinApp::Run() {
    if (!InitInstance()) return ExitInstance();
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return ExitInstance();
}

AppNameText ApplicationName() {
    const CWinApp* app = CWinApp::Current();
    return app != nullptr ? app->AppName() : ExecutableBaseName();
}

}  // namespace halvo::platform

// The entry point of a program built on this layer (-municode): runs the one
// application object.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    halvo::platform::CWinApp* app = halvo::platform::CWinApp::Current();
    return app != nullptr ? app->Run() : -1;
}
