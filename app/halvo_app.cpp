#include "halvo_app.h"

#include "halvo/dialog/halvo_dlg.h"
#include "halvo/platform/system.h"

namespace halvo {

// The one application object, constructed before the entry point runs.
CHalvoApp theApp;

bool CHalvoApp::InitInstance() {
    platform::InitCommonControlClasses(platform::kIccWin95Classes);

    CWinApp::InitInstance();

    CHalvoDlg dlg;
    // IDOK or IDCANCEL: the user closed it. -1: it never opened, because its
    // template or list data is missing or damaged.
    if (dlg.DoModal() == -1) exitCode_ = kExitNoDialog;

    return false;
}

}  // namespace halvo
