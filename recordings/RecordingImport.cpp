#include "recordings/RecordingImport.h"

#include "platform/error/VbError.h"

#include <QStringList>

float StepOfFilter(int index)
{
    static const float steps[] = {0.0f, 0.1f, 0.2f, 0.25f, 0.5f, 1.0f, 2.0f, 2.5f, 5.0f, 10.0f};
    return index >= 0 && index < 10 ? steps[index] : 0.0f;
}

QStringList FilterItems()
{
    return {QStringLiteral("0- Nessun Filtro"), QStringLiteral("1- 100"), QStringLiteral("2- 200"),
            QStringLiteral("3- 250"),           QStringLiteral("4- 500"), QStringLiteral("5- 1000"),
            QStringLiteral("6- 2000"),          QStringLiteral("7- 2500"), QStringLiteral("8- 5000"),
            QStringLiteral("9- 10000")};
}

std::vector<int> ThinSamples(const std::vector<float> &D, const std::vector<int16_t> &H, float step)
{
    std::vector<int> kept;
    const int n = int(std::min(D.size(), H.size()));
    if (n == 0)
        return kept;
    // The end point: the first of the samples that share the final distance.
    int end = n - 1;
    while (end > 0 && D[end - 1] == D[n - 1])
        --end;
    float last = -999.0f;
    float acc = 0;
    for (int i = 0; i <= end; ++i) {
        if (D[i] == last)
            continue;
        last = D[i];
        if (i > 0 && i < end) {
            const bool candidate = H[i] != H[i - 1] || H[i] != H[i + 1] || D[i] == D[i + 1];
            if (!candidate)
                continue;
            acc += D[i] - D[i - 1];
            if (acc < step)
                continue;
            acc = 0;
        }
        kept.push_back(i);
    }
    return kept;
}

float RoundDistance(float km)
{
    return QString::number(double(km), 'f', 3).toFloat();
}

NameCheck CheckRaceName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return NameCheck::Empty;
    if (name.size() > kMaxRaceName)
        return NameCheck::TooLong;
    return NameCheck::Ok;
}

namespace {
int16_t Shift(int32_t height, int32_t offset)
{
    const int32_t v = height + offset;
    if (v < -32768 || v > 32767)
        RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
    return int16_t(v);
}
}

RacePtr BuildImportRace(const ColSample &samples, const ImportRequest &request,
                        const std::function<void(int, int)> &progress)
{
    auto race = std::make_shared<Race>();
    race->raceName(request.name);
    race->raceType(request.raceType == 0 ? 0 : 1);
    race->lenght(request.length);
    race->StartHeight(Shift(request.startAltitude, request.offset));
    race->endHeight(Shift(request.endAltitude, request.offset));

    const int n = samples.Count();
    std::vector<float> distances;
    std::vector<int16_t> heights;
    distances.reserve(size_t(n));
    heights.reserve(size_t(n));
    for (const SamplePtr &s : samples) {
        distances.push_back(s->Distance());
        heights.push_back(s->Height());
    }
    const std::vector<int> kept = ThinSamples(distances, heights, request.step);

    auto out = std::make_shared<ColSample>();
    std::vector<std::pair<float, int16_t>> points;   // rounded distance, shifted height
    points.reserve(kept.size());
    size_t next = 0;
    for (int i = 0; i < n; ++i) {
        if (next < kept.size() && kept[next] == i) {
            const float d = RoundDistance(distances[size_t(i)]);
            const int16_t h = Shift(heights[size_t(i)], request.offset);
            const bool isEnd = next + 1 == kept.size();
            if (!points.empty() && points.back().first == d) {
                // Kept once: the end point takes the place of an inner sample.
                if (isEnd && points.size() > 1)
                    points.back() = {d, h};
            } else {
                points.emplace_back(d, h);
            }
            ++next;
        }
        if (progress)
            progress(i + 1, n);
    }
    for (const auto &[d, h] : points) {
        auto s = std::make_shared<Sample>();
        s->Distance(d);
        s->Height(h);
        out->Append(s);
    }
    race->Samples(out);
    return race;
}
