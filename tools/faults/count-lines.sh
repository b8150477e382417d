#!/usr/bin/env bash
# Lines of the code and of its tests in the committed tree (or at REVISION): non-blank,
# non-comment C++ lines of the code (everything outside tests/, bench/ and fuzz/) and of the
# tests (tests/), and the lines of the test scripts (shell and Python under tests/).
#   count-lines.sh [REVISION]
set -euo pipefail
cd "$(dirname "$0")/../.."
revision=${1:-HEAD}
files() { git ls-tree -r --name-only "$revision" | grep -E "$1"; }
cpp_lines() {
  local total=0 n f
  while read -r f; do
    n=$(git show "$revision:$f" | grep -c -v -E '^\s*(//.*)?$' || true)
    total=$((total + n))
  done
  echo "$total"
}
script_lines() {
  local total=0 n f
  while read -r f; do
    n=$(git show "$revision:$f" | grep -c -v -E '^\s*(#.*)?$' || true)
    total=$((total + n))
  done
  echo "$total"
}
code=$(files '\.(c|cc|cpp|h|hpp)$' | grep -v -E '^(tests|bench|fuzz)/' | cpp_lines)
tests=$(files '^tests/.*\.(c|cc|cpp|h|hpp)$' | cpp_lines)
shell=$(files '^tests/.*\.sh$' | script_lines)
python=$(files '^tests/.*\.py$' | script_lines)
echo "$revision: code $code C++ lines; tests $tests C++ lines, $shell shell lines, $python Python lines"
