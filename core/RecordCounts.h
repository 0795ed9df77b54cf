#pragma once
// The "n of N" counters of the record windows. Both count in 32 bits: a time
// table of more than 32,767 rows counts and positions right.
#include "platform/dao/Dao.h"

#include <cstdint>

// Number of rows of Rs (its additions counted, its deletions not); the
// caller's row does not move. 0 for a missing, closed or empty recordset. Errors of the database go to the
// caller as VbError.
int32_t CountRecords(const dao::RecordsetPtr &Rs);

// 1-based position of Rs's current row among Count rows: 0 when Count is 0,
// else PercentPosition / 100 x Count + 1 rounded to the nearest whole number
// (halves to the even neighbour). The first row gives 1, the last gives Count.
int32_t RecordPosition(const dao::RecordsetPtr &Rs, int32_t Count);
