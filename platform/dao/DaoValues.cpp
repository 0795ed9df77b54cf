// Values between the program and SQLite: binding, column declarations, reading
// stored values back and converting what is assigned to a field.
#include "platform/dao/DaoDetail.h"
#include "platform/dao/JetSql.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <sqlite3.h>

#include <climits>
#include <cmath>

namespace dao::detail {

void bindValue(sqlite3_stmt *s, int idx, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) { sqlite3_bind_null(s, idx); return; }
    auto text = [&](const QString &t) {
        const QByteArray b = t.toUtf8();
        sqlite3_bind_text(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    switch (v.typeId()) {
    case QMetaType::Bool: sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0); break;
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        sqlite3_bind_int64(s, idx, v.toLongLong());
        break;
    case QMetaType::Double: case QMetaType::Float:
        sqlite3_bind_double(s, idx, v.toDouble());
        break;
    case QMetaType::QDate: text(v.toDate().toString(QStringLiteral("yyyy-MM-dd"))); break;
    case QMetaType::QTime: text(v.toTime().toString(QStringLiteral("hh:mm:ss"))); break;
    case QMetaType::QDateTime: text(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: text(v.toString()); break;
    }
}

void bindAll(sqlite3_stmt *s, const QVariantList &params, int offset)
{
    const int n = sqlite3_bind_parameter_count(s);
    for (int i = 0; i < params.size() && offset + i < n; ++i) bindValue(s, offset + i + 1, params[i]);
}

FieldType typeFromDecl(const QString &declIn, int *size)
{
    const QString decl = declIn.trimmed().toUpper();
    static const QRegularExpression re(QStringLiteral(R"(^([A-Z_ ]+?)\s*(?:\(\s*(\d+)\s*\))?$)"));
    const auto m = re.match(decl);
    const QString base = m.hasMatch() ? m.captured(1).trimmed() : decl;
    const int n = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;
    if (size) *size = 0;
    if (base == QLatin1String("BIT") || base == QLatin1String("BOOLEAN") || base == QLatin1String("YESNO")) return dbBoolean;
    if (base == QLatin1String("TINYINT") || base == QLatin1String("BYTE")) return dbByte;
    if (base == QLatin1String("SMALLINT") || base == QLatin1String("SHORT")) return dbInteger;
    if (base == QLatin1String("INTEGER") || base == QLatin1String("INT") || base == QLatin1String("LONG")
        || base == QLatin1String("BIGINT")) return dbLong;
    if (base == QLatin1String("CURRENCY") || base == QLatin1String("MONEY")) return dbCurrency;
    if (base == QLatin1String("FLOAT") || base == QLatin1String("SINGLE") || base == QLatin1String("REAL")) return dbSingle;
    if (base == QLatin1String("DOUBLE") || base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL")) return dbDouble;
    if (base == QLatin1String("DATE") || base == QLatin1String("DATETIME") || base == QLatin1String("TIMESTAMP")) return dbDate;
    if (base == QLatin1String("TIME")) return dbTime;
    if ((base == QLatin1String("TEXT") || base == QLatin1String("VARCHAR") || base == QLatin1String("CHAR")) && n > 0) {
        if (size) *size = n;
        return dbText;
    }
    if (base.contains(QLatin1String("TEXT")) || base == QLatin1String("MEMO") || base == QLatin1String("CLOB")) return dbMemo;
    return dbText;
}

namespace {

QString declFor(const FieldDef &f)
{
    switch (f.type) {
    case dbBoolean: return QStringLiteral("BIT");
    case dbByte: return QStringLiteral("TINYINT");
    case dbInteger: return QStringLiteral("SMALLINT");
    case dbLong: return QStringLiteral("INTEGER");
    case dbCurrency: return QStringLiteral("CURRENCY");
    case dbSingle: return QStringLiteral("FLOAT");
    case dbDouble: return QStringLiteral("DOUBLE");
    case dbDate: return QStringLiteral("DATETIME");
    case dbTime: return QStringLiteral("TIME");
    case dbMemo: return QStringLiteral("LONGTEXT");
    case dbText: default: return QStringLiteral("TEXT(%1)").arg(f.size > 0 ? f.size : 255);
    }
}

bool isNumericType(FieldType t)
{
    return t == dbBoolean || t == dbByte || t == dbInteger || t == dbLong || t == dbCurrency || t == dbSingle
        || t == dbDouble;
}

bool isTextType(FieldType t) { return t == dbText || t == dbMemo; }

} // namespace

QString columnDef(const FieldDef &f, bool notNull)
{
    QString s = qi(f.name) + QLatin1Char(' ') + declFor(f);
    if (isTextType(f.type)) s += QStringLiteral(" COLLATE NOCASE");
    if (notNull || f.required) s += QStringLiteral(" NOT NULL");
    if (f.defaultValue.isValid() && !f.defaultValue.isNull()) {
        const QVariant &d = f.defaultValue;
        if (d.typeId() == QMetaType::QString) s += QStringLiteral(" DEFAULT ") + SqlLiteral(d.toString());
        else if (d.typeId() == QMetaType::Bool) s += d.toBool() ? QStringLiteral(" DEFAULT 1") : QStringLiteral(" DEFAULT 0");
        else s += QStringLiteral(" DEFAULT ") + d.toString();
    }
    if (isTextType(f.type) && !f.allowZeroLength)
        s += QStringLiteral(" CONSTRAINT %1 CHECK (%2 <> '')").arg(qi(QStringLiteral("zls:") + f.name), qi(f.name));
    if (f.type == dbText)
        s += QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) <= %3)")
                 .arg(qi(QStringLiteral("len:") + f.name), qi(f.name)).arg(f.size > 0 ? f.size : 255);
    // typeof() gives one of five names, so refusing 'text' and 'blob' accepts
    // exactly integer, real and null. Files made before hold the three-name
    // form "IN ('integer','real','null')", which accepts the same values; a
    // three-entry IN list builds a lookup table on every execution of a
    // statement and made bulk inserts several times slower, where two entries
    // are tested by plain comparisons.
    if (isNumericType(f.type))
        s += QStringLiteral(" CONSTRAINT %1 CHECK (typeof(%2) NOT IN ('text','blob'))")
                 .arg(qi(QStringLiteral("type:") + f.name), qi(f.name));
    return s;
}

QVariant readColumn(sqlite3_stmt *s, int i, VK kind)
{
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(s, i);
        if (kind == VK::Bool) return QVariant(v != 0);
        if (v >= INT_MIN && v <= INT_MAX) return QVariant(int(v));
        return QVariant(qlonglong(v));
    }
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(s, i)), sqlite3_column_bytes(s, i));
    default: {
        const QString t = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                                            sqlite3_column_bytes(s, i));
        if (kind == VK::Date || kind == VK::Time) {
            // Fast paths for the stored forms; anything else goes through the parsers below.
            const char *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
            const int n = sqlite3_column_bytes(s, i);
            auto dig = [p](int k) { return p[k] >= '0' && p[k] <= '9'; };
            auto num2 = [p](int k) { return (p[k] - '0') * 10 + (p[k + 1] - '0'); };
            auto isTime = [&](int o) {
                return dig(o) && dig(o + 1) && p[o + 2] == ':' && dig(o + 3) && dig(o + 4) && p[o + 5] == ':'
                    && dig(o + 6) && dig(o + 7);
            };
            auto isDate = [&]() {
                return dig(0) && dig(1) && dig(2) && dig(3) && p[4] == '-' && dig(5) && dig(6) && p[7] == '-'
                    && dig(8) && dig(9);
            };
            if (kind == VK::Time && n == 8 && isTime(0)) {
                const QTime q(num2(0), num2(3), num2(6));
                if (q.isValid()) return q;
            } else if (kind == VK::Date && n == 10 && isDate()) {
                const QDate d(num2(0) * 100 + num2(2), num2(5), num2(8));
                if (d.isValid()) return d;
            } else if (kind == VK::Date && n == 19 && p[10] == ' ' && isDate() && isTime(11)) {
                const QDateTime dt(QDate(num2(0) * 100 + num2(2), num2(5), num2(8)),
                                   QTime(num2(11), num2(14), num2(17)));
                if (dt.isValid()) return dt;
            }
        }
        if (kind == VK::Date) {
            if (t.size() == 10) {
                const QDate d = QDate::fromString(t, Qt::ISODate);
                if (d.isValid()) return d;
            } else if (t.size() >= 16) {
                QDateTime dt = QDateTime::fromString(t.left(19), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                if (!dt.isValid()) dt = QDateTime::fromString(t.left(16), QStringLiteral("yyyy-MM-dd hh:mm"));
                if (dt.isValid()) return dt;
            }
        } else if (kind == VK::Time) {
            const QString tt = t.size() > 10 && t[10] == QLatin1Char(' ') ? t.mid(11) : t;
            QTime q = QTime::fromString(tt, QStringLiteral("hh:mm:ss"));
            if (!q.isValid()) q = QTime::fromString(tt, QStringLiteral("h:mm:ss"));
            if (!q.isValid()) q = QTime::fromString(tt, QStringLiteral("hh:mm"));
            if (q.isValid()) return q;
        }
        return t;
    }
    }
}

