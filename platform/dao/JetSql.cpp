#include "platform/dao/JetSql.h"
#include "platform/error/VbError.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <sqlite3.h>

#include <cmath>
#include <vector>

namespace dao::jetsql {

namespace {

enum class K { Space, Word, Number, Ident, String, Param, LParen, RParen, Comma, Dot, Semi, Op };

struct Tok {
    K kind;
    QString text;   // text written out
};

[[noreturn]] void syntaxError(const QString &sql)
{
    RaiseError(3075, QStringLiteral("Syntax error in query expression '%1'.").arg(sql));
}

QString quoteIdent(const QString &name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString quoteText(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

// Tokenizes Jet text and converts literals and names on the way.
std::vector<Tok> tokenizeJet(const QString &s, bool jet)
{
    std::vector<Tok> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            int j = i;
            while (j < n && s[j].isSpace()) ++j;
            out.push_back({K::Space, s.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('[') && jet) {
            int j = s.indexOf(QLatin1Char(']'), i + 1);
            if (j < 0) syntaxError(s);
            out.push_back({K::Ident, quoteIdent(s.mid(i + 1, j - i - 1))});
            i = j + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`')) {
            // Jet: "..." is text; SQLite side: "..." is a name.
            QString v;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) { v += c; j += 2; continue; }
                    closed = true;
                    ++j;
                    break;
                }
                v += s[j++];
            }
            if (!closed) syntaxError(s);
            if (c == QLatin1Char('`') || (c == QLatin1Char('"') && !jet))
                out.push_back({K::Ident, quoteIdent(v)});
            else
                out.push_back({K::String, quoteText(v)});
            i = j;
        } else if (c == QLatin1Char('#') && jet) {
            int j = s.indexOf(QLatin1Char('#'), i + 1);
            if (j < 0) syntaxError(s);
            const QString iso = DateLiteralToIso(s.mid(i + 1, j - i - 1));
            if (iso.isEmpty())
                RaiseError(3075, QStringLiteral("Syntax error in date in query expression '%1'.").arg(s.mid(i, j - i + 1)));
            out.push_back({K::String, quoteText(iso)});
            i = j + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            while (j < n && (s[j].isDigit() || s[j] == QLatin1Char('.'))) ++j;
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-'))) ++k;
                if (k < n && s[k].isDigit()) {
                    j = k;
                    while (j < n && s[j].isDigit()) ++j;
                }
            }
            out.push_back({K::Number, s.mid(i, j - i)});
            i = j;
        } else if (isWordStart(c)) {
            int j = i;
            while (j < n && isWordChar(s[j])) ++j;
            out.push_back({K::Word, s.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('?')) {
            int j = i + 1;
            while (j < n && s[j].isDigit()) ++j;
            out.push_back({K::Param, s.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('(')) { out.push_back({K::LParen, QStringLiteral("(")}); ++i; }
        else if (c == QLatin1Char(')')) { out.push_back({K::RParen, QStringLiteral(")")}); ++i; }
        else if (c == QLatin1Char(',')) { out.push_back({K::Comma, QStringLiteral(",")}); ++i; }
        else if (c == QLatin1Char('.')) { out.push_back({K::Dot, QStringLiteral(".")}); ++i; }
        else if (c == QLatin1Char(';')) { out.push_back({K::Semi, QStringLiteral(";")}); ++i; }
        else {
            // Operators: two-character ones first.
            static const char *two[] = {"<=", ">=", "<>", "!=", "==", "||"};
            QString op(c);
            for (const char *t : two)
                if (s.mid(i, 2) == QLatin1String(t)) { op = s.mid(i, 2); break; }
            out.push_back({K::Op, op});
            i += int(op.size());
        }
    }
    return out;
}

bool isWord(const Tok &t, const char *w)
{
    return t.kind == K::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

int nextNonSpace(const std::vector<Tok> &t, int i)
{
    while (i < int(t.size()) && t[i].kind == K::Space) ++i;
    return i;
}

int prevNonSpace(const std::vector<Tok> &t, int i)
{
    while (i >= 0 && t[i].kind == K::Space) --i;
    return i;
}

int matchParen(const std::vector<Tok> &t, int open)
{
    int depth = 0;
    for (int i = open; i < int(t.size()); ++i) {
        if (t[i].kind == K::LParen) ++depth;
        else if (t[i].kind == K::RParen && --depth == 0) return i;
    }
    return -1;
}

int matchParenBack(const std::vector<Tok> &t, int close)
{
    int depth = 0;
    for (int i = close; i >= 0; --i) {
        if (t[i].kind == K::RParen) ++depth;
        else if (t[i].kind == K::LParen && --depth == 0) return i;
    }
    return -1;
}

QString join(const std::vector<Tok> &t, int from, int to) // [from, to)
{
    QString s;
    for (int i = from; i < to; ++i) s += t[i].text;
    return s;
}

bool isCompare(const Tok &t)
{
    if (t.kind != K::Op) return false;
    static const QStringList ops = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"), QStringLiteral(">"),
                                    QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!=")};
    return ops.contains(t.text);
}

// Aliases the first select expression of a sub-select as "__v".
QString aliasFirstColumn(std::vector<Tok> sub)
{
    int depth = 0;
    int from = -1;
    for (int i = 0; i < int(sub.size()); ++i) {
        if (sub[i].kind == K::LParen) ++depth;
        else if (sub[i].kind == K::RParen) --depth;
        else if (depth == 0 && isWord(sub[i], "FROM")) { from = i; break; }
    }
    if (from < 0) return join(sub, 0, int(sub.size()));
    int last = prevNonSpace(sub, from - 1);
    int beforeLast = prevNonSpace(sub, last - 1);
    if (last >= 0 && beforeLast >= 0 && isWord(sub[beforeLast], "AS")
        && (sub[last].kind == K::Word || sub[last].kind == K::Ident)) {
        sub[last].text = QStringLiteral("\"__v\"");
        return join(sub, 0, int(sub.size()));
    }
    return join(sub, 0, from) + QStringLiteral(" AS \"__v\" ") + join(sub, from, int(sub.size()));
}

// Rewrites "x op ALL (sub)" and "x op ANY/SOME (sub)", innermost first.
void rewriteQuantified(std::vector<Tok> &t)
{
    for (int guard = 0; guard < 100; ++guard) {
        int found = -1;
        for (int i = int(t.size()) - 1; i >= 0; --i) {
            if (isWord(t[i], "ALL") || isWord(t[i], "ANY") || isWord(t[i], "SOME")) {
                const int op = prevNonSpace(t, i - 1);
                const int lp = nextNonSpace(t, i + 1);
                if (op >= 0 && isCompare(t[op]) && lp < int(t.size()) && t[lp].kind == K::LParen) {
                    found = i;
                    break;
                }
            }
        }
        if (found < 0) return;
        const int op = prevNonSpace(t, found - 1);
        const int lp = nextNonSpace(t, found + 1);
        const int rp = matchParen(t, lp);
        if (rp < 0) syntaxError(join(t, 0, int(t.size())));
        // Left operand: a (qualified) name, a literal, a parameter or a parenthesised group.
        int le = prevNonSpace(t, op - 1);
        if (le < 0) syntaxError(join(t, 0, int(t.size())));
        int ls = le;
        if (t[le].kind == K::RParen) {
            ls = matchParenBack(t, le);
            if (ls < 0) syntaxError(join(t, 0, int(t.size())));
            int fn = ls - 1;
            if (fn >= 0 && t[fn].kind == K::Word) ls = fn;
        } else if (t[le].kind == K::Word || t[le].kind == K::Ident) {
            while (ls >= 2 && t[ls - 1].kind == K::Dot && (t[ls - 2].kind == K::Word || t[ls - 2].kind == K::Ident))
                ls -= 2;
        }
        const bool all = isWord(t[found], "ALL");
        const QString left = join(t, ls, le + 1);
        std::vector<Tok> sub(t.begin() + lp + 1, t.begin() + rp);
        const QString subSql = aliasFirstColumn(sub);
        QString repl = (all ? QStringLiteral("NOT EXISTS (SELECT 1 FROM (") : QStringLiteral("EXISTS (SELECT 1 FROM ("))
            + subSql + QStringLiteral(") AS \"__q\" WHERE (") + left + QLatin1Char(' ') + t[op].text
            + QStringLiteral(" \"__q\".\"__v\") IS ") + (all ? QStringLiteral("NOT 1)") : QStringLiteral("1)"));
        std::vector<Tok> nt(t.begin(), t.begin() + ls);
        nt.push_back({K::Op, repl});   // opaque from here on
        nt.insert(nt.end(), t.begin() + rp + 1, t.end());
        t.swap(nt);
    }
}

// Jet function names that must not reach SQLite under their own name.
QString renamedFunction(const QString &word)
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("left"), QStringLiteral("jet_left")},
        {QStringLiteral("right"), QStringLiteral("jet_right")},
        {QStringLiteral("mid"), QStringLiteral("jet_mid")},
        {QStringLiteral("int"), QStringLiteral("jet_int")},
        {QStringLiteral("fix"), QStringLiteral("jet_fix")},
        {QStringLiteral("isnull"), QStringLiteral("jet_isnull")},
        {QStringLiteral("date"), QStringLiteral("jet_date")},
        {QStringLiteral("time"), QStringLiteral("jet_time")},
        {QStringLiteral("now"), QStringLiteral("jet_now")},
        {QStringLiteral("len"), QStringLiteral("length")},
        {QStringLiteral("ucase"), QStringLiteral("upper")},
        {QStringLiteral("lcase"), QStringLiteral("lower")},
        {QStringLiteral("sgn"), QStringLiteral("sign")},
        {QStringLiteral("sqr"), QStringLiteral("sqrt")},
        {QStringLiteral("format"), QStringLiteral("jet_format")},
        {QStringLiteral("replace"), QStringLiteral("replace")},
    };
    return map.value(word.toLower());
}

} // namespace

QString DateLiteralToIso(const QString &inner)
{
    const QString s = inner.trimmed();
    static const QRegularExpression re(QStringLiteral(
        R"(^(?:(\d{1,4})[/\-.](\d{1,2})[/\-.](\d{1,4}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?)?$)"));
    const auto m = re.match(s);
    if (!m.hasMatch() || s.isEmpty()) return {};
    QString date;
    if (!m.captured(1).isEmpty()) {
        int a = m.captured(1).toInt(), b = m.captured(2).toInt(), c = m.captured(3).toInt();
        int y, mo, d;
        if (m.captured(1).size() == 4) { y = a; mo = b; d = c; }          // yyyy-mm-dd
        else { mo = a; d = b; y = c; if (m.captured(3).size() <= 2) y += (y < 30 ? 2000 : 1900); } // m/d/y
        const QDate qd(y, mo, d);
        if (!qd.isValid()) return {};
        date = qd.toString(QStringLiteral("yyyy-MM-dd"));
    }
    QString time;
    if (!m.captured(4).isEmpty()) {
        int h = m.captured(4).toInt(), mi = m.captured(5).toInt(), se = m.captured(6).toInt();
        const QString ap = m.captured(7).toLower();
        if (ap == QLatin1String("pm") && h < 12) h += 12;
        if (ap == QLatin1String("am") && h == 12) h = 0;
        const QTime qt(h, mi, se);
        if (!qt.isValid()) return {};
        time = qt.toString(QStringLiteral("hh:mm:ss"));
    }
    if (date.isEmpty()) return time;
    if (time.isEmpty() || time == QLatin1String("00:00:00")) return date;
    return date + QLatin1Char(' ') + time;
}

namespace {
bool hasNonAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 127) return true;
    return false;
}
} // namespace

QString Translate(const QString &jet, int paramOffset, const std::function<QString(const QString &)> &nameFix)
{
    std::vector<Tok> t = tokenizeJet(jet, true);
    if (nameFix) {
        for (Tok &k : t) {
            if (!hasNonAscii(k.text)) continue;
            if (k.kind == K::Ident) {
                QString inner = k.text.mid(1, k.text.size() - 2);
                inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
                const QString fixed = nameFix(inner);
                if (!fixed.isEmpty()) k.text = quoteIdent(fixed);
            } else if (k.kind == K::Word) {
                const QString fixed = nameFix(k.text);
                if (!fixed.isEmpty()) k.text = quoteIdent(fixed);
            }
        }
    }
    int paramNo = paramOffset;
    QString limit;
    for (int i = 0; i < int(t.size()); ++i) {
        Tok &k = t[i];
        if (k.kind == K::Param) {
            k.text = QStringLiteral("?%1").arg(++paramNo);
        } else if (k.kind == K::Op && k.text == QLatin1String("&")) {
            k.text = QStringLiteral("||");
        } else if (k.kind == K::Word) {
            const int nx = nextNonSpace(t, i + 1);
            const int pv = prevNonSpace(t, i - 1);
            const bool qualified = pv >= 0 && t[pv].kind == K::Dot;
            if (!qualified && (isWord(k, "TRUE") || isWord(k, "FALSE")) && !(nx < int(t.size()) && t[nx].kind == K::LParen)) {
                k = {K::Number, isWord(k, "TRUE") ? QStringLiteral("1") : QStringLiteral("0")};
            } else if (isWord(k, "MOD") && pv >= 0) {
                k = {K::Op, QStringLiteral("%")};
            } else if (isWord(k, "DELETE") && nx < int(t.size()) && t[nx].kind == K::Op && t[nx].text == QLatin1String("*")) {
                t[nx].text.clear();
                t[nx].kind = K::Space;
            } else if (isWord(k, "DISTINCTROW")) {
                k.text = QStringLiteral("DISTINCT");
            } else if (isWord(k, "TOP") && pv >= 0 && (isWord(t[pv], "SELECT") || isWord(t[pv], "DISTINCT"))
                       && nx < int(t.size()) && t[nx].kind == K::Number && limit.isEmpty()) {
                limit = t[nx].text;
                k.text.clear();
                t[nx].text.clear();
                int after = nextNonSpace(t, nx + 1);
                if (after < int(t.size()) && isWord(t[after], "PERCENT")) syntaxError(jet);
            } else if (!qualified && nx < int(t.size()) && t[nx].kind == K::LParen) {
                const QString r = renamedFunction(k.text);
                if (!r.isEmpty()) k.text = r;
            }
        }
    }
    // Jet has no comments: "x--1" is x minus minus one. Written as it stands,
    // SQLite would read "--" (or "/*") as the start of a comment and drop the
    // rest of the statement, a WHERE clause included.
    for (int i = 0; i + 1 < int(t.size()); ++i) {
        if (t[i].kind != K::Op || t[i + 1].kind != K::Op) continue;
        if ((t[i].text == QLatin1String("-") && t[i + 1].text.startsWith(QLatin1Char('-')))
            || (t[i].text == QLatin1String("/") && t[i + 1].text.startsWith(QLatin1Char('*'))))
            t[i].text += QLatin1Char(' ');
    }
    rewriteQuantified(t);
    QString out = join(t, 0, int(t.size()));
    if (!limit.isEmpty()) {
        // LIMIT goes at the end of the statement, before a trailing semicolon.
        int end = int(out.size());
        while (end > 0 && (out[end - 1].isSpace() || out[end - 1] == QLatin1Char(';'))) --end;
        out = out.left(end) + QStringLiteral(" LIMIT ") + limit;
    }
    return out;
}

bool LooksLikeSql(const QString &source)
{
    const QString s = source.trimmed();
    if (s.startsWith(QLatin1Char('('))) return true;
    static const QRegularExpression re(QStringLiteral(R"(^(SELECT|TRANSFORM|WITH|PARAMETERS)\b)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(s).hasMatch();
}

QString FirstKeyword(const QString &sql)
{
    static const QRegularExpression re(QStringLiteral(R"(^[\s(]*([A-Za-z]+))"));
    const auto m = re.match(sql);
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

bool AnalyzeSimpleSelect(const QString &sqliteSql, SimpleSource *out)
{
    std::vector<Tok> t = tokenizeJet(sqliteSql, false);
    // Character offsets of tokens.
    std::vector<int> pos(t.size() + 1);
    int p = 0;
    for (size_t i = 0; i < t.size(); ++i) { pos[i] = p; p += int(t[i].text.size()); }
    pos[t.size()] = p;

    int i = nextNonSpace(t, 0);
    if (i >= int(t.size()) || !isWord(t[i], "SELECT")) return false;
    const int selectTok = i;
    int depth = 0;
    int fromTok = -1;
    static const char *aggregates[] = {"COUNT", "SUM", "AVG", "MIN", "MAX", "TOTAL", "GROUP_CONCAT"};
    for (int j = selectTok + 1; j < int(t.size()); ++j) {
        if (t[j].kind == K::LParen) ++depth;
        else if (t[j].kind == K::RParen) --depth;
        else if (t[j].kind == K::Word) {
            if (depth == 0 && isWord(t[j], "FROM")) { fromTok = j; break; }
            if (depth == 0 && j == nextNonSpace(t, selectTok + 1) && (isWord(t[j], "DISTINCT"))) return false;
            if (isWord(t[j], "SELECT")) return false;
            const int nx = nextNonSpace(t, j + 1);
            if (nx < int(t.size()) && t[nx].kind == K::LParen)
                for (const char *a : aggregates)
                    if (isWord(t[j], a)) return false;
        }
    }
    if (fromTok < 0) return false;
    int j = nextNonSpace(t, fromTok + 1);
    if (j >= int(t.size()) || (t[j].kind != K::Word && t[j].kind != K::Ident)) return false;
    auto unquote = [](const Tok &k) {
        if (k.kind != K::Ident) return k.text;
        QString s = k.text.mid(1, k.text.size() - 2);
        s.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        return s;
    };
    QString table = unquote(t[j]);
    QString qualifier = table;
    j = nextNonSpace(t, j + 1);
    static const char *stops[] = {"WHERE", "ORDER", "LIMIT"};
    auto isStop = [&](const Tok &k) {
        for (const char *s : stops) if (isWord(k, s)) return true;
        return false;
    };
    if (j < int(t.size()) && isWord(t[j], "AS")) j = nextNonSpace(t, j + 1);
    if (j < int(t.size()) && (t[j].kind == K::Ident || (t[j].kind == K::Word && !isStop(t[j])))) {
        qualifier = unquote(t[j]);
        j = nextNonSpace(t, j + 1);
    }
    if (j < int(t.size()) && t[j].kind != K::Semi && !isStop(t[j])) return false;
    depth = 0;
    for (int k = j; k < int(t.size()); ++k) {
        if (t[k].kind == K::LParen) ++depth;
        else if (t[k].kind == K::RParen) --depth;
        else if (depth == 0 && (isWord(t[k], "GROUP") || isWord(t[k], "UNION") || isWord(t[k], "JOIN")
                                || isWord(t[k], "EXCEPT") || isWord(t[k], "INTERSECT") || isWord(t[k], "HAVING")))
            return false;
    }
    out->table = table;
    out->qualifier = qualifier;
    out->insertPos = pos[selectTok + 1];
    return true;
}

// ---------------------------------------------------------------- matching

namespace {

// One step of a compiled LIKE pattern; every step but a star takes one character.
struct LikeStep {
    enum Kind { Star, Any, Digit, Set, Char } kind;
    QChar ch;            // Char
    QString set;         // Set: the characters and ranges between the brackets
    bool negate = false; // Set: [!...]
};

std::vector<LikeStep> CompileLike(const QString &p)
{
    std::vector<LikeStep> steps;
    const int pn = int(p.size());
    for (int pi = 0; pi < pn;) {
        const QChar pc = p[pi];
        if (pc == QLatin1Char('*')) {
            // A run of stars matches what one star matches.
            if (steps.empty() || steps.back().kind != LikeStep::Star)
                steps.push_back({LikeStep::Star, {}, {}, false});
            ++pi;
        } else if (pc == QLatin1Char('?')) {
            steps.push_back({LikeStep::Any, {}, {}, false});
            ++pi;
        } else if (pc == QLatin1Char('#')) {
            steps.push_back({LikeStep::Digit, {}, {}, false});
            ++pi;
        } else if (pc == QLatin1Char('[')) {
            const int close = int(p.indexOf(QLatin1Char(']'), pi + 1));
            if (close < 0) { // a lone '[' matches itself
                steps.push_back({LikeStep::Char, pc, {}, false});
                ++pi;
                continue;
            }
            QString set = p.mid(pi + 1, close - pi - 1);
            bool negate = false;
            if (set.startsWith(QLatin1Char('!')) && set.size() > 1) { negate = true; set.remove(0, 1); }
            steps.push_back({LikeStep::Set, {}, set, negate});
            pi = close + 1;
        } else {
            steps.push_back({LikeStep::Char, pc, {}, false});
            ++pi;
        }
    }
    return steps;
}

bool StepMatches(const LikeStep &s, QChar c)
{
    switch (s.kind) {
    case LikeStep::Any: return true;
    case LikeStep::Digit: return c.isDigit();
    case LikeStep::Char: return c == s.ch;
    case LikeStep::Set: {
        bool in = false;
        for (int k = 0; k < s.set.size() && !in; ++k) {
            if (k + 2 < s.set.size() && s.set[k + 1] == QLatin1Char('-')) {
                in = c >= s.set[k] && c <= s.set[k + 2];
                k += 2;
            } else {
                in = s.set[k] == c;
            }
        }
        return in != s.negate;
    }
    case LikeStep::Star: break;
    }
    return false;
}

} // namespace

bool LikeMatch(const QString &value, const QString &pattern)
{
    const QString v = value.toCaseFolded();
    const std::vector<LikeStep> steps = CompileLike(pattern.toCaseFolded());
    // Every step other than a star takes exactly one character, so when a later
    // step fails only the most recent star needs to take one more character:
    // earlier stars can never do better. Time is bounded by text x pattern,
    // whatever the user types as a pattern.
    const int vn = int(v.size()), sn = int(steps.size());
    int vi = 0, si = 0;
    int starStep = -1, starText = 0;
    while (vi < vn) {
        if (si < sn && steps[size_t(si)].kind == LikeStep::Star) {
            starStep = si++;
            starText = vi;
        } else if (si < sn && StepMatches(steps[size_t(si)], v[vi])) {
            ++si;
            ++vi;
        } else if (starStep >= 0) {
            si = starStep + 1;
            vi = ++starText;
        } else {
            return false;
        }
    }
    while (si < sn && steps[size_t(si)].kind == LikeStep::Star)
        ++si;
    return si == sn;
}

// ---------------------------------------------------------------- functions

namespace {

QString valueText(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return QString::number(sqlite3_value_double(v), 'g', 15);
    case SQLITE_NULL: return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    }
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context *ctx, int number, const QString &desc)
{
    // "#number#description": turned back into a VbError by the caller.
    const QByteArray b = QStringLiteral("#%1#%2").arg(number).arg(desc).toUtf8();
    sqlite3_result_error(ctx, b.constData(), int(b.size()));
}

// Days since 1899-12-30 as Jet counts dates, fractional part the time of day.
const QDate kJetEpoch(1899, 12, 30);

bool parseNumber(const QString &text, double *out)
{
    const QString s = text.trimmed();
    if (s.isEmpty()) return false;
    bool ok = false;
    double d = s.toDouble(&ok);
    if (!ok) d = QLocale().toDouble(s, &ok);
    if (!ok) { QString t = s; t.replace(QLatin1Char(','), QLatin1Char('.')); d = t.toDouble(&ok); }
    if (ok) *out = d;
    return ok;
}

// Reads a stored date/time text or a Jet serial number.
bool parseDateTime(sqlite3_value *v, QDate *date, QTime *time)
{
    *date = QDate();
    *time = QTime(0, 0);
    if (sqlite3_value_type(v) == SQLITE_INTEGER || sqlite3_value_type(v) == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(v);
        const double days = std::floor(d);
        *date = kJetEpoch.addDays(qint64(days));
        *time = QTime(0, 0).addMSecs(int(std::llround((d - days) * 86400000.0)));
        return true;
    }
    // Fast paths for what the database stores: "hh:mm:ss", "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss".
    {
        const unsigned char *p = sqlite3_value_text(v);
        const int n = sqlite3_value_bytes(v);
        auto dig = [p](int i) { return p[i] >= '0' && p[i] <= '9'; };
        auto num2 = [p](int i) { return (p[i] - '0') * 10 + (p[i + 1] - '0'); };
        auto isTime = [&](int o) {
            return dig(o) && dig(o + 1) && p[o + 2] == ':' && dig(o + 3) && dig(o + 4) && p[o + 5] == ':' && dig(o + 6)
                && dig(o + 7);
        };
        auto isDate = [&]() {
            return dig(0) && dig(1) && dig(2) && dig(3) && p[4] == '-' && dig(5) && dig(6) && p[7] == '-' && dig(8)
                && dig(9);
        };
        if (p && n == 8 && isTime(0)) {
            *time = QTime(num2(0), num2(3), num2(6));
            return time->isValid();
        }
        if (p && (n == 10 || (n == 19 && (p[10] == ' ' || p[10] == 'T') && isTime(11))) && isDate()) {
            *date = QDate(num2(0) * 100 + num2(2), num2(5), num2(8));
            if (n == 19) *time = QTime(num2(11), num2(14), num2(17));
            return date->isValid() && time->isValid();
        }
    }
    const QString s = valueText(v).trimmed();
    static const QRegularExpression re(QStringLiteral(
        R"(^(?:(\d{4})-(\d{1,2})-(\d{1,2}))?[ T]?(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?)?$)"));
    const auto m = re.match(s);
    if (s.isEmpty() || !m.hasMatch()) {
        const QString iso = DateLiteralToIso(s);
        if (iso.isEmpty()) return false;
        const QDateTime dt = QDateTime::fromString(iso.size() > 10 ? iso : iso + QStringLiteral(" 00:00:00"),
                                                   QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (dt.isValid()) { *date = dt.date(); *time = dt.time(); return true; }
        const QTime t = QTime::fromString(iso, QStringLiteral("hh:mm:ss"));
        if (!t.isValid()) return false;
        *time = t;
        return true;
    }
    if (!m.captured(1).isEmpty())
        *date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!m.captured(4).isEmpty())
        *time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return true;
}

enum Part { Hour, Minute, Second, Year, Month, Day, Weekday };

template <Part P>
void fnDatePart(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    QDate d;
    QTime t;
    if (!parseDateTime(argv[0], &d, &t)) { resultError(ctx, 13, QStringLiteral("Type mismatch")); return; }
    if (!d.isValid()) d = kJetEpoch;
    int r = 0;
    switch (P) {
    case Hour: r = t.hour(); break;
    case Minute: r = t.minute(); break;
    case Second: r = t.second(); break;
    case Year: r = d.year(); break;
    case Month: r = d.month(); break;
    case Day: r = d.day(); break;
    case Weekday: r = d.dayOfWeek() % 7 + 1; break; // Sunday = 1
    }
    sqlite3_result_int(ctx, r);
}

double toDoubleOrError(sqlite3_context *ctx, sqlite3_value *v, bool *ok)
{
    *ok = true;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    default: {
        double d = 0;
        const QString s = valueText(v);
        if (parseNumber(s, &d)) return d;
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return -1;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return 0;
        QDate date;
        QTime time;
        if (parseDateTime(v, &date, &time)) {
            const double days = date.isValid() ? kJetEpoch.daysTo(date) : 0;
            return days + time.msecsSinceStartOfDay() / 86400000.0;
        }
        *ok = false;
        resultError(ctx, 13, QStringLiteral("Type mismatch"));
        return 0;
    }
    }
}

void fnCDbl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { resultError(ctx, 94, QStringLiteral("Invalid use of Null")); return; }
    bool ok;
    const double d = toDoubleOrError(ctx, argv[0], &ok);
    if (ok) sqlite3_result_double(ctx, d);
}

template <int Bits>
void fnCInt(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { resultError(ctx, 94, QStringLiteral("Invalid use of Null")); return; }
    bool ok;
    const double d = toDoubleOrError(ctx, argv[0], &ok);
    if (!ok) return;
    const double r = std::nearbyint(d); // halves to even
    const double lim = Bits == 16 ? 32767.0 : 2147483647.0;
    if (r > lim || r < -lim - 1) { resultError(ctx, 6, QStringLiteral("Overflow")); return; }
    sqlite3_result_int64(ctx, qint64(r));
}

void fnCStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { resultError(ctx, 94, QStringLiteral("Invalid use of Null")); return; }
    resultText(ctx, valueText(argv[0]));
}

void fnVal(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { resultError(ctx, 94, QStringLiteral("Invalid use of Null")); return; }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) { sqlite3_result_value(ctx, argv[0]); return; }
    // Val reads the leading number and ignores the rest; the decimal mark is always '.'.
    QString s = valueText(argv[0]);
    s.remove(QLatin1Char(' '));
    static const QRegularExpression re(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)"));
    const auto m = re.match(s);
    sqlite3_result_double(ctx, m.hasMatch() ? m.captured(0).toDouble() : 0.0);
}

void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL) sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1) sqlite3_result_value(ctx, argv[1]);
    else sqlite3_result_int(ctx, 0);
}

