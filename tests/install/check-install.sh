#!/usr/bin/env bash
# Checks of the installed programs, one per call:
#   check-install.sh CHECK BUILD_DIR STAGE_DIR APP_ID VERSION
# "stage" installs each component of the build into STAGE_DIR/COMPONENT (DESTDIR, prefix /usr):
# window (the desktop program) and cli (the headless program, its service, the simulator). The
# other checks read those trees.
set -euo pipefail

check=$1 build=$2 stage=$3 app_id=$4 version=$5
window=$stage/window cli=$stage/cli
unit=$cli/usr/lib/systemd/system/powerclamp-logger.service
sysusers=$cli/usr/lib/sysusers.d/powerclamp.conf
defaults=$cli/etc/default/powerclamp-logger

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# ctest counts this status as skipped.
skip() {
    echo "SKIP: $*"
    exit 77
}

# Every file and link below a folder, relative to it, sorted.
files_below() {
    (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./|/|' | LC_ALL=C sort)
}

expected_files() {
    local size
    case $1 in
    window)
        echo /usr/bin/powerclamp
        echo "/usr/share/applications/$app_id.desktop"
        echo "/usr/share/metainfo/$app_id.metainfo.xml"
        echo "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
        for size in 16 22 24 32 48 64 128 256; do
            echo "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
        echo /usr/share/man/man1/powerclamp.1.gz
        ;;
    cli)
        echo /usr/bin/powerclamp-cli
        echo /usr/bin/powerclamp-metersim
        echo /usr/lib/systemd/system/powerclamp-logger.service
        echo /usr/lib/sysusers.d/powerclamp.conf
        echo /etc/default/powerclamp-logger
        echo /usr/share/man/man1/powerclamp-cli.1.gz
        echo /usr/share/man/man1/powerclamp-metersim.1.gz
        ;;
    esac | LC_ALL=C sort
}

# A key's value in the unit ("Key=value"), the last one given.
unit_value() {
    sed -n "s/^$1=//p" "$unit" | tail -n 1
}

# The long options a help text lists, one a line.
long_options() {
    grep -o -- '--[a-z][a-z-]*' | LC_ALL=C sort -u
}

# The service's command line as systemd makes it from the unit and a defaults file: "$NAME" alone
# is split at blanks outside quotes, "${NAME}" is put in as it is. The program is the staged one.
service_command() {
    local settings=$1 word name
    (
        set -a
        # shellcheck source=/dev/null
        . "$settings"
        set +a
        read -r -a words <<<"$(unit_value ExecStart)"
        words[0]=$cli${words[0]}
        for word in "${words[@]}"; do
            if [[ $word =~ ^\$([A-Za-z_][A-Za-z0-9_]*)$ ]]; then
                name=${BASH_REMATCH[1]}
                xargs -r printf '%s\n' <<<"${!name:-}"
            else
                while [[ $word =~ \$\{([A-Za-z_][A-Za-z0-9_]*)\} ]]; do
                    name=${BASH_REMATCH[1]}
                    word=${word//"\${$name}"/${!name:-}}
                done
                printf '%s\n' "$word"
            fi
        done
    )
}

case $check in
stage)
    rm -rf "$stage"
    for component in window cli; do
        DESTDIR=$stage/$component cmake --install "$build" --component "$component" --prefix /usr >/dev/null
    done
    ;;

tree)
    for component in window cli; do
        diff -u <(expected_files $component) <(files_below "$stage/$component") ||
            fail "the staged $component tree differs from the expected files"
    done
    for program in "$window/usr/bin/powerclamp" "$cli/usr/bin/powerclamp-cli" "$cli/usr/bin/powerclamp-metersim"; do
        [ -x "$program" ] || fail "$program is not executable"
    done
    for size in 16 22 24 32 48 64 128 256; do
        icon=$window/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
        file "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not a ${size}x$size PNG"
    done
    grep -q '<svg' "$window/usr/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "the scalable icon is no SVG"
    for page in "$window/usr/share/man/man1/powerclamp.1.gz" "$cli/usr/share/man/man1/powerclamp-cli.1.gz" \
        "$cli/usr/share/man/man1/powerclamp-metersim.1.gz"; do
        name=$(basename "$page" .1.gz)
        gzip -dc "$page" | grep -q "^\.TH \"\?${name^^}\"\? \"\?1\"\? .*$version" ||
            fail "$name.1.gz is not a manual page of version $version"
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
            fail "man cannot show $name.1.gz"
        [ -z "$warnings" ] || fail "$name.1.gz has markup faults: $warnings"
    done
    gzip -dc "$cli/usr/share/man/man1/powerclamp-metersim.1.gz" | grep -qF -- '\-\-records' ||
        fail "the simulator's manual page lists no options"
    ;;

