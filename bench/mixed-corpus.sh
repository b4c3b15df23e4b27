#!/usr/bin/env bash
# Writes two corpora of real mixed Urdu text (Urdu with English words, digits,
# punctuation and markup, as translators wrote it) and prints their paths:
#   mixed.txt    every translated line of the Urdu message catalogues (.mo) that
#                Debian's desktop packages ship (GTK, iso-codes, Xfce, MATE, ...);
#   heldout.txt  the Urdu strings of a browser's Urdu language pack (Fluent and
#                .properties files), other real text, kept apart for checking.
# The catalogues whose translators typed the Arabic look-alike letters ك and ي
# throughout (inkscape, pidgin) are left out of mixed.txt and written to
# lookalikes.txt, so that the figure on the other two is not about them.
# The packages are fetched with apt-get download, nothing is installed, and no
# text is kept in this repository.
#   bench/order-vs-icu.py "$(bench/mixed-corpus.sh | head -n 1)" build/zabrelo
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZABRELO_BENCH_BUILD:-$root/build-bench}"
work="$build/mixed-corpus"
catalogues=(iso-codes libgtk-3-common libgtk2.0-common gnome-desktop3-data software-properties-common
  file-roller caja-common cinnamon-l10n engrampa-common eom-common atril-common gigolo gpicview
  libxfce4ui-common lxpanel-data lxsession-data lxterminal marco-common mate-control-center-common
  mate-desktop-common mate-panel-common nemo-data network-manager-gnome pluma-common ristretto
  simple-scan thunar-data xfce4-panel xfce4-session xfce4-settings xfce4-terminal xfdesktop4-data
  xfwm4 inkscape pidgin-data)
langpack=firefox-esr-l10n-ur

if [ ! -s "$work/heldout.txt" ]; then
  rm -rf "$work"
  mkdir -p "$work/debs" "$work/tree"
  # apt-get downloads into the current directory; a package missing from the
  # archive is skipped rather than ending the corpus.
  for package in "${catalogues[@]}" "$langpack"; do
    (cd "$work/debs" && apt-get download -qq "$package" >&2) || echo "mixed-corpus.sh: skipped $package" >&2
  done
  for deb in "$work"/debs/*.deb; do dpkg-deb -x "$deb" "$work/tree"; done
  find "$work/tree" -path '*/locale/ur/LC_MESSAGES/*.mo' ! -name inkscape.mo ! -name pidgin.mo | sort > "$work/mixed.list"
  find "$work/tree" -path '*/locale/ur/LC_MESSAGES/*.mo' \( -name inkscape.mo -o -name pidgin.mo \) | sort > "$work/lookalikes.list"
  /usr/bin/python3 "$root/bench/corpus_lines.py" mo $(cat "$work/mixed.list") > "$work/mixed.txt"
  /usr/bin/python3 "$root/bench/corpus_lines.py" mo $(cat "$work/lookalikes.list") > "$work/lookalikes.txt"
  xpi="$(find "$work/tree" -name 'langpack-ur@*.xpi' | head -n 1)"
  /usr/bin/python3 "$root/bench/corpus_lines.py" langpack "$xpi" > "$work/heldout.txt.tmp"
  mv "$work/heldout.txt.tmp" "$work/heldout.txt"
fi
printf '%s\n' "$work/mixed.txt" "$work/heldout.txt" "$work/lookalikes.txt"
