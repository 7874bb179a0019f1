// The floor for start-up time: the same dialog template, shown by nothing but
// DialogBoxParamW. No lists are filled and no icons set, so anything Halvo.exe
// takes beyond this is the cost of its own start-up code.

#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS_DIALOG), nullptr, BareProc, 0);
  return result == -1 ? 1 : 0;
}
