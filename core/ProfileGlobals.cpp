#include "core/ProfileGlobals.h"

int32_t ProfilePointCount = 0;
float ProfileDistance = 0;
int32_t ProfileBase = 0;
int32_t ProfileSpan = 0;
QString ProfileName;
QString ProfileTime;
QString ProfileSpeed;
QString ProfileLength;
QString ProfileClimbRate;
QString ProfileGrade;
int32_t ProfileGain = 0;
float ProfileClimbKm = 0;
QVector<ProfileSample> ProfileSamples;
QString IconKey;

void ResetProfileGlobals()
{
    ProfilePointCount = 0;
    ProfileDistance = 0;
    ProfileBase = 0;
    ProfileSpan = 0;
    ProfileName.clear();
    ProfileTime.clear();
    ProfileSpeed.clear();
    ProfileLength.clear();
    ProfileClimbRate.clear();
    ProfileGrade.clear();
    ProfileGain = 0;
    ProfileClimbKm = 0;
    ProfileSamples.clear();
    IconKey.clear();
}