desktop)
    desktop=$window/usr/share/applications/$app_id.desktop
    metainfo=$window/usr/share/metainfo/$app_id.metainfo.xml
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
    # The names that tie the three together: launcher, icon, component.
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$window/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon is installed"
    exec=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$window/usr/bin/${exec%% *}" ] || fail "the launcher starts $exec, which is not installed"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metadata does not name the launcher $app_id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name release $version"
    ;;

manual)
    # The headless program's page describes every command and every option the program has.
    program=$cli/usr/bin/powerclamp-cli
    page=$(MANWIDTH=200 man -l "$cli/usr/share/man/man1/powerclamp-cli.1.gz" 2>/dev/null)
    commands=$("$program" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
    [ -n "$commands" ] || fail "powerclamp-cli --help lists no commands"
    options=$("$program" --help | long_options)
    for command in $commands; do
        grep -qE "^ +$command( |$)" <<<"$page" || fail "the manual page does not describe the command $command"
        options+=$'\n'$("$program" "$command" --help | long_options)
    done
    for option in $(LC_ALL=C sort -u <<<"$options"); do
        grep -qF -- "$option" <<<"$page" || fail "the manual page does not describe $option"
    done
    # What the service's administrator edits and reads.
    for name in /etc/default/powerclamp-logger "$(unit_value StateDirectory)" powerclamp-logger.service \
        "systemctl enable --now powerclamp-logger" "journalctl -u powerclamp-logger"; do
        grep -qF -- "$name" <<<"$page" || fail "the manual page does not name $name"
    done
    ;;

service)
    # systemd's own check of the unit, with the staged program and manual page in place of the
    # installed ones. It may warn and still succeed, so any output fails.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    sed "s|^ExecStart=/usr/bin/|ExecStart=$cli/usr/bin/|" "$unit" >"$work/powerclamp-logger.service"
    report=$(MANPATH=$cli/usr/share/man systemd-analyze verify "$work/powerclamp-logger.service" 2>&1) ||
        fail "systemd-analyze verify rejects the unit: $report"
    [ -z "$report" ] || fail "systemd-analyze verify warns: $report"

    [ "$(unit_value Type)" = notify ] || fail "the unit is not Type=notify"
    [ -n "$(unit_value WatchdogSec)" ] || fail "the unit has no watchdog"
    [ "$(unit_value EnvironmentFile)" = /etc/default/powerclamp-logger ] ||
        fail "the unit reads its settings from $(unit_value EnvironmentFile)"
    [ "$(unit_value ExecStart | cut -d' ' -f1-2)" = "/usr/bin/powerclamp-cli log" ] ||
        fail "the unit runs $(unit_value ExecStart)"

    # The user: the unit's, made by systemd-sysusers from the entry into an empty root, a system
    # user without a login, in the group that may open serial devices.
    user=$(unit_value User)
    mkdir -p "$work/root/etc"
    systemd-sysusers --root="$work/root" "$sysusers" || fail "systemd-sysusers rejects $sysusers"
    entry=$(grep "^$user:" "$work/root/etc/passwd") || fail "the entry makes no user $user"
    IFS=: read -r _ _ uid _ _ home shell <<<"$entry"
    [ "$uid" -lt 1000 ] || fail "$user is no system user (uid $uid)"
    [ "$home" = "/var/lib/$(unit_value StateDirectory)" ] || fail "$user's home is $home"
    [[ $shell == */nologin ]] || fail "$user may log in ($shell)"
    grep -qE "^dialout:[^:]*:[0-9]+:(.*,)?$user(,|$)" "$work/root/etc/group" || fail "$user is not in dialout"

    # The settings: a shell-readable file whose every setting the command uses has a comment above
    # it, with the log in the service's own folder, the only one it may write.
    bash -n "$defaults" || fail "$defaults is not readable as assignments"
    for name in $(unit_value ExecStart | grep -oE '\$\{?[A-Z_]+' | tr -d '${' | LC_ALL=C sort -u); do
        above=$(grep -B1 "^$name=" "$defaults") || fail "$defaults has no setting $name"
        [[ $above == "#"* ]] || fail "$defaults has no comment on $name"
    done
    csv=$(. "$defaults" && echo "$LOGGER_CSV")
    [[ $csv == "/var/lib/$(unit_value StateDirectory)/"* ]] || fail "the log goes to $csv, outside the state folder"
    # Options of the log command that are not settings of their own are documented for LOGGER_OPTIONS.
    for option in $("$cli/usr/bin/powerclamp-cli" log --help | long_options); do
        case $option in --help | --version | --port | --csv) continue ;; esac
        grep -q -- "^#.*$option" "$defaults" || fail "$defaults does not document $option"
    done
    ;;

