#include "halvo/platform/centring.h"

namespace halvo::platform {

bool WantsCentring(const DialogTemplateHeader& header) {
    return header.x == 0 && header.y == 0 && (header.style & (kDsAbsAlign | kDsCenter | kDsCenterMouse)) == 0;
}

Point CentredPosition(const Rect& window, const Rect& centreOn, const Rect& workArea) {
    Point at{(centreOn.left + centreOn.right) / 2 - window.Width() / 2,
             (centreOn.top + centreOn.bottom) / 2 - window.Height() / 2};
    if (at.x + window.Width() > workArea.right) at.x = workArea.right - window.Width();
    if (at.x < workArea.left) at.x = workArea.left;
    if (at.y + window.Height() > workArea.bottom) at.y = workArea.bottom - window.Height();
    if (at.y < workArea.top) at.y = workArea.top;
    return at;
}

}  // namespace halvo::platform
