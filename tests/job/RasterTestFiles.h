#pragma once
// Raster job files for the job library's tests: a deterministic line
// pattern (runs and noise, different for every page, tile, plane and line),
// writers of small jobs, and a reader that compares a job with the pattern.
#include "TestJob.h"
#include "ZUJob.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// Writes the pages with the pattern, plane after plane (or every plane per line
// when `interleaved`); fails the test on any writer error.
void WritePatternJob(const std::filesystem::path& path, const std::vector<TestPage>& pages, bool interleaved = false);
// A small job: a 2-bit/8-bit/1-bit page of 21 x 5 and a tiled page of two tiles.
std::vector<TestPage> SmallJob();

// Reads every line of every image of a loaded, opened job; true when each
// line reads and matches the pattern. With `lineMajor`, reads every plane
// in turn for each line, else all lines of one plane after the other.
bool JobMatchesPattern(ZUJob& job, const std::vector<TestPage>& pages, bool lineMajor = false);
// Reads every line of every image; the number of lines that read (content unchecked).
int ReadEveryLine(ZUJob& job);

// Recomputes the page table and header CRCs after a test edited the bytes.
void Reseal(std::vector<unsigned char>& bytes);
uint64_t DirectoryOffset(const std::vector<unsigned char>& bytes);
