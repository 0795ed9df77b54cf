#pragma once
// Turning a recording into a new route or climb: the thinning of its
// distance and height points, the checks of the name, and the Race that the
// store receives.
#include "core/Race.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

// The longest name a route or climb may have.
constexpr int kMaxRaceName = 250;

// The distance step (km) of an item of the sampling-step list; 0 for any
// index outside the list.
float StepOfFilter(int index);
// The ten items of the sampling-step list, the same in every language.
QStringList FilterItems();

// Indexes (from 0) of the samples kept when a recording is thinned by step
// km. The first sample is kept, and the end of the recording: when the ride
// ends standing still, the first sample at the final distance. In between, a
// sample is kept only where the height changes (or the next sample lies at
// the same distance), once the distance gathered across such samples since
// the last kept one reaches the step. A sample at the same distance as the
// one before it is never kept.
std::vector<int> ThinSamples(const std::vector<float> &distances, const std::vector<int16_t> &heights,
                             float step);

// A distance rounded to three decimals, as the sample table stores it.
float RoundDistance(float km);

enum class NameCheck { Ok, Empty, TooLong };
// A name of blanks counts as empty; more than kMaxRaceName characters is too long.
NameCheck CheckRaceName(const QString &name);

struct ImportRequest {
    QString name;
    int32_t raceType = 1;        // 0 climb, else route
    float length = 0;            // km
    int16_t startAltitude = 0;   // of the recording's first sample
    int16_t endAltitude = 0;     // of its last sample
    int32_t offset = 0;          // added to every height
    float step = 0;              // km
};

// The race to store: the kept samples with distances rounded to three
// decimals (samples that round to the same distance are kept once, the end
// point winning over an inner sample) and heights shifted by the offset.
// progress(i, n) is called as the samples are gone through. A shifted height
// outside -32768..32767 raises error 6 (overflow).
RacePtr BuildImportRace(const ColSample &samples, const ImportRequest &request,
                        const std::function<void(int, int)> &progress = {});
