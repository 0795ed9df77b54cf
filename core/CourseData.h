#pragma once
// The course file (.crs) for indoor trainers: one 28-byte little-endian record
// per altitude sample, in ascending distance, with no header:
//   offset 0  double  distance from the start, km
//   offset 8  double  height, m
//   offset 16 double  gradient from the previous sample, percent, never negative
//   offset 24 int32   0x004041F8 in the first record, 0 in every other
#include <QByteArray>
#include <QString>

#include <vector>

constexpr int CrsRecordSize = 28;
constexpr qint32 CrsFirstRecordMark = 4211192;   // 0x004041F8

// Gradient in percent from the previous sample to this one: the height
// difference (taken as positive) in metres over the distance in km, divided by
// 10. The first sample of a course only sets the previous values and gives 0,
// so a course below sea level keeps its gradients. Updates PrevHeight and
// PrevDistance to this sample. Throws VbError 11 when the two distances are
// equal.
double GetPendenza(double &PrevHeight, double Height, double &PrevDistance, double Distance,
                   bool First);

struct CrsPoint {
    double distance = 0;   // km
    double height = 0;     // m
};

// The bytes of a course file for the samples given in ascending distance.
// Throws VbError as GetPendenza does.
QByteArray BuildCrsData(const std::vector<CrsPoint> &points);

// The samples of the route or climb Id of the open database (Kind "climb"
// reads the climb samples, any other kind the route samples) as course points.
// Throws VbError 94 for a sample without distance or height.
std::vector<CrsPoint> crsPointsOf(const QString &Id, const QString &Kind);
