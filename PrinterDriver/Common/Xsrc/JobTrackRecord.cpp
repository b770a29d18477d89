#include "JobTrackRecord.h"

#include <limits>

int JobTrackRecord::RoundedResolution(double resolution) {
    // The job header is the host's file: a resolution no int can hold must not reach the conversion.
    const double rounded = resolution + 0.5;
    if (!(rounded > 0.0 && rounded < static_cast<double>(std::numeric_limits<int32_t>::max()))) return 0;
    return static_cast<int>(rounded);
}

JobTrackRecord::JobTrackRecord(int pages, double xResolution, double yResolution)
    : pageCount(pages),
      outputXResolution(RoundedResolution(xResolution)),
      outputYResolution(RoundedResolution(yResolution)),
      effectiveXResolution(xResolution),
      effectiveYResolution(yResolution) {}

JobTrackRecord::~JobTrackRecord() { ClearColorants(); }

void JobTrackRecord::ClearColorants() {
    for (int i = colorants.GetSize() - 1; i >= 0; --i) delete colorants[i];
    colorants.RemoveAll();
}
