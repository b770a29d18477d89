#include "TileRequest.h"

#include "JobHeader.h"
#include "ToolError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char kMagic[8] = {'Z', 'K', 'T', 'I', 'L', 'E', 'S', 0};
constexpr size_t kFixedBytes = sizeof kMagic + 8;
constexpr size_t kMaxBlock = kFixedBytes + 3 * 4 * TileGrid::kMaxPanels;

void put(std::vector<uint8_t>& out, int32_t value) {
    const auto v = uint32_t(value);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

int32_t get(const uint8_t* at) {
    return int32_t(uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24);
}

}  // namespace

TileRequest TileRequest::forPanels(const std::vector<TilePanel>& panels) {
    TileRequest request;
    request.tilingKind = kPosterTiling;
    for (size_t i = 0; i < panels.size(); ++i) {
        request.pageNumbers.push_back(int32_t(i) + 1);
        request.stripIDs.push_back(panels[i].column);
        request.tileIDs.push_back(panels[i].number);
    }
    return request;
}

std::vector<uint8_t> TileRequest::encode() const {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    put(out, tilingKind);
    put(out, int32_t(tileIDs.size()));
    for (const std::vector<int32_t>* list : {&pageNumbers, &stripIDs, &tileIDs})
        for (const int32_t value : *list) put(out, value);
    return out;
}

TileRequest TileRequest::read(const std::string& jobPath) {
    std::FILE* f = std::fopen(jobPath.c_str(), "rb");
    if (!f) throw ToolError("cannot read job file " + jobPath + ": " + std::strerror(errno));
    std::vector<uint8_t> block(kMaxBlock + 1);
    size_t size = 0;
    if (std::fseek(f, long(kJobHeaderSize), SEEK_SET) == 0) size = std::fread(block.data(), 1, block.size(), f);
    std::fclose(f);
    TileRequest request;
    if (size == 0) return request;

    const std::string bad = "job file " + jobPath + ": the bytes after its header are not a tile list";
    if (size < kFixedBytes || std::memcmp(block.data(), kMagic, sizeof kMagic) != 0) throw ToolError(bad);
    const int32_t count = get(&block[12]);
    if (count < 2 || count > TileGrid::kMaxPanels || size != kFixedBytes + 12 * size_t(count)) throw ToolError(bad);
    request.tilingKind = get(&block[8]);
    const uint8_t* at = &block[kFixedBytes];
    for (std::vector<int32_t>* list : {&request.pageNumbers, &request.stripIDs, &request.tileIDs})
        for (int32_t i = 0; i < count; ++i, at += 4) list->push_back(get(at));
    return request;
}

void TileRequest::applyTo(JobRequest& request) const {
    request.tilingKind = tilingKind;
    request.tileCount = int32_t(tileIDs.size());
    request.tilePageNumbers = empty() ? nullptr : pageNumbers.data();
    request.tileStripIDs = empty() ? nullptr : stripIDs.data();
    request.tileIDs = empty() ? nullptr : tileIDs.data();
}
