#!/usr/bin/env bash
# scripts/test's summary counts of a real CTest run: a test that passes, one that fails, one that
# exits with its skip code and a GoogleTest case that skips. The skipped ones are counted as
# skipped, not as passed (CTest's own line counts them among the passed).
# Usage: test-counts.sh
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(counts NONE)
enable_testing()
add_test(NAME passes COMMAND true)
add_test(NAME fails COMMAND false)
add_test(NAME skips COMMAND sh -c "echo 'skipped: nothing to run here'; exit 77")
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
add_test(NAME gtest_skips COMMAND sh -c "echo '[  SKIPPED ] Suite.Case'")
set_tests_properties(gtest_skips PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
CMAKE
cmake -S "$work" -B "$work/build" >/dev/null || exit 1
(cd "$work/build" && ctest) >"$work/ctest.txt" 2>&1
passed=0 failed=0 skipped=0
# shellcheck source=../../scripts/test-counts
source "$here/../../scripts/test-counts"
count_ctest "$work/ctest.txt"
count_ctest "$work/ctest.txt"
if [ "$passed $failed $skipped" != "2 2 4" ]; then
    echo "FAILED: counted $passed passed, $failed failed, $skipped skipped; expected 2, 2 and 4 over two runs"
    cat "$work/ctest.txt"
    exit 1
fi
echo "ok: $passed passed, $failed failed, $skipped skipped"
