#pragma once
// The recording ends of the engine tests: an output port that keeps every
// write and can refuse from a given write on, and a page engine that records
// what the engine base asks of a concrete engine.
#include "APageBaseRTL.h"

#include <cstdint>
#include <cstring>
#include <string>
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
    int BeginPage() override { return record("BeginPage"); }
    int EndPage() override { return record("EndPage"); }
    int EndJob() override { return record("EndJob") && APageBaseRTL::EndJob(); }
    int BeginPlane(int plane, int) override { return record("BeginPlane " + std::to_string(plane)); }
    int EndPlane(int plane, int) override { return record("EndPlane " + std::to_string(plane)); }
    int WriteLine(int plane, int line, const uint8_t* data) override {
        record("Line " + std::to_string(plane) + "," + std::to_string(line));
        lines.emplace_back(data, data + track->outputLineBytes);
        if (line == slowLine) now += 201;
        return 1;
    }

    const JobTrackRecord& trackRecord() const { return *track; }
    // The planes started, in order.
    std::vector<int> planeRuns() const {
        std::vector<int> runs;
        for (const std::string& call : calls)
            if (call.starts_with("BeginPlane ")) runs.push_back(std::stoi(call.substr(11)));
        return runs;
    }

    std::vector<std::string> calls;   // pages, plane starts and ends, lines and the job's end, in order
    std::vector<std::vector<uint8_t>> lines;   // the data of every line written
    int deviceResolution = 1;
    int slowLine = -1;   // writing this line takes 201 ms of the fake clock
    bool interleaved = false;
    int skippedColorant = -1;
    std::vector<intptr_t> forwarded;   // the values Reserved25 received

protected:
    uint32_t TickCount() override { return now; }

private:
    int record(const std::string& call) {
        calls.push_back(call);
        return 1;
    }
    uint32_t now = 0xFFFFFF00u;   // close to the wrap, as a long-running system's tick count
};

