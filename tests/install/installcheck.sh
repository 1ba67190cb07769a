#!/usr/bin/env bash
# Checks what a build installs, as a user's system receives it:
#   installcheck.sh tree BUILD VERSION     installs into a temporary prefix, validates the
#       desktop files and starts the installed program from / as a desktop would
#   installcheck.sh package BUILD VERSION  makes the Debian package and checks its contents
#       and dependencies
# Prints FAIL lines and exits non-zero when anything is wrong.
set -uo pipefail
mode=$1
build=$(cd "$2" && pwd)
version=$3
app_id=org.example.ostrel.culinor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (./test.sh installs it)"; exit 1; }
  done
}

# The width and height of a PNG file, "WxH".
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

# Starts the installed program in a working directory with the arguments, as a desktop
# starts it, with the interface in Russian; waits (at most a minute) until its
# diagnostics hold the line, then ends it. The diagnostics stay in $work/run.log.
run_until() {
  local folder=$1 line=$2
  shift 2
  (cd "$folder" && exec env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen \
     "$prefix/bin/culinor" "$@") >"$work/run.log" 2>&1 &
  local pid=$!
  for _ in $(seq 600); do
    grep -qF "$line" "$work/run.log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  grep -qF "$line" "$work/run.log" || { fail "culinor $* never wrote: $line"; cat "$work/run.log"; }
}

check_tree() {
  need desktop-file-validate appstreamcli xmllint update-mime-database
  prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null || { fail "cmake --install"; return; }
  local share=$prefix/share

  desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop entry"
  grep -qx 'Exec=culinor %f' "$share/applications/$app_id.desktop" || fail "desktop entry's Exec"
  appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" \
    || { fail "metainfo"; cat "$work/appstream.log"; }
  xmllint --noout "$share/mime/packages/$app_id.xml" || fail "MIME package is not well formed"
  update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database"
  grep -qx '50:application/x-culinor-book:\*.carb' "$share/mime/globs2" || fail "MIME glob"
  od -An -tx1 "$share/mime/magic" | tr -d ' \n' | grep -q '04d68b60' || fail "MIME magic"
  [ "$(grep -c '<comment' "$share/mime/application/x-culinor-book.xml")" = 4 ] \
    || fail "MIME comment in four languages"
  for size in 16 22 24 32 48 64 128 256; do
    for icon in apps/$app_id.png mimetypes/application-x-culinor-book.png; do
      file=$share/icons/hicolor/${size}x$size/$icon
      [ -f "$file" ] && [ "$(png_size "$file")" = "${size}x$size" ] || fail "icon $file"
    done
  done

  # Answered with no display at all, as in a terminal without one.
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/culinor" --version)" \
    = "Culinor $version" ] || fail "culinor --version without a display"

  # The settings store asks for Russian, whose language file is installed.
  mkdir -p "$work/config/Ostrel software"
  printf '[General]\nlanguage=1\n' >"$work/config/Ostrel software/Culinor.conf"
  local missing_language='"Language model: cannot open file'
  local book="$work/книга рецептов.carb"
  cp "$(dirname "$0")/../fuzz/corpus/sample.carb" "$book"
  echo "not a book" >"$work/not a book.carb"
  # A home folder whose own languages/ folder has nothing of the program's.
  mkdir -p "$work/home/languages" "$work/home/media"
  # working directory | argument | the line awaited | a line that must not be there
  while IFS='|' read -r folder argument awaited forbidden; do
    run_until "$folder" "$awaited" ${argument:+"$argument"}
    grep -qF "$forbidden" "$work/run.log" && fail "culinor $argument in $folder wrote: $forbidden"
  done <<ROWS
/|$book|"Window title: Culinor - $book"|$missing_language
/|$work/not a book.carb|"Loading error"|"Window title: Culinor - $work
$work/home||"Window title: Culinor - NewBook"|$missing_language
ROWS
  # The command line speaks the user's language from / too.
  (cd / && env XDG_CONFIG_HOME="$work/config" "$prefix/bin/culinor" --export "$book" \
     --to "$work/out.json") >"$work/export.log" 2>&1
  grep -qF 'Экспортировано рецептов' "$work/export.log" \
    || { fail "culinor --export from / in Russian"; cat "$work/export.log"; }
  # The same start without the installed language files does report them missing.
  rm "$share/culinor/languages/_lanraw_ru.bpl"
  run_until / "$missing_language" "$book"
}

check_package() {
  need cpack dpkg-deb dpkg-shlibdeps
  (cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { fail "cpack"; cat "$work/cpack.log"; return; }
  local deb
  deb=$(ls "$work"/culinor_"$version"*.deb) || { fail "no culinor_$version*.deb"; return; }
  local depends recommends
  depends=$(dpkg-deb -f "$deb" Depends)
  recommends=$(dpkg-deb -f "$deb" Recommends)
  for package in libc6 libqt5core5a libqt5widgets5 libqt5webkit5 libqt5multimedia5 libqt5sql5 \
                 libqt5sql5-sqlite libqt5multimedia5-plugins gstreamer1.0-plugins-good; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
  done
  [[ $recommends == *qttranslations5-l10n* ]] || fail "Recommends lacks qttranslations5-l10n"
  dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
  for file in ./usr/bin/culinor ./usr/share/culinor/languages/_lanraw_ru.bpl \
              ./usr/share/culinor/media/favicon.png ./usr/share/applications/$app_id.desktop \
              ./usr/share/mime/packages/$app_id.xml ./usr/share/metainfo/$app_id.metainfo.xml \
              ./usr/share/icons/hicolor/256x256/apps/$app_id.png; do
    grep -qx "$file" "$work/contents" || fail "package lacks $file"
  done
}

case $mode in
  tree) check_tree ;;
  package) check_package ;;
  *) echo "usage: $0 tree|package BUILD VERSION"; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "PASS: $mode"
[ "$failures" -eq 0 ]
