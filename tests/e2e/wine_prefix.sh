#!/bin/sh
# CTest fixture: the end-to-end tests run in a Wine prefix of their own, whose
# windows are not handed to a window manager: under a bare Xvfb there is none,
# and Wine would wait two seconds for one each time a window goes away. The
# prefix that scripts/run uses keeps its usual windows on a desktop.
#
# A console program waits in the prefix from setup to cleanup, so that Wine
# keeps its server and system processes up between tests instead of booting
# them again for each one (two to three seconds a test). It ends after an
# hour at the latest, should cleanup never run.
#
#   wine_prefix.sh setup|cleanup WINE_RUN PREFIX
set -eu
action=$1
wine_run=$2
export WINEPREFIX=$3
keeper=$WINEPREFIX.keeper

case "$action" in
  setup)
    "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    (
      sleep 3600 &
      echo $! > "$keeper"
      wait
    ) 2>/dev/null </dev/null | "$wine_run" cmd /c 'set /p line=' >/dev/null 2>&1 &
    ;;
  cleanup)
    if [ -f "$keeper" ]; then
      kill "$(cat "$keeper")" 2>/dev/null || true
      rm -f "$keeper"
    fi
    # Ends the prefix's server and whatever a failed test left running in it.
    "$wine_run" --kill
    ;;
  *)
    echo "usage: $0 setup|cleanup WINE_RUN PREFIX" >&2
    exit 2
    ;;
esac
