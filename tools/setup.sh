#!/bin/bash
# Installs the Debian packages the project needs (only those missing) and
# builds everything into build/. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  libopencv-videoio-dev libopencv-highgui-dev libopencv-calib3d-dev
  freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libexpat1-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth xdotool imagemagick fonts-dejavu-core chromium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
