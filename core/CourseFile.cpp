#include "core/CourseFile.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "core/SpecialFolder.h"
#include "platform/ui/Prompt.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

void AppendLittleEndian(QByteArray &out, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 8);
}

void AppendLittleEndian(QByteArray &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

double NumberOf(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        RaiseError(94, QStringLiteral("Invalid use of Null"));
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return d;
}

} // namespace

double GetPendenza(double &PrevHeight, double Height, double &PrevDistance, double Distance, bool First)
{
    double result = 0.0;
    if (!First) {
        const double run = Distance - PrevDistance;
        if (run == 0.0)
            RaiseError(11, QStringLiteral("Division by zero"));
        result = std::fabs(Height - PrevHeight) / run / 10.0;
    }
    PrevHeight = Height;
    PrevDistance = Distance;
    return result;
}

QByteArray BuildCrsData(const std::vector<CrsPoint> &points)
{
    QByteArray out;
    out.reserve(int(points.size()) * CrsRecordSize);
    double prevHeight = 0.0, prevDistance = 0.0;
    bool first = true;
    for (const CrsPoint &p : points) {
        const double gradient = GetPendenza(prevHeight, p.height, prevDistance, p.distance, first);
        AppendLittleEndian(out, p.distance);
        AppendLittleEndian(out, p.height);
        AppendLittleEndian(out, gradient);
        AppendLittleEndian(out, first ? CrsFirstRecordMark : qint32(0));
        first = false;
    }
    return out;
}

void WriteCrsProfile(const QString &Id, const QString &Kind)
{
    try {
        CommonDialog dlg;
        dlg.CancelError = true;
        dlg.InitDir = GetSetting(AppName, QStringLiteral("CRS"), QStringLiteral("CrsDir"),
                                 SpecialFolders.Personal());
        dlg.DialogTitle = GetLangString(28026);
        dlg.DefaultExt = QStringLiteral("crs");
        dlg.Filter = GetLangString(28027);
        dlg.Flags = 6;
        dlg.FileName = Id + QStringLiteral(".crs");
        dlg.ShowSave();
        SaveSetting(AppName, QStringLiteral("CRS"), QStringLiteral("CrsDir"),
                    QFileInfo(dlg.FileName).absolutePath());

        // The name is completed before anything touches the disk.
        QString fileName = dlg.FileName;
        if (!fileName.endsWith(QLatin1String(".crs"), Qt::CaseSensitive))
            fileName += QStringLiteral(".crs");

        const QString table = Kind == QLatin1String("climb") ? QStringLiteral("[CampioniSalite]")
                                                             : QStringLiteral("[CampioniPercorsi]");
        if (!CurrentDb)
            RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
        dao::RecordsetPtr count = CurrentDb->OpenRecordset(
            QStringLiteral("SELECT COUNT(*) AS NumeroCampioni FROM ") + table
                + QStringLiteral(" WHERE [IDPercorso]=?"),
            dao::dbOpenSnapshot, 0, {Id});
        const int samples = count->Value(QStringLiteral("NumeroCampioni")).toInt();
        count->Close();
        if (samples <= 0) {
            MsgBox(GetLangString(28028), Vb::Critical);
            return;
        }

        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
            QStringLiteral("SELECT * FROM ") + table
                + QStringLiteral(" WHERE [IDPercorso]=? ORDER BY [DistParz] ASC"),
            dao::dbOpenSnapshot, 0, {Id});
        std::vector<CrsPoint> points;
        while (!rs->AtEOF()) {
            points.push_back({NumberOf(rs->Value(QStringLiteral("DistParz"))),
                              NumberOf(rs->Value(QStringLiteral("Altezza")))});
            rs->MoveNext();
        }
        rs->Close();
        const QByteArray data = BuildCrsData(points);

        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
            RaiseError(75, QStringLiteral("Path/File access error"));
    } catch (const VbError &e) {
        if (e.Number() == VbErr::CancelError)
            return;
        ShowDataError(e);
    } catch (...) {
        ShowDataError();
    }
}
