#!/usr/bin/env bash
# Installs, builds and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."

# Beside the build: what the tests read PDFs, workbooks and packages with, the MQTT broker and
# client, a Prometheus text parser, systemd-analyze for the service's unit, pgrep to signal the
# service's command run by hand, openssl for the broker's test certificates and man to check the
# manual pages.
scripts/setup.sh poppler-utils unzip fonts-dejavu-core desktop-file-utils appstream dpkg-dev file \
    mosquitto mosquitto-clients python3-prometheus-client systemd procps openssl man-db

export QT_QPA_PLATFORM=offscreen
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir build --output-on-failure --timeout 300
scripts/test-sanitizers.sh
