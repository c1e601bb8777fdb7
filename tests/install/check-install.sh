#!/usr/bin/env bash
# Checks of the installed program, one per call:
#   check-install.sh stage|tree|desktop|package|program BUILD_DIR STAGE_DIR APP_ID VERSION
# "stage" installs the build into STAGE_DIR (DESTDIR, prefix /usr); the others read that tree.
set -euo pipefail

check=$1 build=$2 stage=$3 app_id=$4 version=$5

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every file and link below a folder, relative to it, sorted.
files_below() {
    (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./|/|' | LC_ALL=C sort)
}

expected_files() {
    local size
    {
        echo /usr/bin/powerclamp
        echo /usr/bin/powerclamp-metersim
        echo "/usr/share/applications/$app_id.desktop"
        echo "/usr/share/metainfo/$app_id.metainfo.xml"
        echo "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
        for size in 16 22 24 32 48 64 128 256; do
            echo "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
        echo /usr/share/man/man1/powerclamp.1.gz
        echo /usr/share/man/man1/powerclamp-metersim.1.gz
    } | LC_ALL=C sort
}

case $check in
stage)
    rm -rf "$stage"
    DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
    ;;

tree)
    diff -u <(expected_files) <(files_below "$stage") || fail "the staged tree differs from the expected files"
    for program in powerclamp powerclamp-metersim; do
        [ -x "$stage/usr/bin/$program" ] || fail "$program is not executable"
    done
    for size in 16 22 24 32 48 64 128 256; do
        icon=$stage/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
        file "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not a ${size}x$size PNG"
    done
    grep -q '<svg' "$stage/usr/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "the scalable icon is no SVG"
    for page in powerclamp powerclamp-metersim; do
        gzip -dc "$stage/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH \"\?${page^^}\"\? \"\?1\"\? .*$version" ||
            fail "$page.1.gz is not a manual page of version $version"
    done
    gzip -dc "$stage/usr/share/man/man1/powerclamp-metersim.1.gz" | grep -qF -- '\-\-records' ||
        fail "the simulator's manual page lists no options"
    ;;

desktop)
    desktop=$stage/usr/share/applications/$app_id.desktop
    metainfo=$stage/usr/share/metainfo/$app_id.metainfo.xml
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
    # The names that tie the three together: launcher, icon, component.
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$stage/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon is installed"
    exec=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$stage/usr/bin/${exec%% *}" ] || fail "the launcher starts $exec, which is not installed"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metadata does not name the launcher $app_id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name release $version"
    ;;

package)
    packages=$(mktemp -d)
    trap 'rm -rf "$packages"' EXIT
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$packages" >/dev/null
    deb=$(echo "$packages"/*.deb)
    [ -f "$deb" ] || fail "cpack made no package"
    [ "$(basename "$deb")" = "powerclamp_${version}_$(dpkg --print-architecture).deb" ] ||
        fail "package file is named $(basename "$deb")"
    [ "$(dpkg-deb -f "$deb" Package)" = powerclamp ] || fail "package name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
    [ "$(dpkg-deb -f "$deb" Section)" = electronics ] || fail "package section"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "package has no maintainer"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libxlsxwriter; do
        [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
    done
    # Regular files and links only: the package's folders are the staged files' folders.
    diff -u <(files_below "$stage") \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./|/|' | LC_ALL=C sort) ||
        fail "the package's files differ from the staged tree"
    ;;

program)
    export QT_QPA_PLATFORM=offscreen
    program=$stage/usr/bin/powerclamp
    [ "$("$program" --version)" = "powerclamp $version" ] || fail "--version says: $("$program" --version)"
    "$program" --help | grep -q -- '--port <N=DEVICE>' || fail "--help does not list --port"
    set +e
    # With no display at all: an unusable value is answered before one is needed.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --port 17=/dev/null \
        2>/tmp/powerclamp-stderr.$$)
    status=$?
    set -e
    err=$(cat /tmp/powerclamp-stderr.$$)
    rm -f /tmp/powerclamp-stderr.$$
    [ "$status" -eq 2 ] || fail "a bad --port ends with status $status, not 2"
    [ -z "$out" ] || fail "a bad --port printed on standard output: $out"
    [[ $err == *"port number '17' is not one of 1 to 16"* ]] || fail "a bad --port says: $err"
    [ "$("$stage/usr/bin/powerclamp-metersim" --version)" = "powerclamp-metersim $version" ] ||
        fail "the staged simulator's --version says: $("$stage/usr/bin/powerclamp-metersim" --version)"
    ;;

*)
    fail "unknown check $check"
    ;;
esac
