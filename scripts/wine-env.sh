# Sourced: sets up the Wine environment for one prefix and creates the prefix
# when it is missing. Usage: source wine-env.sh PREFIX
export WINEPREFIX=$1
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Code page 936, as on the users' Chinese Windows.
export LANG=zh_CN.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES
if [ ! -f "$WINEPREFIX/.tavik-ready" ]; then
  mkdir -p "$WINEPREFIX"
  # Several tests may start at once: one of them creates the prefix.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.tavik-ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      # The skins name Windows' Chinese fonts; draw them with the installed
      # WenQuanYi font (a missing family makes GDI+ draw nothing).
      for face in 微软雅黑 "Microsoft YaHei" 宋体 SimSun; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
          /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || true
      done
      # A crashing test prints its backtrace and ends; no crash dialog
      # waits for a click that never comes.
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
        /d 0 /f >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.tavik-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
