#pragma once
// An output port that keeps every write, and can refuse from a given write on.
#include "HostRecords.h"

#include <cstdint>
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
