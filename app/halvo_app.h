#pragma once

// The application object.

#include "halvo/platform/win_app.h"

namespace halvo {

class CHalvoApp : public platform::CWinApp {
public:
    // No application name: message boxes take the executable's base name as caption.
    CHalvoApp() = default;

    // Runs the settings dialog once, then reports failure so that the process
    // ends without a message loop.
    bool InitInstance() override;
    // 0 once the dialog has run, kExitNoDialog when it could not be shown at all.
    int ExitInstance() override { return exitCode_; }

    // The process exit status when the dialog could not be created.
    static constexpr int kExitNoDialog = 1;

private:
    int exitCode_ = 0;
};

}  // namespace halvo
