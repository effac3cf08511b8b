#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Rebuilds the icon painter in a throw-away build folder and repaints every
# icon into resources/icons/. Run it after changing icons.cpp, then commit the
# PNGs together with the source change.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT INT TERM

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel >/dev/null
QT_QPA_PLATFORM=offscreen "$build/icon-painter" "$root/resources/icons"
echo "icons written to $root/resources/icons"
