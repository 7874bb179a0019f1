#include "halvo_app.h"

#include "halvo/dialog/halvo_dlg.h"
#include "halvo/platform/system.h"

namespace halvo {

// The one application object, constructed before the entry point runs.
CHalvoApp theApp;

bool CHalvoApp::InitInstance() {
    platform::InitCommonControlClasses(platform::kIccWin95Classes);

    CWinApp::InitInstance();

    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CHalvoDlg dlg;
    SetMainWindow(&dlg);
    dlg.DoModal();  // IDOK or IDCANCEL: either way the program ends
    SetMainWindow(nullptr);

    return false;
}

}  // namespace halvo
