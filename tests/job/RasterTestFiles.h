#pragma once
// Raster job files for the job library's tests: small jobs written with the
// shared line pattern (TestJob::patternTileLine), and readers that compare a
// job with it.
#include "TestJob.h"
#include "ZUJob.h"

#include <filesystem>
#include <vector>

// Writes the pages with the pattern, plane after plane (or every plane per line
// when `interleaved`), garbage in the padding bits; fails the test on any writer error.
void WritePatternJob(const std::filesystem::path& path, const std::vector<TestPage>& pages, bool interleaved = false);
// A small job: a 2-bit/8-bit/1-bit page of 21 x 5 and a tiled page of two tiles.
std::vector<TestPage> SmallJob();

// Reads every line of every image of a loaded, opened job; true when each
// line reads and matches the pattern. With `lineMajor`, reads every plane
// in turn for each line, else all lines of one plane after the other.
bool JobMatchesPattern(ZUJob& job, const std::vector<TestPage>& pages, bool lineMajor = false);
// Reads every line of every image; the number of lines that read (content unchecked).
int ReadEveryLine(ZUJob& job);