void fnIsNull(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? 1 : 0);
}

void fnLeft(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    resultText(ctx, valueText(argv[0]).left(qMax(0, sqlite3_value_int(argv[1]))));
}

void fnRight(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    resultText(ctx, valueText(argv[0]).right(qMax(0, sqlite3_value_int(argv[1]))));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    const int start = sqlite3_value_int(argv[1]);
    if (start < 1) { resultError(ctx, 5, QStringLiteral("Invalid procedure call or argument")); return; }
    const QString s = valueText(argv[0]);
    resultText(ctx, argc > 2 ? s.mid(start - 1, qMax(0, sqlite3_value_int(argv[2]))) : s.mid(start - 1));
}

void fnInt(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    bool ok;
    const double d = toDoubleOrError(ctx, argv[0], &ok);
    if (ok) sqlite3_result_int64(ctx, qint64(std::floor(d)));
}

void fnFix(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    bool ok;
    const double d = toDoubleOrError(ctx, argv[0], &ok);
    if (ok) sqlite3_result_int64(ctx, qint64(std::trunc(d)));
}

void fnDate(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

void fnTime(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void fnNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

void fnFormat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    // Enough of Format for numbers with a "0.00"-like pattern and plain texts.
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    if (argc < 2 || sqlite3_value_type(argv[0]) == SQLITE_TEXT) { resultText(ctx, valueText(argv[0])); return; }
    const QString pat = valueText(argv[1]);
    const int dot = pat.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : int(pat.size()) - dot - 1;
    resultText(ctx, QLocale().toString(sqlite3_value_double(argv[0]), 'f', decimals));
}

void fnLike(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    // like(pattern, value): SQLite's argument order for "value LIKE pattern".
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, LikeMatch(valueText(argv[1]), valueText(argv[0])) ? 1 : 0);
}

} // namespace

