#include "JobTrackRecord.h"

namespace {
int rounded(double resolution) { return static_cast<int>(resolution + 0.5); }
}  // namespace

JobTrackRecord::JobTrackRecord(int pages, double xResolution, double yResolution)
    : pageCount(pages),
      outputXResolution(rounded(xResolution)),
      outputYResolution(rounded(yResolution)),
      effectiveXResolution(xResolution),
      effectiveYResolution(yResolution) {}

JobTrackRecord::~JobTrackRecord() { ClearColorants(); }

void JobTrackRecord::ClearColorants() {
    for (int i = colorants.GetSize() - 1; i >= 0; --i) delete colorants[i];
    colorants.RemoveAll();
}
