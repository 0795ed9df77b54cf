#include "BikeRoutine.h"

#include "core/DataGlobals.h"
#include "core/ValueParsing.h"
#include "platform/bmp2png/PngName.h"
#include "platform/settings/IniFile.h"
#include "platform/shell/Shell.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>

QString ReplaceAll(const QString &Text, const QString &Find, const QString &Replacement)
{
    if (Find.isEmpty())
        return Text;
    QString out = Text;
    out.replace(Find, Replacement, Qt::CaseSensitive);
    return out;
}

QString StripQuotes(const QString &Text)
{
    QString out = Text;
    out.remove(QLatin1Char('"'));
    return out;
}

QString NextToken(QString &Text, const QString &Sep)
{
    const qsizetype at = Sep.isEmpty() ? -1 : Text.indexOf(Sep);
    if (at < 0) {
        const QString all = Text;
        Text.clear();
        return all;
    }
    const QString token = Text.left(at);
    Text = Text.mid(at + 1);
    return token;
}

QString NextLine(QString &Text, const QString &Sep)
{
    if (!Sep.isEmpty() && Text.startsWith(Sep)) {
        Text = Text.mid(Sep.size());
        return Sep;
    }
    const qsizetype at = Sep.isEmpty() ? -1 : Text.indexOf(Sep);
    if (at < 0) {
        const QString all = Text;
        Text.clear();
        return all;
    }
    const QString line = Text.left(at);
    Text = Text.mid(at);
    return line;
}

double TimeToSeconds(const QVariant &Value)
{
    QTime t;
    switch (Value.typeId()) {
    case QMetaType::QTime: t = Value.toTime(); break;
    case QMetaType::QDateTime: t = Value.toDateTime().time(); break;
    case QMetaType::QDate: return 0;   // a date alone is midnight
    case QMetaType::QString:
        if (!ParseDateTime(Value.toString(), &t))
            return 0;
        break;
    default: return 0;
    }
    if (!t.isValid())
        return 0;
    return t.hour() * 3600.0 + t.minute() * 60.0 + t.second();
}

void SplitColor(int32_t Color, int16_t &Red, int16_t &Green, int16_t &Blue)
{
    Red = int16_t(Color & 0xFF);
    Green = int16_t((Color >> 8) & 0xFF);
    Blue = int16_t((Color >> 16) & 0xFF);
}

QString HexColor(int16_t Red, int16_t Green, int16_t Blue)
{
    auto hex = [](int16_t c) {
        return QStringLiteral("%1").arg(qBound<int>(0, c, 255), 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + hex(Red) + hex(Green) + hex(Blue);
}

QString ColorToHtml(int32_t Color)
{
    int16_t r, g, b;
    SplitColor(Color, r, g, b);
    return HexColor(r, g, b);
}

namespace {
int32_t MakeColor(double r, double g, double b)
{
    auto c = [](double v) { return int32_t(std::nearbyint(qBound(0.0, v, 255.0))); };
    return c(r) | (c(g) << 8) | (c(b) << 16);
}
}

void BlendColor(QVector<int32_t> &Colors, int32_t Color1, int32_t Color2)
{
    const qsizetype n = Colors.size() - 1;
    if (n < 0)
        return;
    if (n == 0) {
        Colors[0] = Color2 & 0xFFFFFF;
        return;
    }
    int16_t r1, g1, b1, r2, g2, b2;
    SplitColor(Color1, r1, g1, b1);
    SplitColor(Color2, r2, g2, b2);
    const double dr = double(r2 - r1) / double(n), dg = double(g2 - g1) / double(n),
                 db = double(b2 - b1) / double(n);
    double r = r1, g = g1, b = b1;
    for (qsizetype i = 0; i <= n; ++i) {
        r = qBound(0.0, r + dr, 255.0);
        g = qBound(0.0, g + dg, 255.0);
        b = qBound(0.0, b + db, 255.0);
        Colors[i] = MakeColor(r, g, b);
    }
}

void DrawGradient(QPainter *Target, int32_t Origin, int32_t Width, int32_t Height, int32_t Color1,
                  int32_t Color2)
{
    if (!Target || !Target->isActive() || Height < 1 || Width < 1)
        return;
    int16_t r1, g1, b1, r2, g2, b2;
    SplitColor(Color1, r1, g1, b1);
    SplitColor(Color2, r2, g2, b2);
    // Bands that cannot reach the device are skipped, so an outsized height
    // costs nothing.
    qint64 first = 0, last = qint64(Height) - 1;
    if (Target->worldTransform().isIdentity() && !Target->viewTransformEnabled() && Target->device()) {
        first = qMax<qint64>(first, -qint64(Origin));
        last = qMin<qint64>(last, qint64(Target->device()->height()) - 1 - Origin);
    }
    for (qint64 k = first; k <= last; ++k) {
        const double f = double(k + 1) / double(Height);
        const int32_t rgb = MakeColor(r1 + (r2 - r1) * f, g1 + (g2 - g1) * f, b1 + (b2 - b1) * f);
        Target->fillRect(QRectF(Origin, double(Origin) + double(k), Width, 1.0),
                         QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    }
}

void PrintRotated(int16_t Angle, QPainter *Target, float X, float Y, const QString &Text)
{
    if (!Target || !Target->isActive() || Text.isEmpty())
        return;
    // The position is in the painter's units; the glyphs are sized on the
    // device itself, so a scale set for drawing does not stretch the text.
    const QPointF at = Target->combinedTransform().map(QPointF(X, Y));
    Target->save();
    Target->setViewTransformEnabled(false);
    Target->setWorldTransform(QTransform());
    Target->translate(at);
    Target->rotate(-double(Angle));
    const QFontMetricsF fm(Target->font(), Target->device());
    Target->drawText(QPointF(0, fm.ascent()), Text);
    Target->restore();
}

QString ReadIniString(const QString &File, const QString &Section, const QString &Key,
                      const QString &Default)
{
    return ProfileGetString(File, Section, Key, Default);
}

bool WriteIniString(const QString &File, const QString &Section, const QString &Key,
                    const QString &Value)
{
    return ProfileWriteString(File, Section, Key, Value);
}

QString PngPathFor(const QString &BmpPath)
{
    return PngNameFor(BmpPath);
}

bool BmpToPng(const QString &BmpPath)
{
    if (BmpPath.isEmpty() || !QFileInfo(BmpPath).isFile())
        return false;
    const QString folder = AppPath.isEmpty() ? Shell::ProgramFolder() : AppPath;
    const QString converter = folder + QStringLiteral("/bmp2png");
    if (!QFileInfo(converter).isExecutable())
        return false;
    if (Shell::RunAndWait(converter, {BmpPath}) != 0)
        return false;
    return QFileInfo(PngPathFor(BmpPath)).isFile();
}

QString UserName() { return Shell::UserName(); }

QString ComputerName() { return Shell::ComputerName(); }

QString SqlQuote(const QString &Text)
{
    return QLatin1Char('\'') + ReplaceAll(Text, QStringLiteral("'"), QStringLiteral("''")) + QLatin1Char('\'');
}
