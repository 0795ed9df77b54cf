#include "core/RecordCounts.h"

#include <cmath>

int32_t CountRecords(const dao::RecordsetPtr &Rs)
{
    if (!Rs || !Rs->IsOpen())
        return 0;
    dao::RecordsetPtr clone = Rs->Clone();
    int32_t n = 0;
    try {
        // A clone stands before its rows until moved: ask for the rows it shares.
        if (clone->RecordCount() > 0) {
            clone->MoveLast();
            n = clone->RecordCount();
        }
    } catch (...) {
        clone->Close();
        throw;
    }
    clone->Close();
    return n;
}

int32_t RecordPosition(const dao::RecordsetPtr &Rs, int32_t Count)
{
    if (Count == 0 || !Rs)
        return 0;
    const double p = Rs->PercentPosition() * 0.01 * double(Count) + 1.0;
    return int32_t(std::nearbyint(p));
}
