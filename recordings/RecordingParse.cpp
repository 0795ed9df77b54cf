#include "recordings/RecordingParse.h"

#include <cmath>
#include <limits>

namespace RecordingParse {

namespace {
char16_t Code(QChar c) { return c.unicode(); }
char16_t Code(char c) { return char16_t(uchar(c)); }

// The text without the spaces and tabs around it.
template <class View>
View Trim(View t)
{
    qsizetype a = 0, b = t.size();
    while (a < b && (Code(t[a]) == u' ' || Code(t[a]) == u'\t'))
        ++a;
    while (b > a && (Code(t[b - 1]) == u' ' || Code(t[b - 1]) == u'\t'))
        --b;
    return t.sliced(a, b - a);
}

// A sign and the digits after it. Whole: every character is a digit and at
// least one is there, else nothing; otherwise the digits up to the first other
// character (none gives 0). Digits past what the number holds are passed over.
template <class View>
std::optional<int64_t> Number(View text, bool whole)
{
    const View t = Trim(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (Code(t[i]) == u'-' || Code(t[i]) == u'+')) {
        negative = Code(t[i]) == u'-';
        ++i;
    }
    if (whole && i >= t.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = Code(t[i]);
        if (c < u'0' || c > u'9') {
            if (whole)
                return std::nullopt;
            break;
        }
        if (v < std::numeric_limits<int64_t>::max() / 10 - 10)
            v = v * 10 + (c - u'0');
    }
    return negative ? -v : v;
}
} // namespace

std::optional<int64_t> WholeNumber(QStringView text) { return Number(text, true); }

std::optional<int64_t> WholeNumber(QByteArrayView text) { return Number(text, true); }

int64_t LeadingNumber(QStringView text) { return *Number(text, false); }

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
