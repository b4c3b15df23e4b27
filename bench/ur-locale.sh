# Sourced by the benchmarks: makes glibc's ur_PK.UTF-8 locale when it is
# missing. glibc only knows locales that were generated; a user who cannot
# write the system's locale archive gets a private copy in $1/locale (and
# LOCPATH pointing there). Without the locales package it says so, and the
# benchmark leaves glibc out.
#   source bench/ur-locale.sh BUILD_DIR
if ! locale -a 2>/dev/null | grep -qix 'ur_PK.utf8'; then
  if ! localedef -i ur_PK -f UTF-8 ur_PK.UTF-8 2>/dev/null; then
    mkdir -p "$1/locale"
    if localedef -i ur_PK -f UTF-8 "$1/locale/ur_PK.UTF-8" 2>/dev/null; then
      export LOCPATH="$1/locale"
    else
      echo "note: cannot generate ur_PK.UTF-8 (is the locales package installed?); glibc is skipped" >&2
    fi
  fi
fi
