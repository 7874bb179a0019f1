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
# Wine takes half a minute to create a prefix; where the build's own prefix
# (SEED) is ready, the new one starts as a copy of it, made in a second or two.
#
#   wine_prefix.sh setup|cleanup WINE_RUN PREFIX [SEED]
set -eu
action=$1
wine_run=$2
export WINEPREFIX=$3
seed=${4:-}
keeper=$WINEPREFIX.keeper

case "$action" in
  setup)
    # A seed whose server is kept up (wine-run --persist) may be changing: not copied.
    if [ ! -f "$WINEPREFIX/.halvo-ready" ] && [ -n "$seed" ] && [ -f "$seed/.halvo-ready" ] &&
       [ ! -e "$seed.persist" ]; then
      # Its server writes the registry out when it ends.
      WINEPREFIX=$seed "$wine_run" --wait
      rm -rf "$WINEPREFIX" "$WINEPREFIX.copy"
      cp -a "$seed" "$WINEPREFIX.copy"
      mv "$WINEPREFIX.copy" "$WINEPREFIX"
    fi
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
