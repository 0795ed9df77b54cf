#include "tools/logic/TextImport.h"

#include "core/LangClient.h"
#include "tools/logic/BatchInsert.h"
#include "platform/error/VbError.h"
#include "platform/shell/ReadLimits.h"

#include <cmath>

namespace TextImport {
namespace {

// A start or end height as the card keeps it: whole metres, halves to the even
// neighbour (as the sample heights are read).
qint16 SmallInt(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0;
    bool ok = false;
    const double v = std::nearbyint(text.trimmed().toDouble(&ok));
    if (!ok)
        throw VbError(13, QStringLiteral("Type mismatch: \"%1\"").arg(text.left(40)));
    if (!(v >= -32768 && v <= 32767))
        throw VbError(6, QStringLiteral("Overflow: \"%1\"").arg(text.left(40)));
    return qint16(v);
}

int Count(dao::Database &db, const QString &sql, const QString &name)
{
    auto c = db.openCursor(sql, {name});
    return c->next() ? c->value(0).toInt() : 0;
}

} // namespace

bool HasProfileSignature(const QByteArray &bytes)
{
    // [Prog] Name, by the reader's rules: sections and keys without regard to
    // case, the first match wins. The signature is plain ASCII in every
    // encoding the files come in. The lines are looked at in place, with no
    // copy of the file.
    const QByteArrayView all(bytes);
    bool inProg = false;
    for (qsizetype pos = 0; pos <= all.size();) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r')
            ++end;
        const QByteArrayView line = all.sliced(pos, end - pos).trimmed();
        pos = end + 1;
        if (line.startsWith('[') && line.endsWith(']')) {
            inProg = line.sliced(1, line.size() - 2).trimmed().compare("prog", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inProg && eq > 0 && line.first(eq).trimmed().compare("name", Qt::CaseInsensitive) == 0) {
            const QByteArrayView signature = line.sliced(eq + 1).trimmed();
            return signature.compare("vettaro-v4", Qt::CaseInsensitive) == 0
                   || signature.compare("vettaro", Qt::CaseInsensitive) == 0;
        }
    }
    return false;
}

std::optional<TextProfileRecord> ReadProfileFile(const QString &path)
{
    QByteArray bytes;
    switch (readlimits::ReadWholeFile(path, readlimits::MaxTextProfileBytes, bytes)) {
    case readlimits::ReadResult::Ok:
        break;
    case readlimits::ReadResult::TooLarge:
        throw VbError(VbErr::OutOfMemory,
                      FormatLangString(GetLangString(171), {readlimits::Megabytes(readlimits::MaxTextProfileBytes)}));
    case readlimits::ReadResult::CannotOpen:
        throw VbError(53, QStringLiteral("File not found: %1").arg(path));
    }
    if (!HasProfileSignature(bytes))
        return std::nullopt;
    return ReadTextProfile(bytes);
}

Result Import(dao::Database &dst, const QStringList &files, bool overwrite, const Reader &read,
              const ImportEngine::Callbacks &cb)
{
    Result r;
    bool aborted = false;
    auto shouldStop = [&] {
        if (!aborted && cb.shouldAbort && cb.shouldAbort())
            aborted = true;
        return aborted;
    };
    const QString label = GetLangString(12510);
    QString current;
    const QStringList sampleColumns{QStringLiteral("[IDPercorso]"), QStringLiteral("[DistParz]"), QStringLiteral("[Altezza]"),
                                    QStringLiteral("[Note]"), QStringLiteral("[image]")};
    // One set of prepared statements for every file of the run.
    BatchInsert climbSamples(dst, QStringLiteral("[CampioniSalite]"), sampleColumns);
    BatchInsert routeSamples(dst, QStringLiteral("[CampioniPercorsi]"), sampleColumns);
    dst.BeginTrans();
    try {
        int done = 0;
        if (cb.progress)
            cb.progress(label, 0, int(files.size()));
        for (const QString &file : files) {
            if (shouldStop())
                break;
            current = file;
            const std::optional<TextProfileRecord> rec = read(file);
            if (rec && !rec->idPercorso.isEmpty()) {
                const QString cards = rec->isClimb ? QStringLiteral("[Dati Salite]") : QStringLiteral("[Dati Percorsi]");
                const QString samples = rec->isClimb ? QStringLiteral("[CampioniSalite]") : QStringLiteral("[CampioniPercorsi]");
                const QString &name = rec->idPercorso;
                const bool exists = Count(dst, QStringLiteral("SELECT COUNT(*) FROM ") + cards + QStringLiteral(" WHERE [IDPercorso]=?"), name) > 0;
                bool addSamples = !rec->samples.isEmpty();
                if (!exists) {
                    QStringList cols{QStringLiteral("[IDPercorso]"), QStringLiteral("[Lunghezza]")};
                    QVariantList vals{name, double(float(rec->lunghezzaKm))};
                    if (rec->isClimb) {
                        cols << QStringLiteral("[Quotainiziale]") << QStringLiteral("[Quotafinale]");
                        vals << int(SmallInt(rec->quotaIniziale)) << int(SmallInt(rec->quotaFinale));
                    }
                    cols << QStringLiteral("[Stato]") << QStringLiteral("[Regione]") << QStringLiteral("[Località]")
                         << QStringLiteral("[Provincia]") << QStringLiteral("[E-mail]") << QStringLiteral("[Url]")
                         << QStringLiteral("[Telefono]") << QStringLiteral("[Fax]");
                    vals << rec->stato << rec->regione << rec->localita << rec->provincia << rec->email << rec->url
                         << rec->telefono << rec->fax;
                    dst.Execute(QStringLiteral("INSERT INTO ") + cards + QStringLiteral(" (") + cols.join(QLatin1Char(','))
                                    + QStringLiteral(") VALUES (") + QStringList(cols.size(), QStringLiteral("?")).join(QLatin1Char(','))
                                    + QLatin1Char(')'),
                                0, vals);
                    (rec->isClimb ? r.climbs : r.routes) << name;
                } else if (addSamples
                           && Count(dst, QStringLiteral("SELECT COUNT(*) FROM ") + samples + QStringLiteral(" WHERE [IDPercorso]=?"), name) > 0) {
                    if (overwrite)
                        dst.Execute(QStringLiteral("DELETE FROM ") + samples + QStringLiteral(" WHERE [IDPercorso]=?"), 0, {name});
                    else
                        addSamples = false;
                }
                if (addSamples) {
                    BatchInsert &insert = rec->isClimb ? climbSamples : routeSamples;
                    for (const TextProfileSample &s : rec->samples) {
                        if (shouldStop())
                            break;
                        insert.add({name, double(s.distParz), int(s.altezza), s.note, s.image});
                    }
                    if (aborted)
                        insert.discard();
                    else
                        insert.flush();
                }
            }
            if (cb.progress)
                cb.progress(label, ++done, int(files.size()));
        }
        if (aborted) {
            dst.Rollback();
            Result a;
            a.status = Result::Aborted;
            return a;
        }
        dst.CommitTrans();
    } catch (const VbError &e) {
        if (dst.InTransaction())
            dst.Rollback();
        Result f;
        f.status = Result::Failed;
        f.errorNumber = e.Number();
        f.errorText = e.Description();
        f.failedFile = current;
        return f;
    } catch (...) {
        if (dst.InTransaction())
            dst.Rollback();
        throw;
    }
    r.status = Result::Completed;
    return r;
}

} // namespace TextImport
