#pragma once
// A heart-rate monitor recording in the .hrm text format: the keys of
// [Params], the text of [Note] and the tab-separated sample lines after
// "[HRData]", turned into header values and samples in metric units.
//
// The file is read once and parsed from that buffer; lines may end in LF,
// CR LF or CR. A read either succeeds as a whole or changes nothing: after a
// failure the object holds what it held before, and Failure() tells why.
#include "core/Race.h"
#include "recordings/ReadFailure.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>

class Hrm {
public:
    float DistConst() const { return m_DistConst; }
    void DistConst(float v) { m_DistConst = v; }
    float HeightConv() const { return m_HeightConv; }
    void HeightConv(float v) { m_HeightConv = v; }
    int16_t Fields_Count() const { return m_Fields_Count; }
    void Fields_Count(int16_t v) { m_Fields_Count = v; }
    const QString &Note() const { return m_Note; }
    void Note(const QString &v) { m_Note = v; }
    bool swPI() const { return m_swPI; }
    void swPI(bool v) { m_swPI = v; }
    bool swPLR() const { return m_swPLR; }
    void swPLR(bool v) { m_swPLR = v; }
    bool swPower() const { return m_swPower; }
    void swPower(bool v) { m_swPower = v; }
    bool swUnit() const { return m_swUnit; }
    void swUnit(bool v) { m_swUnit = v; }
    bool swCC() const { return m_swCC; }
    void swCC(bool v) { m_swCC = v; }
    bool swAlt() const { return m_swAlt; }
    void swAlt(bool v) { m_swAlt = v; }
    bool swCadence() const { return m_swCadence; }
    void swCadence(bool v) { m_swCadence = v; }
    bool swSpeed() const { return m_swSpeed; }
    void swSpeed(bool v) { m_swSpeed = v; }
    int16_t HeightFactor() const { return m_HeightFactor; }
    void HeightFactor(int16_t v) { m_HeightFactor = v; }

    // Reads the file at HRMFileName: 1 when its samples were read to their
    // end (also when it has none), 0 after a failure.
    int16_t ReadHRM(const QString &HRMFileName);
    // The same over a file's contents; FileName gives the name used when the
    // recording has no note.
    int16_t ReadHRMData(const QByteArray &Contents, const QString &FileName);
    // Why the last read failed (empty after a success).
    const ReadFailure &Failure() const { return m_failure; }

    // The samples of the last successful read; null before one.
    const ColSamplePtr &Samples() const { return m_Samples; }
    void Samples(ColSamplePtr v) { m_Samples = std::move(v); }
    int16_t Weight() const { return m_Weight; }
    void Weight(int16_t v) { m_Weight = v; }
    int16_t VO2max() const { return m_VO2max; }
    void VO2max(int16_t v) { m_VO2max = v; }
    int16_t StartDelay() const { return m_StartDelay; }
    void StartDelay(int16_t v) { m_StartDelay = v; }
    int16_t RestHR() const { return m_RestHR; }
    void RestHR(int16_t v) { m_RestHR = v; }
    int16_t MaxHR() const { return m_MaxHR; }
    void MaxHR(int16_t v) { m_MaxHR = v; }
    int16_t ActiveLimit() const { return m_ActiveLimit; }
    void ActiveLimit(int16_t v) { m_ActiveLimit = v; }
    QTime Timer3() const { return m_Timer3; }
    void Timer3(QTime v) { m_Timer3 = v; }
    QTime Timer2() const { return m_Timer2; }
    void Timer2(QTime v) { m_Timer2 = v; }
    QTime Timer1() const { return m_Timer1; }
    void Timer1(QTime v) { m_Timer1 = v; }
    int16_t Lower3() const { return m_Lower3; }
    void Lower3(int16_t v) { m_Lower3 = v; }
    int16_t Lower2() const { return m_Lower2; }
    void Lower2(int16_t v) { m_Lower2 = v; }
    int16_t Lower1() const { return m_Lower1; }
    void Lower1(int16_t v) { m_Lower1 = v; }
    int16_t Upper3() const { return m_Upper3; }
    void Upper3(int16_t v) { m_Upper3 = v; }
    int16_t Upper2() const { return m_Upper2; }
    void Upper2(int16_t v) { m_Upper2 = v; }
    int16_t Upper1() const { return m_Upper1; }
    void Upper1(int16_t v) { m_Upper1 = v; }
    int16_t Interval() const { return m_Interval; }
    void Interval(int16_t v) { m_Interval = v; }
    QTime LengthTime() const { return m_LengthTime; }
    void LengthTime(QTime v) { m_LengthTime = v; }
    QTime StartTime() const { return m_StartTime; }
    void StartTime(QTime v) { m_StartTime = v; }
    QDate HrmDate() const { return m_HrmDate; }
    void HrmDate(QDate v) { m_HrmDate = v; }
    const QString &SMode() const { return m_SMode; }
    void SMode(const QString &v) { m_SMode = v; }
    const QString &Mode() const { return m_Mode; }
    void Mode(const QString &v) { m_Mode = v; }
    int32_t Monitor() const { return m_Monitor; }
    void Monitor(int32_t v) { m_Monitor = v; }
    const QString &Version() const { return m_Version; }
    void Version(const QString &v) { m_Version = v; }

    // The conversions of the date and time keys; they never fail: a date
    // that is not yyyymmdd gives today, a time that is not h:mm:ss gives 01:00:00.
    static QDate ParseHrmDate(const QString &text);
    static QTime ParseHrmTime(const QString &text);

private:
    template <typename R>
    friend int16_t ParseIntoCopy(R &, ReadFailure &, const QByteArray &, const QString &);
    bool parse(const QByteArray &contents, const QString &fileName);

    float m_DistConst = 0, m_HeightConv = 0;
    int16_t m_Fields_Count = 0, m_HeightFactor = 0;
    QString m_Note;
    bool m_swPI = false, m_swPLR = false, m_swPower = false, m_swUnit = false, m_swCC = false,
         m_swAlt = false, m_swCadence = false, m_swSpeed = false;
    ColSamplePtr m_Samples;
    int16_t m_Weight = 0, m_VO2max = 0, m_StartDelay = 0, m_RestHR = 0, m_MaxHR = 0, m_ActiveLimit = 0;
    QTime m_Timer3, m_Timer2, m_Timer1;
    int16_t m_Lower3 = 0, m_Lower2 = 0, m_Lower1 = 0, m_Upper3 = 0, m_Upper2 = 0, m_Upper1 = 0;
    int16_t m_Interval = 0;
    QTime m_LengthTime, m_StartTime;
    QDate m_HrmDate;
    QString m_SMode, m_Mode;
    int32_t m_Monitor = 0;
    QString m_Version;
    ReadFailure m_failure;
};

// The name a recording takes from its file when it carries none: the file's
// name without folder and extension (the whole name when that leaves nothing).
QString RecordingNameFromFile(const QString &fileName);
