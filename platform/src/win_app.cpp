#include "halvo/platform/win_app.h"

#include "halvo/platform/app_name.h"
#include "win32.h"

namespace halvo::platform {
namespace {

std::wstring ExecutableBaseName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size() || path.size() >= 32768) {
            path.resize(length);
            return BaseNameWithoutExtension(path);
        }
        path.resize(path.size() * 2);  // cut short: try a longer buffer
    }
}

}  // namespace

CWinApp::CWinApp(const wchar_t* appName) : appName_(appName != nullptr ? appName : ExecutableBaseName()) {
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

std::wstring ApplicationName() {
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
