#include "Race.h"

SamplePtr ColSample::Add(float Speed, int32_t Seconds, float Distance, int16_t Height, int16_t Pulse,
                         int16_t Cadence, float Temperature, const QString &Label, const QString &Icon,
                         int16_t Power, int16_t PowerBalance, int16_t PedalingIndex, const QString &sKey)
{
    auto s = std::make_shared<Sample>();
    s->Speed(Speed);
    s->Seconds(Seconds);
    s->Distance(Distance);
    s->Height(Height);
    s->Pulse(Pulse);
    s->Cadence(Cadence);
    s->Temperature(Temperature);
    s->Label(Label);
    s->Icon(Icon);
    s->Power(Power);
    s->PowerBalance(PowerBalance);
    s->PedalingIndex(PedalingIndex);
    Append(s, sKey);
    return s;
}

RacePtr ColRace::Add(int16_t StartHeight, int16_t endHeight, const QString &City, const QString &province,
                     const QString &region, const QString &state, const QString &phone, const QString &mail,
                     const QString &web, const QString &info, ColSamplePtr Samples, float lenght,
                     const QString &raceName, int32_t raceType, const QString &sKey)
{
    auto r = std::make_shared<Race>();
    r->StartHeight(StartHeight);
    r->endHeight(endHeight);
    r->City(City);
    r->province(province);
    r->region(region);
    r->state(state);
    r->phone(phone);
    r->mail(mail);
    r->web(web);
    r->info(info);
    r->Samples(std::move(Samples));
    r->lenght(lenght);
    r->raceName(raceName);
    r->raceType(raceType);
    Append(r, sKey);
    return r;
}
