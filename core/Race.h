#pragma once
// One route or climb (Race) and one point along it (Sample), as they travel
// between the readers of outside files and the database writer, with the
// ordered collections that hold them. Plain value holders: members are held
// by shared pointer, so the object seen through a collection is the same one
// the caller holds. Positions are 1-based.
#include "platform/error/VbError.h"

#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

class Sample {
public:
    int16_t PedalingIndex() const { return m_PedalingIndex; }
    void PedalingIndex(int16_t v) { m_PedalingIndex = v; }
    float Speed() const { return m_Speed; }
    void Speed(float v) { m_Speed = v; }
    int16_t PowerBalance() const { return m_PowerBalance; }
    void PowerBalance(int16_t v) { m_PowerBalance = v; }
    int16_t Power() const { return m_Power; }
    void Power(int16_t v) { m_Power = v; }
    const QString &Icon() const { return m_Icon; }
    void Icon(const QString &v) { m_Icon = v; }
    const QString &Label() const { return m_Label; }
    void Label(const QString &v) { m_Label = v; }
    float Temperature() const { return m_Temperature; }
    void Temperature(float v) { m_Temperature = v; }
    int16_t Cadence() const { return m_Cadence; }
    void Cadence(int16_t v) { m_Cadence = v; }
    int16_t Pulse() const { return m_Pulse; }
    void Pulse(int16_t v) { m_Pulse = v; }
    int16_t Height() const { return m_Height; }
    void Height(int16_t v) { m_Height = v; }
    float Distance() const { return m_Distance; }
    void Distance(float v) { m_Distance = v; }
    int32_t Seconds() const { return m_Seconds; }
    void Seconds(int32_t v) { m_Seconds = v; }

private:
    int16_t m_PedalingIndex = 0;
    float m_Speed = 0;
    int16_t m_PowerBalance = 0;
    int16_t m_Power = 0;
    QString m_Icon;
    QString m_Label;
    float m_Temperature = 0;
    int16_t m_Cadence = 0;
    int16_t m_Pulse = 0;
    int16_t m_Height = 0;
    float m_Distance = 0;
    int32_t m_Seconds = 0;
};

using SamplePtr = std::shared_ptr<Sample>;

// An ordered collection whose members may also carry a key (matched without
// regard to case). Item/Remove: a position outside 1..Count raises error 9,
// a key that is not there error 5; Append with a key in use raises error 457.
template <class T>
class KeyedCollection {
    struct Entry {
        QString key;
        std::shared_ptr<T> member;
    };

public:
    using Ptr = std::shared_ptr<T>;

    void Append(Ptr member, const QString &sKey = QString())
    {
        if (!member)
            RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
        if (!sKey.isEmpty() && find(sKey) >= 0)
            RaiseError(457, QStringLiteral("This key is already associated with an element of this collection"));
        m_items.push_back({sKey, std::move(member)});
    }
    Ptr Item(int index) const { return m_items[checkIndex(index)].member; }
    Ptr Item(const QString &key) const { return m_items[checkKey(key)].member; }
    int32_t Count() const { return int32_t(m_items.size()); }
    // Makes room for n members, so a reader that knows its count appends
    // without moving the collection again and again.
    void Reserve(int n) { m_items.reserve(size_t(std::max(0, n))); }
    void Remove(int index) { m_items.erase(m_items.begin() + checkIndex(index)); }
    void Remove(const QString &key) { m_items.erase(m_items.begin() + checkKey(key)); }

    // Enumeration in the order of appending (NewEnum).
    class const_iterator {
    public:
        using Inner = typename std::vector<Entry>::const_iterator;
        explicit const_iterator(Inner it) : m_it(it) {}
        const Ptr &operator*() const { return m_it->member; }
        const_iterator &operator++() { ++m_it; return *this; }
        bool operator==(const const_iterator &o) const { return m_it == o.m_it; }
        bool operator!=(const const_iterator &o) const { return m_it != o.m_it; }
    private:
        Inner m_it;
    };
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

private:
    size_t checkIndex(int index) const
    {
        if (index < 1 || index > int(m_items.size()))
            RaiseError(VbErr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        return size_t(index - 1);
    }
    size_t checkKey(const QString &key) const
    {
        const int i = find(key);
        if (i < 0)
            RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
        return size_t(i);
    }
    int find(const QString &key) const
    {
        if (key.isEmpty())
            return -1;
        for (size_t i = 0; i < m_items.size(); ++i)
            if (QString::compare(m_items[i].key, key, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }
    std::vector<Entry> m_items;
};

class ColSample : public KeyedCollection<Sample> {
public:
    // Makes a new sample from the values, appends it and returns it.
    SamplePtr Add(float Speed, int32_t Seconds, float Distance, int16_t Height, int16_t Pulse,
                  int16_t Cadence, float Temperature, const QString &Label, const QString &Icon,
                  int16_t Power, int16_t PowerBalance, int16_t PedalingIndex,
                  const QString &sKey = QString());
};

using ColSamplePtr = std::shared_ptr<ColSample>;

class Race {
public:
    // 0 = climb; any other value is a route.
    int32_t raceType() const { return m_raceType; }
    void raceType(int32_t v) { m_raceType = v; }
    const QString &raceName() const { return m_raceName; }
    void raceName(const QString &v) { m_raceName = v; }
    // Length in km (the name keeps its historic spelling).
    float lenght() const { return m_lenght; }
    void lenght(float v) { m_lenght = v; }
    // Set by reference, not copied; null until a reader gives one.
    const ColSamplePtr &Samples() const { return m_Samples; }
    void Samples(ColSamplePtr v) { m_Samples = std::move(v); }
    const QString &info() const { return m_info; }
    void info(const QString &v) { m_info = v; }
    const QString &web() const { return m_web; }
    void web(const QString &v) { m_web = v; }
    const QString &mail() const { return m_mail; }
    void mail(const QString &v) { m_mail = v; }
    const QString &phone() const { return m_phone; }
    void phone(const QString &v) { m_phone = v; }
    const QString &state() const { return m_state; }
    void state(const QString &v) { m_state = v; }
    const QString &region() const { return m_region; }
    void region(const QString &v) { m_region = v; }
    const QString &province() const { return m_province; }
    void province(const QString &v) { m_province = v; }
    const QString &City() const { return m_City; }
    void City(const QString &v) { m_City = v; }
    int16_t endHeight() const { return m_endHeight; }
    void endHeight(int16_t v) { m_endHeight = v; }
    int16_t StartHeight() const { return m_StartHeight; }
    void StartHeight(int16_t v) { m_StartHeight = v; }

private:
    int32_t m_raceType = 0;
    QString m_raceName;
    float m_lenght = 0;
    ColSamplePtr m_Samples;
    QString m_info, m_web, m_mail, m_phone, m_state, m_region, m_province, m_City;
    int16_t m_endHeight = 0;
    int16_t m_StartHeight = 0;
};

using RacePtr = std::shared_ptr<Race>;

class ColRace : public KeyedCollection<Race> {
public:
    // Makes a new race from the values (in the reverse of the declared order),
    // appends it and returns it.
    RacePtr Add(int16_t StartHeight, int16_t endHeight, const QString &City, const QString &province,
                const QString &region, const QString &state, const QString &phone, const QString &mail,
                const QString &web, const QString &info, ColSamplePtr Samples, float lenght,
                const QString &raceName, int32_t raceType, const QString &sKey = QString());
};
