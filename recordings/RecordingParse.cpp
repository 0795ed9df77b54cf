#include "recordings/RecordingParse.h"

#include <cmath>
#include <limits>

namespace RecordingParse {

namespace {
QStringView Trim(QStringView t)
{
    qsizetype a = 0, b = t.size();
    while (a < b && (t[a] == u' ' || t[a] == u'\t'))
        ++a;
    while (b > a && (t[b - 1] == u' ' || t[b - 1] == u'\t'))
        --b;
    return t.mid(a, b - a);
}
}

std::optional<int64_t> WholeNumber(QStringView text)
{
    const QStringView t = Trim(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i >= t.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (v < std::numeric_limits<int64_t>::max() / 10 - 10)
            v = v * 10 + (c - u'0');
    }
    return negative ? -v : v;
}

std::optional<int64_t> WholeNumber(QByteArrayView text)
{
    qsizetype a = 0, b = text.size();
    while (a < b && (text[a] == ' ' || text[a] == '\t'))
        ++a;
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t'))
        --b;
    qsizetype i = a;
    bool negative = false;
    if (i < b && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= b)
        return std::nullopt;
    int64_t v = 0;
    for (; i < b; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        if (v < std::numeric_limits<int64_t>::max() / 10 - 10)
            v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

int64_t LeadingNumber(QStringView text)
{
    const QStringView t = Trim(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        if (v < std::numeric_limits<int64_t>::max() / 10 - 10)
            v = v * 10 + (c - u'0');
    }
    return negative ? -v : v;
}

std::optional<double> DecimalNumber(QStringView text)
{
    const QStringView t = Trim(text);
    QString s;
    s.reserve(t.size());
    int marks = 0, digits = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9') {
            s += QChar(c);
            ++digits;
        } else if (c == u'.' || c == u',') {
            if (++marks > 1)
                return std::nullopt;
            s += QLatin1Char('.');
        } else if ((c == u'-' || c == u'+') && i == 0) {
            s += QChar(c);
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}