package)
    packages=$(mktemp -d)
    trap 'rm -rf "$packages"' EXIT
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$packages" >/dev/null
    architecture=$(dpkg --print-architecture)
    for component in window cli; do
        name=powerclamp
        [ $component = window ] || name=powerclamp-$component
        deb=$packages/${name}_${version}_$architecture.deb
        [ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$packages")"
        [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "package name $(dpkg-deb -f "$deb" Package)"
        [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$name's version $(dpkg-deb -f "$deb" Version)"
        [ "$(dpkg-deb -f "$deb" Section)" = electronics ] || fail "$name's section"
        [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "$name has no maintainer"
        # Regular files and links only: the package's folders are the staged files' folders.
        diff -u <(files_below "$stage/$component") \
            <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./|/|' | LC_ALL=C sort) ||
            fail "$name's files differ from the staged tree"
    done

    window_deb=$packages/powerclamp_${version}_$architecture.deb
    depends=$(dpkg-deb -f "$window_deb" Depends)
    for library in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libxlsxwriter; do
        [[ $depends == *"$library"* ]] || fail "powerclamp's Depends lacks $library: $depends"
    done

    cli_deb=$packages/powerclamp-cli_${version}_$architecture.deb
    depends=$(dpkg-deb -f "$cli_deb" Depends)
    [[ $depends == *libqt6core6* ]] || fail "powerclamp-cli's Depends lacks libqt6core6: $depends"
    # No display: neither Qt's GUI nor any X, Wayland or GL library.
    gui=$(tr ',' '\n' <<<"$depends" |
        grep -oE '(libqt6gui|libqt6widgets|libx11|libxcb|libxkb|libxext|libxrender|libxi[0-9]|libxau|libxdmcp|libwayland|libgl|libegl|libopengl)[^ ]*' || true)
    [ -z "$gui" ] || fail "powerclamp-cli depends on display libraries: $gui"

    # The maintainer scripts: the settings are a conffile; configuring makes the user from the
    # entry the package installs and neither enables nor starts the service.
    dpkg-deb -e "$cli_deb" "$packages/control"
    grep -qx /etc/default/powerclamp-logger "$packages/control/conffiles" ||
        fail "the settings are no conffile: $(cat "$packages/control/conffiles")"
    mkdir "$packages/bin"
    for command in systemd-sysusers systemctl deb-systemd-invoke deb-systemd-helper; do
        printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$command" "$packages/calls" >"$packages/bin/$command"
        chmod +x "$packages/bin/$command"
    done
    PATH=$packages/bin:$PATH sh "$packages/control/postinst" configure || fail "postinst configure fails"
    calls=$(cat "$packages/calls" 2>/dev/null || true)
    [ "$(grep '^systemd-sysusers' <<<"$calls")" = "systemd-sysusers powerclamp.conf" ] ||
        fail "postinst does not make the user from powerclamp.conf: $calls"
    # The listing is read whole: a grep that stops early would end dpkg-deb with SIGPIPE.
    listing=$(dpkg-deb -c "$cli_deb")
    grep -q ' \./usr/lib/sysusers\.d/powerclamp\.conf$' <<<"$listing" ||
        fail "postinst names powerclamp.conf, which the package does not install"
    ! grep -qE 'enable|start|deb-systemd' <<<"$calls" || fail "postinst enables or starts the service: $calls"
    ;;

program)
    export QT_QPA_PLATFORM=offscreen
    program=$window/usr/bin/powerclamp
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
    for program in powerclamp-cli powerclamp-metersim; do
        said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$cli/usr/bin/$program" --version)
        [ "$said" = "$program $version" ] || fail "the staged $program's --version says: $said"
    done
    ;;

logger)
    # The service's command, made from the unit and its settings, run by hand as the service's
    # user against the simulator on a pseudo-terminal, in a folder like its state folder.
    [ "$(id -u)" -eq 0 ] || skip "the logger runs as the user powerclamp, which only root can create and become"
    command -v systemd-sysusers >/dev/null || skip "systemd-sysusers is missing (Debian package systemd)"
    user=$(unit_value User)
    systemd-sysusers "$sysusers" || fail "systemd-sysusers rejects $sysusers"
    id -nG "$user" | grep -qw dialout || fail "$user is not in dialout"

    work=$(mktemp -d)
    chmod 755 "$work"
    simulator_pid= listener_pid=
    cleanup() {
        [ -z "$simulator_pid" ] || kill "$simulator_pid" 2>/dev/null || true
        [ -z "$listener_pid" ] || kill "$listener_pid" 2>/dev/null || true
        rm -rf "$work"
    }
    trap cleanup EXIT
    mkdir "$work/state" "$work/meter"
    chown "$user:" "$work/state" "$work/meter"

    # The simulator runs as the same user, so the terminal is the user's to open.
    runuser -u "$user" -- "$cli/usr/bin/powerclamp-metersim" --link "$work/meter/tty" >"$work/simulator.out" &
    simulator_pid=$!
    for _ in $(seq 50); do
        [ -e "$work/meter/tty" ] && break
        sleep 0.1
    done
    [ -e "$work/meter/tty" ] || fail "the simulator made no terminal"

    # The shipped settings, with the meter's port and the log moved into the test's state folder.
    sed -e "s|^LOGGER_PORT=.*|LOGGER_PORT=\"--port 1=$work/meter/tty\"|" \
        -e "s|^LOGGER_CSV=\"/var/lib/$(unit_value StateDirectory)/|LOGGER_CSV=\"$work/state/|" \
        "$defaults" >"$work/settings"
    mapfile -t command < <(service_command "$work/settings")

    # systemd's side of readiness and the watchdog, with a 2 s watchdog as a unit could set.
    python3 "$(dirname "$0")/notify-listener.py" "$work/notify" "$work/notifications" 20 &
    listener_pid=$!
    for _ in $(seq 50); do
        [ -S "$work/notify" ] && break
        sleep 0.1
    done
    [ -S "$work/notify" ] || fail "the notification socket did not appear"

    day_before=$(date +%Y-%m-%d)
    (cd "$work/state" && exec runuser -u "$user" -- \
        env NOTIFY_SOCKET="$work/notify" WATCHDOG_USEC=2000000 "${command[@]}") \
        >"$work/logger.out" 2>"$work/logger.err" &
    logger_pid=$!
    sleep 6
    # The signal goes to the program as systemd would send it, not to runuser, which would end
    # with the signal's own status.
    logger=$(pgrep -P "$logger_pid") || fail "the logger ended by itself: $(cat "$work/logger.err")"
    kill -TERM "$logger"
    status=0
    wait "$logger_pid" || status=$?
    [ "$status" -eq 0 ] || fail "the logger ends on SIGTERM with status $status: $(cat "$work/logger.err")"
    wait "$listener_pid" || true

    # Ready first, naming the file; a status line when the meter answered; the watchdog kept alive
    # every second; the stop announced. The journal hears of the meter, and of no single answer.
    notifications=$(cat "$work/notifications")
    [[ $(head -n 1 <<<"$notifications") == "READY=1\nSTATUS=logging to $work/state/readings-%Y-%m-%d.csv" ]] ||
        fail "the logger did not say it was ready first: $notifications"
    grep -qx 'STATUS=the meter answers on port 1' <<<"$notifications" ||
        fail "the status does not say where the meter answers: $notifications"
    pings=$(grep -cx 'WATCHDOG=1' <<<"$notifications" || true)
    [ "$pings" -ge 4 ] || fail "$pings watchdog keep-alives in 6 s with a 2 s watchdog"
    [ "$(tail -n 1 <<<"$notifications")" = STOPPING=1 ] || fail "the stop was not announced: $notifications"
    [ "$(cat "$work/logger.err")" = "powerclamp-cli: the meter answers on port 1" ] ||
        fail "the journal got: $(cat "$work/logger.err")"

    logs=("$work/state"/readings-*.csv)
    [ -f "${logs[0]}" ] || fail "the logger wrote no file into its folder: $(ls "$work/state")"
    [ "$(stat -c %U "${logs[0]}")" = "$user" ] || fail "the log belongs to $(stat -c %U "${logs[0]}")"
    name=$(basename "${logs[0]}")
    [ "$name" = "readings-$day_before.csv" ] || [ "$name" = "readings-$(date +%Y-%m-%d).csv" ] ||
        fail "the log's name is $name"
    # Rows of readings name their item; the header and the link's rows do not.
    readings=$(awk -F, 'NR > 1 && $2 != ""' "${logs[0]}" | wc -l)
    [ "$readings" -ge 4 ] || fail "the log holds $readings readings after 6 s: $(cat "${logs[0]}")"
    ;;

*)
    fail "unknown check $check"
    ;;
esac
