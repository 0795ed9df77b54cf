#include "core/RecordCounts.h"

#include <cmath>

int32_t CountRecords(const dao::RecordsetPtr &Rs)
{
    if (!Rs || !Rs->IsOpen())
        return 0;
    // The database layer counts a recordset's rows without moving it or
    // reading them all, so no clone has to walk to the last row.
    return Rs->RecordCount();
}

int32_t RecordPosition(const dao::RecordsetPtr &Rs, int32_t Count)
{
    if (Count == 0 || !Rs)
        return 0;
    const double p = Rs->PercentPosition() * 0.01 * double(Count) + 1.0;
    return int32_t(std::nearbyint(p));
}
