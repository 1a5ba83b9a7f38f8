#!/usr/bin/env bash
# Builds Tavrel and writes docs/mainwindow.png and docs/presets.png, taken on a virtual X display.
# The program runs from a throwaway copy of itself on a copy of samples/one-adapter.reg, so neither the
# sample nor a preset file beside the build is touched.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."

main_title='Tavrel - Version [0-9.]*'
editor_title='Set presets'
# Centre of "Set presets" (Command5) in the main window's client area: the button sits at 48,296 with
# size 73x17 (its frame at 8,240 plus its own 40,56), at 15 twips a pixel.
set_presets_x=84
set_presets_y=304

# Waits up to 20 s for a visible top-level window with exactly this title; prints its id.
wait_window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || true
    if [ -z "$id" ]; then
        echo "screenshots: no window \"$1\" appeared" >&2
        return 1
    fi
    sleep 1 # let it paint
    echo "$id"
}

# Shoots the whole screen and cuts out the window. With no window manager on the display, the window's
# geometry is its client area, without a frame.
shoot() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "$2"
    echo "wrote $2 (${WIDTH}x${HEIGHT})"
}

if [ "${1:-}" = --on-display ]; then
    work=$2 docs=$3
    unset QT_QPA_PLATFORM
    TAVREL_REGISTRY="$work/registry.reg" "$work/tavrel" &
    pid=$!
    trap 'kill "$pid" 2>/dev/null || true' EXIT

    main=$(wait_window "$main_title")
    shoot "$main" "$docs/mainwindow.png"

    xdotool mousemove --window "$main" "$set_presets_x" "$set_presets_y" click 1
    editor=$(wait_window "$editor_title")
    shoot "$editor" "$docs/presets.png"
    exit 0
fi

if [ ! -f samples/one-adapter.reg ]; then
    echo "screenshots: samples/one-adapter.reg is missing" >&2
    exit 1
fi

scripts/deps.sh

cmake -S . -B build-shots -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF
cmake --build build-shots -j2 --target tavrel

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build-shots/src/app/tavrel "$work/tavrel"
cp samples/one-adapter.reg "$work/registry.reg"
mkdir -p docs

xvfb-run -a -s "-screen 0 800x600x24" "$self" --on-display "$work" "$PWD/docs"
