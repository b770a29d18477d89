#!/usr/bin/env bash
# Line and branch coverage of the driver and host libraries (Host/, Platform/,
# PrinterDriver/; not the tests, tools or fuzz targets) over every CTest test,
# fuzz corpus replays included. Builds in build-coverage/, prints the summary
# and writes the HTML report build-coverage/coverage/index.html.
# Branch counts leave out the branches g++ adds for exceptions and those it
# marks unreachable: they are not decisions of our code.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j 2
# Counters of an earlier run would add up with this one's.
find build-coverage -name '*.gcda' -delete
status=0
ctest --preset coverage || status=$?
mkdir -p build-coverage/coverage
gcovr --root . --object-directory build-coverage -j 2 \
      --filter 'Host/' --filter 'Platform/' --filter 'PrinterDriver/' \
      --exclude-throw-branches --exclude-unreachable-branches \
      --html-details build-coverage/coverage/index.html --print-summary
echo "HTML report: build-coverage/coverage/index.html"
((status == 0)) || echo "coverage: some tests failed (see above); the numbers cover a failing run" >&2
exit "$status"