void RegisterFunctions(sqlite3 *db)
{
    struct F { const char *name; int args; void (*fn)(sqlite3_context *, int, sqlite3_value **); bool det; };
    static const F funcs[] = {
        {"hour", 1, fnDatePart<Hour>, true}, {"minute", 1, fnDatePart<Minute>, true},
        {"second", 1, fnDatePart<Second>, true}, {"year", 1, fnDatePart<Year>, true},
        {"month", 1, fnDatePart<Month>, true}, {"day", 1, fnDatePart<Day>, true},
        {"weekday", 1, fnDatePart<Weekday>, true},
        {"cdbl", 1, fnCDbl, true}, {"csng", 1, fnCDbl, true}, {"ccur", 1, fnCDbl, true},
        {"cint", 1, fnCInt<16>, true}, {"clng", 1, fnCInt<32>, true},
        {"cstr", 1, fnCStr, true}, {"val", 1, fnVal, true},
        {"nz", 1, fnNz, true}, {"nz", 2, fnNz, true}, {"jet_isnull", 1, fnIsNull, true},
        {"jet_left", 2, fnLeft, true}, {"jet_right", 2, fnRight, true},
        {"jet_mid", 2, fnMid, true}, {"jet_mid", 3, fnMid, true},
        {"jet_int", 1, fnInt, true}, {"jet_fix", 1, fnFix, true},
        {"jet_date", 0, fnDate, false}, {"jet_time", 0, fnTime, false}, {"jet_now", 0, fnNow, false},
        {"jet_format", 1, fnFormat, true}, {"jet_format", 2, fnFormat, true},
        {"like", 2, fnLike, true},
    };
    for (const F &f : funcs)
        sqlite3_create_function_v2(db, f.name, f.args, SQLITE_UTF8 | (f.det ? SQLITE_DETERMINISTIC : 0),
                                   nullptr, f.fn, nullptr, nullptr, nullptr);
}

} // namespace dao::jetsql
