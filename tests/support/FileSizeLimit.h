#pragma once
// A full disk for a test: the body runs in a child process whose files may not
// grow past a few bytes, so that the test process keeps its own limits.
#include <cstddef>
#include <functional>

// Runs body in a child whose files stop at limitBytes (SIGXFSZ ignored, so the
// write itself fails); the child's exit status (body's result), -1 when it did not exit.
int RunWithFileSizeLimit(std::size_t limitBytes, const std::function<int()>& body);
