#pragma once

// The application object: one global instance of a class derived from
// CWinApp, constructed before the entry point (wWinMain, in this library) runs.

#include "halvo/platform/app_name.h"

namespace halvo::platform {

class CWinApp {
public:
    // appName null: the executable's file name without directory and extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up. Returning false ends the process at once (a dialog
    // application runs its dialog in here); true runs the message loop until
    // WM_QUIT.
    virtual bool InitInstance() { return true; }
    // Shutdown; the result is the process exit code.
    virtual int ExitInstance() { return 0; }

    // The caption of the message boxes.
    const AppNameText& AppName() const { return appName_; }

    // The one application object, or null before it is constructed.
    static CWinApp* Current() { return current_; }

    // What the entry point does: InitInstance, the message loop when it
    // succeeded, then ExitInstance.
    int Run();

private:
    static inline CWinApp* current_ = nullptr;

    AppNameText appName_;
};

// The message box caption: the application object's name, or without one the
// executable's file name without directory and extension (read from the
// module path at every call: a dialog takes it once, when it is made).
AppNameText ApplicationName();

}  // namespace halvo::platform
