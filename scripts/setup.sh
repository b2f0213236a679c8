#!/usr/bin/env bash
# Installs the Debian packages Drovik builds and tests with, when missing.
set -euo pipefail

packages=(
  g++ cmake make ccache          # compiler and build
  googletest libgtest-dev libgmock-dev  # unit tests
  libbenchmark-dev               # benchmarks
  libboost-dev                   # Boost.Geometry R-tree for the headless host's selection index
  clang libclang-rt-14-dev       # libFuzzer targets and LeakSanitizer runtime
  python3-ezdxf                  # independent DXF reader in interop tests
  python3-shapely                # GEOS, the independent oracle of the parallel offset tests
  librsvg2-bin                   # rsvg-convert: drovik render -o OUT.png
  fonts-wqy-microhei             # Chinese characters in rendered texts
  python3-pil                    # reads the pictures in tests/interop/librecad_render_check.py
  libdxflib-dev                  # dxflib, the parse-only yardstick of bench/dxf_convert_bench.py
  time                           # /usr/bin/time: peak memory in bench/dxf_convert_bench.py
  librecad poppler-utils         # LibreCAD's dxf2pdf and pdftoppm: tests/interop/librecad_print_check.py
  g++-mingw-w64-x86-64-posix     # the Windows cross build (16-bit wchar_t)
  wine64                         # runs the Windows tests and example client
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
