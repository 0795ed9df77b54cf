#pragma once
// A cycle computer's tour file: text header lines with the tour's and the
// rider's data, then fixed-size little-endian sample records with time,
// distance, height, pulse, cadence and temperature.
//
// The file is read once and parsed from that buffer. A read either succeeds
// as a whole or changes nothing; Failure() tells why it failed and where.
#include "core/Race.h"
#include "recordings/ReadFailure.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>

class Tur {
public:
    // Reads the file at the path: 1 when every record was read, else 0.
    int16_t ReadTur(const QString &Path);
    // The same over a file's contents; FileName gives the tour's name when
    // its name line is empty.
    int16_t ReadTurData(const QByteArray &Contents, const QString &FileName);
    const ReadFailure &Failure() const { return m_failure; }

    const ColSamplePtr &Samples() const { return m_Samples; }
    void Samples(ColSamplePtr v) { m_Samples = std::move(v); }
    float TotalDistance() const { return m_TotalDistance; }
    void TotalDistance(float v) { m_TotalDistance = v; }
    const QString &Material() const { return m_Material; }
    void Material(const QString &v) { m_Material = v; }
    int32_t SampleNumber() const { return m_SampleNumber; }
    void SampleNumber(int32_t v) { m_SampleNumber = v; }
    float BikeWeight() const { return m_BikeWeight; }
    void BikeWeight(float v) { m_BikeWeight = v; }
    int16_t MinHR() const { return m_MinHR; }
    void MinHR(int16_t v) { m_MinHR = v; }
    int16_t MaxHR() const { return m_MaxHR; }
    void MaxHR(int16_t v) { m_MaxHR = v; }
    const QString &Club() const { return m_Club; }
    void Club(const QString &v) { m_Club = v; }
    const QString &BornDay() const { return m_BornDay; }
    void BornDay(const QString &v) { m_BornDay = v; }
    const QString &LastName() const { return m_LastName; }
    void LastName(const QString &v) { m_LastName = v; }
    const QString &FirstName() const { return m_FirstName; }
    void FirstName(const QString &v) { m_FirstName = v; }
    int16_t StartHeight() const { return m_StartHeight; }
    void StartHeight(int16_t v) { m_StartHeight = v; }
    float Weight() const { return m_Weight; }
    void Weight(float v) { m_Weight = v; }
    const QString &Note() const { return m_Note; }
    void Note(const QString &v) { m_Note = v; }
    const QString &Mode() const { return m_Mode; }
    void Mode(const QString &v) { m_Mode = v; }
    QDate TurDate() const { return m_TurDate; }
    void TurDate(QDate v) { m_TurDate = v; }
    QTime StartTime() const { return m_StartTime; }
    void StartTime(QTime v) { m_StartTime = v; }
    const QString &FinishPlace() const { return m_FinishPlace; }
    void FinishPlace(const QString &v) { m_FinishPlace = v; }
    const QString &StartPlace() const { return m_StartPlace; }
    void StartPlace(const QString &v) { m_StartPlace = v; }
    const QString &TurName() const { return m_TurName; }
    void TurName(const QString &v) { m_TurName = v; }
    const QString &Version() const { return m_Version; }
    void Version(const QString &v) { m_Version = v; }
    const QString &Version_Revision() const { return m_Version_Revision; }
    void Version_Revision(const QString &v) { m_Version_Revision = v; }
    const QString &Version_Minor() const { return m_Version_Minor; }
    void Version_Minor(const QString &v) { m_Version_Minor = v; }
    const QString &Version_Major() const { return m_Version_Major; }
    void Version_Major(const QString &v) { m_Version_Major = v; }
    const QString &Monitor() const { return m_Monitor; }
    void Monitor(const QString &v) { m_Monitor = v; }

private:
    template <typename R>
    friend int16_t ParseIntoCopy(R &, ReadFailure &, const QByteArray &, const QString &);
    bool parse(const QByteArray &contents, const QString &fileName);

    ColSamplePtr m_Samples;
    float m_TotalDistance = 0;
    QString m_Material;
    int32_t m_SampleNumber = 0;
    float m_BikeWeight = 0;
    int16_t m_MinHR = 0, m_MaxHR = 0;
    QString m_Club, m_BornDay, m_LastName, m_FirstName;
    int16_t m_StartHeight = 0;
    float m_Weight = 0;
    QString m_Note, m_Mode;
    QDate m_TurDate;
    QTime m_StartTime;
    QString m_FinishPlace, m_StartPlace, m_TurName, m_Version, m_Version_Revision, m_Version_Minor,
        m_Version_Major, m_Monitor;
    ReadFailure m_failure;
};
