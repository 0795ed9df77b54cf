#include "records/ProfileHandoff.h"

#include "core/ProfileGlobals.h"
#include "records/CardNumbers.h"

#include <algorithm>

using namespace CardNumbers;

namespace ProfileHandoff {

namespace {

QString Text(const QVariant &v)
{
    return (v.isValid() && !v.isNull()) ? v.toString() : QString();
}

// A stored number; null (a sample not filled in) counts as 0.
double Number(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return d;
}

ProfileSample Entry(const QVariant &dist, const QVariant &height, const QVariant &note,
                    const QVariant &image, const QSet<QString> &iconNames)
{
    ProfileSample e;
    e.DistParz = float(Number(dist));
    e.Altezza = ToInt32(Number(height));
    e.Note = Text(note);
    const QString key = Text(image);
    if (!key.isEmpty() && iconNames.contains(key.toLower()))
        e.image = key;
    return e;
}

// Computes the figures from the entries and writes the whole hand-off at once.
bool Commit(Kind kind, const QString &cardName, QVector<ProfileSample> &&entries, const Legend &legend,
            const QLocale &locale)
{
    const int count = int(entries.size());
    if (count < 2)
        return false;

    float maxDistance = entries[0].DistParz;
    int32_t minHeight = entries[0].Altezza, maxHeight = entries[0].Altezza;
    int32_t gain = 0;
    float climbKm = 0;
    for (int i = 1; i < count; ++i) {
        const ProfileSample &e = entries[i];
        maxDistance = std::max(maxDistance, e.DistParz);
        minHeight = std::min(minHeight, e.Altezza);
        maxHeight = std::max(maxHeight, e.Altezza);
        if (e.Altezza > entries[i - 1].Altezza) {
            gain += e.Altezza - entries[i - 1].Altezza;
            climbKm += e.DistParz - entries[i - 1].DistParz;
        }
    }

    const int32_t base = ToInt32(double(minHeight) / 100.0 * 95.0);
    QString length = legend.length;
    QString climbRate = legend.climbRate;
    QString grade = legend.grade;
    if (kind == Kind::Route) {
        length = FormatFixed2(ReadSingle(legend.length, locale), locale);
        climbRate = grade = QStringLiteral(" --- ");
    }

    ProfilePointCount = count;
    ProfileDistance = maxDistance;
    ProfileBase = base;
    ProfileSpan = maxHeight - base;
    ProfileName = cardName;
    ProfileTime = legend.time;
    ProfileSpeed = legend.speed;
    ProfileLength = length;
    ProfileClimbRate = climbRate;
    ProfileGrade = grade;
    ProfileGain = gain;
    ProfileClimbKm = climbKm;
    ProfileSamples = std::move(entries);
    return true;
}

dao::RecordsetPtr OpenSamples(dao::Database &db, Kind kind, const QString &cardName)
{
    const QString table = kind == Kind::Climb ? QStringLiteral("CampioniSalite")
                                              : QStringLiteral("CampioniPercorsi");
    return db.OpenRecordset(QStringLiteral("SELECT [DistParz], [Altezza], [Note], [image] FROM [%1] "
                                           "WHERE [IDPercorso] = ? ORDER BY [DistParz] ASC").arg(table),
                            dao::dbOpenSnapshot, 0, {cardName});
}

} // namespace

bool Fill(Kind kind, const QString &cardName, const QVector<SampleRow> &samples,
          const Legend &legend, const QSet<QString> &iconNames, const QLocale &locale)
{
    if (samples.size() < 2)
        return false;
    // Everything is computed into locals first, so a failure changes nothing.
    QVector<ProfileSample> entries;
    entries.reserve(samples.size());
    for (const SampleRow &row : samples)
        entries.push_back(Entry(row.DistParz, row.Altezza, row.Note, row.image, iconNames));
    return Commit(kind, cardName, std::move(entries), legend, locale);
}

QVector<SampleRow> ReadSamples(dao::Database &db, Kind kind, const QString &cardName)
{
    dao::RecordsetPtr rs = OpenSamples(db, kind, cardName);
    QVector<SampleRow> rows;
    const int iDist = rs->FieldIndex(QStringLiteral("DistParz"));
    const int iHeight = rs->FieldIndex(QStringLiteral("Altezza"));
    const int iNote = rs->FieldIndex(QStringLiteral("Note"));
    const int iImage = rs->FieldIndex(QStringLiteral("image"));
    if (!rs->AtEOF())
        rs->MoveFirst();
    while (!rs->AtEOF()) {
        rows.push_back({rs->Value(iDist), rs->Value(iHeight), rs->Value(iNote), rs->Value(iImage)});
        rs->MoveNext();
    }
    rs->Close();
    return rows;
}

QSet<QString> ReadIconNames(dao::Database &db)
{
    QSet<QString> names;
    dao::RecordsetPtr rs = db.OpenRecordset(QStringLiteral("SELECT [IconName] FROM [Icons]"),
                                            dao::dbOpenSnapshot);
    if (!rs->AtEOF())
        rs->MoveFirst();
    while (!rs->AtEOF()) {
        const QVariant v = rs->Value(0);
        if (!v.isNull())
            names.insert(v.toString().toLower());
        rs->MoveNext();
    }
    rs->Close();
    return names;
}

bool Fill(dao::Database &db, Kind kind, const QString &cardName, const Legend &legend,
          const QLocale &locale)
{
    const QVector<SampleRow> rows = ReadSamples(db, kind, cardName);
    if (rows.size() < 2)
        return false;
    return Fill(kind, cardName, rows, legend, ReadIconNames(db), locale);
}

} // namespace ProfileHandoff