VK kindFor(FieldType t)
{
    switch (t) {
    case dbDate: return VK::Date;
    case dbTime: return VK::Time;
    case dbBoolean: return VK::Bool;
    default: return VK::Auto;
    }
}

// Jet-like conversion of a value assigned to a field of a given type: texts
// typed into bound controls become numbers or dates; an empty text in a
// non-text field is Null.
QVariant coerce(const QVariant &v, FieldType t, const QString &fieldName)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    auto fail = [&]() -> QVariant {
        RaiseError(3421, QStringLiteral("Data type conversion error."));
    };
    const bool isText = v.typeId() == QMetaType::QString;
    if (isTextType(t)) {
        if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        if (v.typeId() == QMetaType::QTime) return v.toTime().toString(QStringLiteral("hh:mm:ss"));
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
        return v.toString();
    }
    if (isText && v.toString().trimmed().isEmpty()) return QVariant();
    if (isNumericType(t)) {
        double d = 0;
        bool ok = false;
        if (isText) {
            const QString s = v.toString().trimmed();
            d = QLocale().toDouble(s, &ok);
            if (!ok) d = QLocale::c().toDouble(s, &ok);
            if (!ok && t == dbBoolean) {
                if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) { d = 1; ok = true; }
                else if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) { d = 0; ok = true; }
            }
        } else if (v.typeId() == QMetaType::Bool) {
            d = v.toBool() ? 1 : 0;
            ok = true;
        } else {
            d = v.toDouble(&ok);
        }
        if (!ok || !std::isfinite(d)) fail();
        switch (t) {
        case dbBoolean: return QVariant(d != 0);
        case dbByte:
        case dbInteger:
        case dbLong: {
            const double r = std::nearbyint(d);
            const double lo = t == dbByte ? 0 : t == dbInteger ? -32768 : -2147483648.0;
            const double hi = t == dbByte ? 255 : t == dbInteger ? 32767 : 2147483647.0;
            if (r < lo || r > hi) RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
            return QVariant(int(r));
        }
        default: return QVariant(d);   // singles too: kept as typed, so 12.3 reads back as 12.3
        }
    }
    if (t == dbDate) {
        if (v.typeId() == QMetaType::QDate) return v;
        if (v.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
        }
        if (isText) {
            const QString s = v.toString().trimmed();
            QDate d = QDate::fromString(s, Qt::ISODate);
            if (!d.isValid()) d = QLocale().toDate(s, QLocale::ShortFormat);
            if (!d.isValid()) d = QLocale().toDate(s, QStringLiteral("d/M/yyyy"));
            if (d.isValid()) return d;
            QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid()) dt = QLocale().toDateTime(s, QLocale::ShortFormat);
            if (dt.isValid()) return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
            const QString iso = jetsql::DateLiteralToIso(s);
            if (iso.size() == 10) return QDate::fromString(iso, Qt::ISODate);
            if (iso.size() > 10) return QDateTime::fromString(iso, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        }
        fail();
    }
    if (t == dbTime) {
        if (v.typeId() == QMetaType::QTime) return v;
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().time();
        if (isText) {
            const QString s = v.toString().trimmed();
            for (const char *f : {"hh:mm:ss", "h:mm:ss", "hh:mm", "h:mm", "hh.mm.ss", "h.mm.ss"}) {
                const QTime q = QTime::fromString(s, QLatin1String(f));
                if (q.isValid()) return q;
            }
        }
        fail();
    }
    Q_UNUSED(fieldName);
    return v;
}

} // namespace dao::detail
