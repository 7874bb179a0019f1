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
};

}  // namespace halvo
