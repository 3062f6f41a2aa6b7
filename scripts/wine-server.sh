# Sourced after wine-env.sh. Defines claim_wine_prefix WHO, which makes the
# prefix $WINEPREFIX this script's for the rest of its run and says in one
# line what it found:
# - no wineserver for the prefix: it starts one that stays up until the
#   script ends (TAVIK_OWN_WINESERVER=1: the script may end it);
# - a wineserver with none but Wine's own programs (one left lingering by an
#   earlier run): it waits a few seconds for it to end, then starts its own;
#   one that stays up is used as it is;
# - a program of the prefix that is not Wine's own (the tool scripts/run.sh
#   opened, a test program still running): it holds the single-instance
#   names, the simulated phone and the registry values a run uses, so the
#   claim fails with a line naming it.

# The programs running in this prefix that are not Wine's own, one a line.
wine_prefix_programs() {
  local prefix pid program
  prefix=$(realpath -m "$WINEPREFIX")
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$prefix" || continue
    program=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | head -n 1)
    case "${program,,}" in
      c:\\windows\\*) continue ;;   # Wine's own services and tools
      *.exe) printf '%s (process %s)\n' "${program##*[\\/]}" "$pid" ;;
    esac
  done
}

claim_wine_prefix() {
  local who=$1 programs
  TAVIK_OWN_WINESERVER=
  programs=$(wine_prefix_programs)
  if [ -n "$programs" ]; then
    echo "$who: $WINEPREFIX is in use by $(echo "$programs" | paste -sd ',' | sed 's/,/, /g'); close it and run again" >&2
    return 1
  fi
  if wineserver -p >/dev/null 2>&1; then
    TAVIK_OWN_WINESERVER=1
    echo "$who: started a wineserver for $WINEPREFIX"
    return 0
  fi
  # One lingers with only Wine's services: give it a few seconds to end.
  if timeout 10 wineserver -w 2>/dev/null && wineserver -p >/dev/null 2>&1; then
    TAVIK_OWN_WINESERVER=1
    echo "$who: waited for the lingering wineserver of $WINEPREFIX to end and started one"
    return 0
  fi
  echo "$who: using the wineserver already running for $WINEPREFIX"
}
