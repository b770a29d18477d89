#pragma once
// The recording ends of the engine tests: an output port that keeps every
// write and can refuse from a given write on, and a page engine that records
// what the engine base asks of a concrete engine.
#include "APageBaseRTL.h"

#include <cstdint>
#include <cstring>
#include <vector>

class RecordingPort : public OutputPort {
public:
    struct Write {
        std::vector<uint8_t> bytes;
        uint64_t context;
    };

    int32_t write(const void* data, int32_t count, uint64_t context) override {
        const auto* p = static_cast<const uint8_t*>(data);
        if (static_cast<int>(writes.size()) >= failFrom) return count - 1;
        writes.push_back({std::vector<uint8_t>(p, p + count), context});
        return count;
    }

    std::vector<Write> writes;
    int failFrom = 1 << 30;   // index of the first refused write
};

inline const char* const kInks[] = {"Cyan", "Magenta", "Yellow", "Black"};

// Records what the page engine asks of a concrete engine; its colorants are
// C, M, Y, K of 1 bit; its clock is a counter that only moves when a test says so.
class RecordingEngine : public APageBaseRTL {
public:
    RecordingEngine() = default;
    // An engine that writes to port for job without a job having been started.
    RecordingEngine(DriverJob* job, OutputPort* port) {
        driverJob = job;
        outputPort = port;
    }

    struct Line {
        int plane;
        int line;
        std::vector<uint8_t> data;
    };

    int GetEngineCode() override { return 99; }
    int GetDeviceResolution(int* x, int* y) override {
        *x = *y = deviceResolution;
        return 1;
    }
    int GetColorantList(int, ColorantList* list) override {
        list->count = 4;
        for (int i = 0; i < 4; ++i) {
            ColorantEntry& e = list->entries[i];
            std::memset(&e, 0, sizeof e);
            std::strcpy(e.name, kInks[i]);
            std::strcpy(e.displayName, kInks[i]);
            e.one = 1;
            e.bitsPerPixel = 1;
        }
        return 1;
    }
    int SetPlaneOrder() override {
        APageBaseRTL::SetPlaneOrder();
        if (interleaved) {
            // Every plane of a line in turn, without plane starts and ends.
            track->firstLine = track->lastLine = -1;
            track->lineOrder = 2;
        }
        return 1;
    }
    int Reserved25(const PrinterSetup*, MediaEntry*, intptr_t a, intptr_t b, intptr_t c, intptr_t d) override {
        forwarded = {a, b, c, d};
        return 5;
    }
    int SkipPlane(int colorant) override { return colorant == skippedColorant; }
    int BeginPlane(int, int) override { return ++planeCalls; }
    int EndPlane(int, int) override { return ++planeCalls; }
    int WriteLine(int plane, int line, const uint8_t* data) override {
        lines.push_back({plane, line, std::vector<uint8_t>(data, data + track->outputLineBytes)});
        if (line == slowLine) now += 201;
        return 1;
    }

    const JobTrackRecord& trackRecord() const { return *track; }
    // The planes written, in order, one entry per plane run.
    std::vector<int> planeRuns() const {
        std::vector<int> runs;
        for (const Line& l : lines)
            if (runs.empty() || runs.back() != l.plane) runs.push_back(l.plane);
        return runs;
    }

    int planeCalls = 0;   // plane starts and ends
    std::vector<Line> lines;
    int deviceResolution = 1;
    int slowLine = -1;   // writing this line takes 201 ms of the fake clock
    bool interleaved = false;
    int skippedColorant = -1;
    std::vector<intptr_t> forwarded;   // the values Reserved25 received

protected:
    uint32_t TickCount() override { return now; }

private:
    uint32_t now = 0xFFFFFF00u;   // close to the wrap, as a long-running system's tick count
};

