#!/usr/bin/env bash
# Installs what is missing, builds the project and runs every test.
# Usage: scripts/test.sh [release|asan]   (default: release)
set -euo pipefail

preset="${1:-release}"
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
