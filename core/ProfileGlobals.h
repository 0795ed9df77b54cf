#pragma once
// The profile hand-off: the route and climb windows fill these from the card
// they show, and the profile window draws from them. The profile has its own
// point count, so a chart drawn in between can never change what the profile
// reads. (AltimetriaOpen, the profile window's open flag, lives in Globals.h.)
#include <QString>
#include <QVector>
#include <cstdint>

struct ProfileSample {
    float DistParz = 0;   // km from the start
    int32_t Altezza = 0;  // m
    QString Note;
    QString image;        // icon key of table Icons, or empty
};

extern int32_t ProfilePointCount;        // number of entries in ProfileSamples
extern float ProfileDistance;            // largest distance, km
extern int32_t ProfileBase;              // 95 % of the lowest height, m (bottom edge)
extern int32_t ProfileSpan;              // highest height minus ProfileBase, m
extern QString ProfileName;              // the record's name
extern QString ProfileTime;              // legend: estimated time
extern QString ProfileSpeed;             // legend: estimated mean speed
extern QString ProfileLength;            // legend: length in km
extern QString ProfileClimbRate;         // legend: climbing rate (" --- " for routes)
extern QString ProfileGrade;             // legend: mean gradient (" --- " for routes)
extern int32_t ProfileGain;              // sum of the rises between samples, m
extern float ProfileClimbKm;             // length of the rising steps, km
extern QVector<ProfileSample> ProfileSamples; // in ascending distance, index 0 first

// Icon picked in the icon picker, taken by the sample grids ("" after Escape).
extern QString IconKey;

// Puts every value above back to its starting value (tests).
void ResetProfileGlobals();
