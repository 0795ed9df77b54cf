#include "XmlDocument.h"

#include "platform/shell/Cp1252.h"
#include "platform/shell/PaintNowAndThen.h"
#include "platform/shell/ReadLimits.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <QIODevice>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <deque>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace xml {

// ---- nodes -------------------------------------------------------------------

// Every element, attribute and character of a document, kept once.
struct XmlStore {
    std::deque<XmlNode> nodes;   // a deque: a node never moves once made
    std::vector<std::pair<QString, QString>> attributes;
    QString text;                // the document's text, in document order
};

XmlNode::XmlNode(QString name, const XmlNode *parent, const XmlStore *store)
    : m_name(std::move(name)), m_parent(parent), m_store(store)
{
}

XmlNode::~XmlNode() = default;

bool XmlNode::hasAttribute(const QString &name) const
{
    for (quint32 i = 0; i < m_attributeCount; ++i)
        if (m_store->attributes[m_firstAttribute + i].first == name)
            return true;
    return false;
}

QString XmlNode::attribute(const QString &name, const QString &defaultValue) const
{
    for (quint32 i = 0; i < m_attributeCount; ++i) {
        const auto &a = m_store->attributes[m_firstAttribute + i];
        if (a.first == name)
            return a.second;
    }
    return defaultValue;
}

QString XmlNode::text() const
{
    return QStringView(m_store->text).mid(m_textBegin, m_textEnd - m_textBegin).trimmed().toString();
}

const XmlNode *XmlNode::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return m_children[size_t(index)];
}

std::vector<const XmlNode *> XmlNode::selectNodes(const QString &path) const
{
    const XmlNode *start = this;
    if (path.startsWith(QLatin1Char('/')))
        while (start->m_parent)
            start = start->m_parent;
    const QStringList steps = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    std::vector<const XmlNode *> current{start};
    for (const QString &step : steps) {
        std::vector<const XmlNode *> next;
        for (const XmlNode *node : current)
            for (const XmlNode *c : node->m_children)
                if (step == QLatin1String("*") || c->m_name == step)
                    next.push_back(c);
        current.swap(next);
        if (current.empty())
            break;
    }
    if (steps.isEmpty() && !path.startsWith(QLatin1Char('/')))
        return {};
    return current;
}

const XmlNode *XmlNode::selectSingleNode(const QString &path) const
{
    const auto nodes = selectNodes(path);
    return nodes.empty() ? nullptr : nodes.front();
}

// ---- reading in pieces ---------------------------------------------------------

namespace {

constexpr qsizetype PieceBytes = 1024 * 1024;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes of a document in pieces of about a megabyte, from memory or from
// a file, each ending before a character's first byte in UTF-8, so no UTF-8
// character is ever cut in two.
class ByteSource {
public:
    explicit ByteSource(QByteArrayView bytes) : m_bytes(bytes) {}
    explicit ByteSource(QFile &file) : m_file(&file) {}

    void rewind()
    {
        m_pos = 0;
        m_carry.clear();
        if (m_file && !m_file->seek(0))
            m_failed = true;
    }
    // The next piece; false at the end (or when the file cannot be read).
    bool next(QByteArray &piece)
    {
        piece = std::move(m_carry);
        m_carry = QByteArray();
        if (m_file) {
            // A file that grows while it is read is read no further than
            // past the cap, and then refused.
            if (m_pos > MaxDocumentBytes)
                return false;
            const qint64 want = PieceBytes - piece.size();
            const qsizetype had = piece.size();
            piece.resize(had + want);
            const qint64 got = m_file->read(piece.data() + had, want);
            if (got < 0)
                m_failed = true;
            piece.resize(had + std::max<qint64>(got, 0));
            m_pos += std::max<qint64>(got, 0);
        } else {
            const qsizetype take = std::min(PieceBytes - piece.size(), m_bytes.size() - m_pos);
            piece.append(m_bytes.sliced(m_pos, take));
            m_pos += take;
        }
        const bool more = m_file ? !m_file->atEnd() : m_pos < m_bytes.size();
        if (more && !piece.isEmpty()) {
            // The last character's first byte among the last four bytes: a
            // character starting there may go on in the next piece.
            qsizetype b = piece.size() - 1;
            while (b > 0 && b > piece.size() - 4 && IsContinuation(piece[b]))
                --b;
            if (b > 0 && static_cast<unsigned char>(piece[b]) >= 0xC0) {
                m_carry = piece.mid(b);
                piece.truncate(b);
            }
        }
        return !piece.isEmpty() && !m_failed;
    }
    qint64 bytesRead() const { return m_pos; }
    bool failed() const { return m_failed; }
    QString errorString() const { return m_file ? m_file->errorString() : QString(); }

private:
    QByteArrayView m_bytes;
    QFile *m_file = nullptr;
    qint64 m_pos = 0;
    QByteArray m_carry;
    bool m_failed = false;
};

// The document's text in pieces, decoded as the whole file would be:
// UTF-16 with its byte order mark, or without one when the first character
// is one of the ASCII range in UTF-16 ("<", a blank: a document in UTF-8 or
// Windows-1252 never holds a NUL, which XML does not allow), else UTF-8
// when all of it is valid UTF-8, else Windows-1252 (the rule of every reader,
// DecodeOutsideText: a first pass over the bytes tells).
class TextPieces {
public:
    explicit TextPieces(ByteSource &source) : m_source(source)
    {
        QByteArray piece;
        const bool any = m_source.next(piece);
        if (any && (piece.startsWith("\xFF\xFE") || piece.startsWith("\xFE\xFF"))) {
            m_kind = Utf16;
        } else if (any && piece.size() >= 2 && piece[0] != '\0' && piece[1] == '\0') {
            m_kind = Utf16;
            m_utf16 = QStringDecoder(QStringDecoder::Utf16LE);
        } else if (any && piece.size() >= 2 && piece[0] == '\0' && piece[1] != '\0') {
            m_kind = Utf16;
            m_utf16 = QStringDecoder(QStringDecoder::Utf16BE);
        } else {
            // Valid UTF-8 pieces, each cut before a character, make valid UTF-8.
            bool valid = true;
            for (bool first = true, more = any; more && valid; more = m_source.next(piece), first = false)
                valid = (first ? WithoutUtf8Mark(piece) : QByteArrayView(piece)).isValidUtf8();
            m_kind = valid ? Utf8 : Cp1252;
        }
        m_source.rewind();
    }
    // The next piece of text; false at the end.
    bool next(QString &text)
    {
        QByteArray piece;
        if (!m_source.next(piece)) {
            text = std::exchange(m_held, QString());
            return !text.isEmpty();
        }
        const bool first = std::exchange(m_first, false);
        const QByteArrayView body = first && m_kind != Utf16 ? WithoutUtf8Mark(piece) : QByteArrayView(piece);
        switch (m_kind) {
        case Utf16:
            text = m_held + m_utf16(body);
            break;
        case Utf8:
            text = m_held + m_utf8(body);
            break;
        case Cp1252:
            text = m_held + FromCp1252(body);
            break;
        }
        m_held.clear();
        // A character of two UTF-16 units cut at the end waits for its second.
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            m_held = text.back();
            text.chop(1);
        }
        return true;
    }

private:
    enum Kind { Utf8, Utf16, Cp1252 };
    ByteSource &m_source;
    Kind m_kind = Utf8;
    // Kept from piece to piece: only the first piece may start with a byte
    // order mark to drop.
    QStringDecoder m_utf8{QStringDecoder::Utf8};
    QStringDecoder m_utf16{QStringDecoder::Utf16};
    QString m_held;
    bool m_first = true;
};

// Follows the text before Qt's reader sees it, markup by markup, and counts
// what the reader would spend time and memory on:
//
// - the attributes of each start tag: a start tag runs from "<" and a name to
//   the first ">" outside quotes, and no "<" can stand inside it (not even in
//   a quoted value), so each of its attributes has its "=" outside quotes
//   before the next "<": the count never falls below what the reader would
//   collect;
// - what comes before the document element's start tag (the tag itself not
//   counted): comments, processing instructions and the document type with
//   its quoted literals, its internal subset and the comments in it are
//   passed over whole, so a "<" inside them starts no element;
// - references to declared entities ("&name;" other than the five predefined
//   ones and the character references "&#...;", and "%name;" inside the
//   document type), each of which may bring up to the reader's expansion
//   limit of 4,096 characters, and references of any kind;
// - the characters of each attribute value, and those from one "<" that
//   starts markup to the next (a text, a comment, a section of character
//   data, a tag's name): the reader keeps each of them whole.
//
// It runs over every character before the reader does, so it costs little
// beside the reader: a run of plain text or of a value is passed over whole,
// its marks found eight characters at a time, and the line and column are
// counted only where a piece ends or the text is refused.
class Prescan {
public:
    // False once a bound is passed; why() then says which.
    //
    // Anything but blanks before the document element, outside markup (the
    // first character of a plain text, say), is where the reader stops and
    // tells the document as not well-formed, whatever follows: the scan ends
    // there (strayBeforeElement()), and what follows is neither counted nor
    // bounded, since the reader never reads it.
    bool pass(QStringView text)
    {
        if (m_stray)
            return true;
        const char16_t *const p = text.utf16();
        const qsizetype n = text.size();
        m_piece = p;
        // The state most characters change is kept in locals, handed back
        // before step() and taken again after it.
        State state = m_state;
        qint64 run = m_runChars;
        char16_t quote = m_quote;
        bool inReference = m_inReference;
        bool inProlog = m_inProlog;
        const auto handBack = [&] {
            m_state = state;
            m_runChars = run;
            m_quote = quote;
            m_inReference = inReference;
        };
        constexpr qint64 MaxRun = readlimits::MaxXmlValueChars;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = p[i];
            // Past the first element most characters only move a count, or
            // step from a tag to a text and back: those are taken here, and
            // a run of plain text or of a value is taken whole. The rest goes
            // through step(), which takes every character the same way.
            if (!inProlog) {
                if (state == Text) {
                    if (c == u'<') {
                        inReference = false;
                        state = Less;
                        run = 1;
                        continue;
                    }
                    if (c != u'&' && !inReference) {
                        const qsizetype end = RunEnd(p, i, n, Marks<2>{{u'<', u'&'}});
                        if (end - i > MaxRun - run) {
                            handBack();
                            return refuseAt(p, i + (MaxRun - run), runTooLong());
                        }
                        run += end - i;
                        i = end - 1;
                        continue;
                    }
                } else if (state == StartTag) {
                    if (quote) {
                        if (c == quote) {
                            inReference = false;
                            quote = 0;
                            continue;
                        }
                        if (c != u'&' && !inReference) {
                            const qsizetype end = RunEnd(p, i, n, Marks<2>{{quote, u'&'}});
                            if (end - i > MaxRun - m_valueChars) {
                                handBack();
                                return refuseAt(p, i + (MaxRun - m_valueChars), valueTooLong());
                            }
                            m_valueChars += end - i;
                            i = end - 1;
                            continue;
                        }
                    } else {
                        if (++run > MaxRun) {
                            handBack();
                            return refuseAt(p, i, runTooLong());
                        }
                        if (c == u'>') {
                            state = Text;
                            run = 0;
                        } else if (c == u'"' || c == u'\'') {
                            quote = c;
                            m_valueChars = 0;
                        } else if (c == u'=' && ++m_count > readlimits::MaxXmlAttributesPerElement) {
                            handBack();
                            return refuseAt(p, i, tooManyAttributes());
                        }
                        continue;
                    }
                } else if (state == Less) {
                    if (c != u'!' && c != u'?') {
                        if (++run > MaxRun) {
                            handBack();
                            return refuseAt(p, i, runTooLong());
                        }
                        if (c == u'/') {
                            state = EndTag;
                        } else {
                            state = StartTag;
                            quote = 0;
                            m_count = 0;
                        }
                        continue;
                    }
                } else if (state == EndTag) {
                    if (++run > MaxRun) {
                        handBack();
                        return refuseAt(p, i, runTooLong());
                    }
                    if (c == u'>') {
                        state = Text;
                        run = 0;
                    }
                    continue;
                } else if (state == Comment || state == Cdata) {
                    if (c != u'>' && c != (state == Comment ? u'-' : u']')) {
                        if (++run > MaxRun) {
                            handBack();
                            return refuseAt(p, i, runTooLong());
                        }
                        m_marks = 0;
                        continue;
                    }
                } else if (state == Pi) {
                    if (c != u'>') {
                        if (++run > MaxRun) {
                            handBack();
                            return refuseAt(p, i, runTooLong());
                        }
                        continue;
                    }
                }
            }
            handBack();
            m_at = i;
            if (!step(QChar(c))) {
                movePosition(p, i + 1);
                return false;
            }
            if (m_stray)
                return true;
            state = m_state;
            run = m_runChars;
            quote = m_quote;
            inReference = m_inReference;
            inProlog = m_inProlog;
        }
        handBack();
        for (qsizetype i = std::max<qsizetype>(0, n - 3); i < n; ++i) {
            m_before[0] = m_before[1];
            m_before[1] = m_before[2];
            m_before[2] = p[i];
        }
        m_started = m_started || n > 0;
        movePosition(p, n);
        return true;
    }
    const QString &why() const { return m_why; }
    bool strayBeforeElement() const { return m_stray; }
    // Where the scan stands: the line and column of the last character
    // taken, or of the one refused.
    qint64 line() const { return m_line; }
    qint64 column() const { return m_column; }

private:
    enum State { Text, Less, Bang, BangDash, Comment, Cdata, Pi, Doctype, EndTag, StartTag };

    template <size_t N>
    using Marks = std::array<char16_t, N>;

    // The end of the run of characters from p[from] on (not a mark itself)
    // up to the first of the marks.
    template <size_t N>
    static qsizetype RunEnd(const char16_t *p, qsizetype from, qsizetype n, const Marks<N> &marks)
    {
        // Most runs between tags are short: a mark right after is seen at once.
        const qsizetype next = from + 1;
        if (next == n || std::find(marks.begin(), marks.end(), p[next]) != marks.end())
            return next;
        return next + FindAny(p + next, n - next, marks);
    }

    // The index of the first of the marks among p[0 .. n), or n: eight
    // characters at a time where the processor allows it.
    template <size_t N>
    static qsizetype FindAny(const char16_t *p, qsizetype n, const Marks<N> &marks)
    {
        qsizetype i = 0;
#if defined(__SSE2__)
        __m128i wanted[N];
        for (size_t k = 0; k < N; ++k)
            wanted[k] = _mm_set1_epi16(short(marks[k]));
        for (; i + 8 <= n; i += 8) {
            const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            __m128i found = _mm_cmpeq_epi16(eight, wanted[0]);
            for (size_t k = 1; k < N; ++k)
                found = _mm_or_si128(found, _mm_cmpeq_epi16(eight, wanted[k]));
            if (const unsigned mask = unsigned(_mm_movemask_epi8(found)))
                return i + std::countr_zero(mask) / 2;
        }
#endif
        for (; i < n; ++i)
            for (const char16_t mark : marks)
                if (p[i] == mark)
                    return i;
        return n;
    }

    static QString runTooLong()
    {
        return QStringLiteral("The document holds more than %1 characters between two tags.")
            .arg(readlimits::MaxXmlValueChars);
    }
    static QString valueTooLong()
    {
        return QStringLiteral("An attribute value holds more than %1 characters.").arg(readlimits::MaxXmlValueChars);
    }
    static QString tooManyAttributes()
    {
        return QStringLiteral("An element has more than %1 attributes.").arg(readlimits::MaxXmlAttributesPerElement);
    }

    // Refuses the text at p[at], the line and column standing there.
    bool refuseAt(const char16_t *p, qsizetype at, const QString &why)
    {
        movePosition(p, at + 1);
        return refuse(why);
    }

    // Moves the line and column past p[0 .. n).
    void movePosition(const char16_t *p, qsizetype n)
    {
        qint64 lines = 0;
        qsizetype lastBreak = -1;
        qsizetype i = 0;
#if defined(__SSE2__)
        const __m128i lineFeed = _mm_set1_epi16(short(u'\n'));
        for (; i + 8 <= n; i += 8) {
            const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            if (const unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(eight, lineFeed)))) {
                lines += std::popcount(mask) / 2;
                lastBreak = i + (31 - std::countl_zero(mask)) / 2;
            }
        }
#endif
        for (; i < n; ++i) {
            if (p[i] == u'\n') {
                ++lines;
                lastBreak = i;
            }
        }
        m_line += lines;
        m_column = lastBreak < 0 ? m_column + n : n - 1 - lastBreak;
    }

    // The character `back` places before the one step() takes (1 to 3),
    // in this piece or at the end of the ones before.
    char16_t before(qsizetype back) const
    {
        return m_at >= back ? m_piece[m_at - back] : m_before[3 - (back - m_at)];
    }

    bool refuse(const QString &why)
    {
        m_why = why;
        return false;
    }

    bool step(QChar c)
    {
        // A byte order mark at the very start is dropped by the reader.
        if (m_inProlog && m_state == Text && !IsBlank(c) && c != QLatin1Char('<')
            && !(c == QChar(0xFEFF) && !m_started && m_at == 0)) {
            m_stray = true;
            return true;
        }
        const bool inValue = m_state == StartTag && m_quote;
        // A "<" is counted once the next character tells it starts no element.
        if (m_inProlog && !(m_state == Text && c == QLatin1Char('<')) && !(m_state == Less && IsNameStart(c))) {
            m_prologBytes += (m_state == Less ? 1 : 0) + Utf8Bytes(c);
            if (m_prologBytes > readlimits::MaxXmlPrologBytes)
                return refuse(QStringLiteral("The document has more than %1 KB before its first element.")
                                  .arg(readlimits::MaxXmlPrologBytes / 1024));
        }
        // A run is the text between two tags, or the markup from a "<" to
        // the ">" that ends it (attribute values apart, bounded on their
        // own): the "<" after a text starts the next run, and the run of a
        // text starts after the ">" before it.
        const bool opensMarkup = m_state == Text && c == QLatin1Char('<');
        if (!inValue && !opensMarkup && ++m_runChars > readlimits::MaxXmlValueChars)
            return refuse(runTooLong());
        const State was = m_state;
        const bool taken = advance(c);
        if (m_state == Text && was != Text)
            m_runChars = 0;
        return taken;
    }

    bool advance(QChar c)
    {
        switch (m_state) {
        case Text:
            if (c == QLatin1Char('<')) {
                endReference();
                m_state = Less;
                m_runChars = 1;
                return true;
            }
            return reference(c, false);
        case Less:
            if (c == QLatin1Char('!')) {
                m_state = Bang;
            } else if (c == QLatin1Char('?')) {
                m_state = Pi;
            } else if (c == QLatin1Char('/')) {
                m_state = EndTag;
            } else {
                if (m_inProlog)
                    m_inProlog = false;   // the document element's start tag
                m_state = StartTag;
                m_quote = 0;
                m_count = 0;
            }
            return true;
        case Bang:
            m_state = c == QLatin1Char('-') ? BangDash : c == QLatin1Char('[') ? Cdata : Doctype;
            m_marks = 0;
            m_depth = 0;
            m_quote = 0;
            m_inner = Text;
            return true;
        case BangDash:
            m_state = c == QLatin1Char('-') ? Comment : Doctype;
            m_marks = 0;
            return true;
        case Comment:
        case Cdata:
            // "-->" ends a comment, "]]>" a section of character data.
            if (c == QLatin1Char('>') && m_marks >= 2)
                m_state = Text;
            m_marks = c == QLatin1Char(m_state == Comment ? '-' : ']') ? m_marks + 1 : 0;
            return true;
        case Pi:
            if (c == QLatin1Char('>') && before(1) == u'?')
                m_state = Text;
            return true;
        case EndTag:
            if (c == QLatin1Char('>'))
                m_state = Text;
            return true;
        case Doctype:
            return doctype(c);
        case StartTag:
            if (m_quote) {
                if (c.unicode() == m_quote) {
                    endReference();
                    m_quote = 0;
                    return true;
                }
                if (++m_valueChars > readlimits::MaxXmlValueChars)
                    return refuse(valueTooLong());
                return reference(c, false);
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                m_quote = c.unicode();
                m_valueChars = 0;
            } else if (c == QLatin1Char('>')) {
                m_state = Text;
            } else if (c == QLatin1Char('=') && ++m_count > readlimits::MaxXmlAttributesPerElement) {
                return refuse(tooManyAttributes());
            }
            return true;
        }
        return true;
    }

    // The document type: quoted literals, the internal subset in brackets,
    // and comments and processing instructions inside it; ">" outside all of
    // them ends it.
    bool doctype(QChar c)
    {
        if (m_inner == Comment) {
            if (c == QLatin1Char('>') && m_marks >= 2)
                m_inner = Text;
            m_marks = c == QLatin1Char('-') ? m_marks + 1 : 0;
            return true;
        }
        if (m_inner == Pi) {
            if (c == QLatin1Char('>') && before(1) == u'?')
                m_inner = Text;
            return true;
        }
        if (m_quote) {
            if (c.unicode() == m_quote) {
                endReference();
                m_quote = 0;
                return true;
            }
            return reference(c, true);
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            endReference();
            m_quote = c.unicode();
        } else if (c == QLatin1Char('[')) {
            ++m_depth;
        } else if (c == QLatin1Char(']')) {
            --m_depth;
        } else if (c == QLatin1Char('>') && m_depth <= 0) {
            endReference();
            m_state = Text;
            return true;
        } else if (c == QLatin1Char('-') && before(1) == u'-' && before(2) == u'!' && before(3) == u'<') {
            m_inner = Comment;
            m_marks = 0;
            return true;
        } else if (c == QLatin1Char('?') && before(1) == u'<') {
            m_inner = Pi;
            return true;
        }
        return reference(c, true);
    }

    // The bytes of the character in UTF-8 (a surrogate is half of four).
    static int Utf8Bytes(QChar c)
    {
        const char16_t u = c.unicode();
        return u < 0x80 ? 1 : u < 0x800 || c.isSurrogate() ? 2 : 3;
    }
    // The blanks XML allows between markup.
    static bool IsBlank(QChar c)
    {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    }
    // After "<": a character that starts an element's name, not other markup.
    static bool IsNameStart(QChar c)
    {
        return c != QLatin1Char('!') && c != QLatin1Char('?') && c != QLatin1Char('/');
    }

    void endReference() { m_inReference = false; }

    // Follows "&name;" (and "%name;" where parameter entities are referred
    // to); false past a bound.
    bool reference(QChar c, bool parameters)
    {
        if (m_inReference) {
            if (c == QLatin1Char(';')) {
                m_inReference = false;
                static const char *const predefined[] = {"amp", "lt", "gt", "quot", "apos"};
                const QStringView name(m_referenceName, std::min<qsizetype>(m_referenceLength, 5));
                const bool declared
                    = m_referenceMark == QLatin1Char('%')
                      || (!name.startsWith(QLatin1Char('#'))
                          && (m_referenceLength > 4
                              || std::none_of(std::begin(predefined), std::end(predefined),
                                              [&name](const char *p) { return name == QLatin1String(p); })));
                if (declared && ++m_references > readlimits::MaxXmlEntityReferences)
                    return refuse(QStringLiteral("The document refers to declared entities more than %1 times.")
                                      .arg(readlimits::MaxXmlEntityReferences));
                if (++m_allReferences > readlimits::MaxXmlReferences)
                    return refuse(QStringLiteral("The document holds more than %1 references.")
                                      .arg(readlimits::MaxXmlReferences));
                return true;
            }
            if (c.isSpace() || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('"')
                || c == QLatin1Char('\'') || c == QLatin1Char('&') || c == QLatin1Char('%')) {
                m_inReference = false;   // no reference: the mark stands alone
            } else {
                if (m_referenceLength < 5)
                    m_referenceName[m_referenceLength] = c;
                ++m_referenceLength;
                return true;
            }
        }
        if (c == QLatin1Char('&') || (parameters && c == QLatin1Char('%'))) {
            m_inReference = true;
            m_referenceMark = c;
            m_referenceLength = 0;
        }
        return true;
    }

    State m_state = Text;
    State m_inner = Text;         // inside the document type: a comment or instruction
    char16_t m_before[3] = {};    // the last three characters of the pieces before
    const char16_t *m_piece = nullptr;
    qsizetype m_at = 0;           // where in the piece step() stands
    int m_marks = 0;              // "-" or "]" just before
    int m_depth = 0;              // brackets of the document type
    bool m_inProlog = true;
    qint64 m_prologBytes = 0;     // as UTF-8
    qint64 m_runChars = 0;
    qint64 m_valueChars = 0;
    char16_t m_quote = 0;
    int m_count = 0;
    bool m_inReference = false;
    QChar m_referenceMark;
    QChar m_referenceName[5];
    qsizetype m_referenceLength = 0;
    qint64 m_references = 0;
    qint64 m_allReferences = 0;
    qint64 m_line = 1;
    qint64 m_column = 0;
    bool m_started = false;       // a piece was taken
    bool m_stray = false;         // a character that cannot stand before the first element
    QString m_why;
};

// The declaration's encoding as the reader would apply it: the text is
// handed over as UTF-8 whatever the bytes were, so a valid encoding name in
// the declaration is made "UTF-8" (an invalid one stays, for the reader to
// refuse).
void DeclareUtf8(QString &text)
{
    if (!text.startsWith(QLatin1String("<?xml")) || text.size() < 6 || !text.at(5).isSpace())
        return;
    const qsizetype end = text.indexOf(QLatin1String("?>"));
    if (end < 0)
        return;
    static const QRegularExpression encoding(
        QStringLiteral("\\sencoding\\s*=\\s*([\"'])([A-Za-z][A-Za-z0-9._-]*)\\1"));
    const QRegularExpressionMatch m = encoding.match(QStringView(text).first(end));
    if (m.hasMatch())
        text.replace(m.capturedStart(2), m.capturedLength(2), QStringLiteral("UTF-8"));
}

// The document's text as Qt's reader reads it: UTF-8, pulled a few kilobytes
// at a time, so the reader runs over a token of any length in one pass.
// Each piece is counted by the prescan before the reader gets it.
class TextDevice : public QIODevice {
public:
    explicit TextDevice(TextPieces &pieces) : m_pieces(pieces)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return (m_buffer.size() - m_pos) + (m_done ? 0 : PieceBytes) + QIODevice::bytesAvailable();
    }
    // Why the text was cut short (empty when it was not).
    const QString &refusal() const { return m_refusal; }
    const Prescan &prescan() const { return m_prescan; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        while (m_buffer.size() - m_pos < maxSize && !m_done)
            produce();
        const qint64 n = std::min<qint64>(maxSize, m_buffer.size() - m_pos);
        std::memcpy(data, m_buffer.constData() + m_pos, size_t(n));
        m_pos += n;
        if (m_pos > PieceBytes) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void produce()
    {
        QString piece;
        if (!m_pieces.next(piece)) {
            m_done = true;
            return;
        }
        if (std::exchange(m_first, false))
            DeclareUtf8(piece);
        if (!m_prescan.pass(piece)) {
            refuse(m_prescan.why());
            return;
        }
        m_buffer += piece.toUtf8();
        // The reader stops where a plain text starts, in this piece, and is
        // handed the piece whole so that it tells what it met there.
        if (m_prescan.strayBeforeElement())
            m_done = true;
        // The window that reads stays painted.
        m_paint();
    }
    void refuse(const QString &why)
    {
        if (m_refusal.isEmpty())
            m_refusal = why;
        m_done = true;
        m_buffer.clear();
        m_pos = 0;
    }

    TextPieces &m_pieces;
    Prescan m_prescan;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_done = false;
    bool m_first = true;
    QString m_refusal;
    PaintNowAndThen m_paint;
};

// Names repeat from element to element: each distinct one is kept once and
// shared (up to a few thousand of them).
class Names {
public:
    QString get(QStringView name)
    {
        const auto it = m_names.find(name);
        if (it != m_names.end())
            return *it;
        QString s = name.toString();
        if (m_names.size() < 4096)
            m_names.insert(s);
        return s;
    }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(QStringView v) const { return qHash(v); }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const { return a == b; }
    };
    std::unordered_set<QString, Hash, Equal> m_names;
};

} // namespace

// ---- parsing -----------------------------------------------------------------

struct XmlBuilder {
    static std::unique_ptr<XmlNode> Build(ByteSource &source, XmlParseError &error)
    {
        auto fail = [&error](int code, const QString &reason, qint64 line, qint64 column) {
            error = XmlParseError{code, reason, line, column};
            return nullptr;
        };
        TextPieces pieces(source);
        if (source.failed())
            return fail(ParseErrorCode::NotFound, source.errorString(), 0, 0);

        auto document = std::make_unique<XmlNode>(QStringLiteral("#document"), nullptr, nullptr);
        document->m_ownedStore = std::make_unique<XmlStore>();
        XmlStore &store = *document->m_ownedStore;
        document->m_store = &store;
        QString &all = store.text;
        Names names;

        TextDevice device(pieces);
        QXmlStreamReader reader(&device);
        std::vector<XmlNode *> open{document.get()};
        bool sawElement = false;
        qint64 elements = 0;
        QString over;
        while (!reader.atEnd() && over.isEmpty()) {
            switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                const QXmlStreamAttributes attributes = reader.attributes();
                if (++elements > readlimits::MaxXmlElements)
                    over = QStringLiteral("The document has more than %1 elements.").arg(readlimits::MaxXmlElements);
                else if (qint64(open.size()) > readlimits::MaxXmlDepth)
                    over = QStringLiteral("The elements nest more than %1 levels deep.").arg(readlimits::MaxXmlDepth);
                else if (attributes.size() > readlimits::MaxXmlAttributesPerElement)
                    over = QStringLiteral("An element has more than %1 attributes.")
                               .arg(readlimits::MaxXmlAttributesPerElement);
                else if (qint64(store.attributes.size()) + attributes.size() > readlimits::MaxXmlAttributes)
                    over = QStringLiteral("The document has more than %1 attributes.").arg(readlimits::MaxXmlAttributes);
                if (!over.isEmpty())
                    break;
                XmlNode *parent = open.back();
                XmlNode &node = store.nodes.emplace_back(names.get(reader.name()), parent, &store);
                node.m_firstAttribute = quint32(store.attributes.size());
                for (const QXmlStreamAttribute &a : attributes)
                    store.attributes.emplace_back(names.get(a.qualifiedName()), a.value().toString());
                node.m_attributeCount = quint32(store.attributes.size()) - node.m_firstAttribute;
                node.m_textBegin = node.m_textEnd = all.size();
                parent->m_children.push_back(&node);
                open.push_back(&node);
                sawElement = true;
                break;
            }
            case QXmlStreamReader::EndElement:
                open.back()->m_textEnd = all.size();
                open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (open.size() > 1)
                    all.append(reader.text());
                break;
            default:
                break;
            }
        }
        if (!over.isEmpty())
            return fail(ParseErrorCode::OverLimit, over, reader.lineNumber(), reader.columnNumber());
        if (!device.refusal().isEmpty())
            return fail(ParseErrorCode::OverLimit, device.refusal(), device.prescan().line(), device.prescan().column());
        if (source.failed())
            return fail(ParseErrorCode::NotFound, source.errorString(), 0, 0);
        if (reader.hasError() || !sawElement) {
            return fail(ParseErrorCode::NotWellFormed,
                        reader.hasError() ? reader.errorString() : QStringLiteral("The document has no element."),
                        reader.lineNumber(), reader.columnNumber());
        }
        all.squeeze();
        return document;
    }
};

// ---- document ----------------------------------------------------------------

XmlDocument::XmlDocument(QObject *parent) : QObject(parent) {}

XmlDocument::~XmlDocument()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

bool XmlDocument::IsWebAddress(const QString &source)
{
    const QUrl url(source.trimmed());
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

void XmlDocument::setReadyState(int state)
{
    if (m_readyState == state)
        return;
    m_readyState = state;
    emit readyStateChanged(state);
}

void XmlDocument::fail(int code, const QString &reason)
{
    m_document.reset();
    m_error = XmlParseError{code, reason, 0, 0};
    setReadyState(ReadyState::Complete);
}

void XmlDocument::failTooLarge()
{
    fail(ParseErrorCode::TooLarge, QStringLiteral("The document is larger than %1 MB.")
                                       .arg(MaxDocumentBytes / (1024 * 1024)));
}

void XmlDocument::parse(const QByteArray &bytes)
{
    m_error = XmlParseError{};
    if (bytes.size() > MaxDocumentBytes) {
        failTooLarge();
        return;
    }
    if (bytes.isEmpty()) {
        fail(ParseErrorCode::Empty, QStringLiteral("The document is empty."));
        return;
    }
    ByteSource source{QByteArrayView(bytes)};
    m_document = XmlBuilder::Build(source, m_error);
    setReadyState(ReadyState::Complete);
}

void XmlDocument::parseFile(QFile &file)
{
    // A file is read in pieces (twice: once to tell its encoding), so its
    // bytes are never all in memory beside the tree.
    m_error = XmlParseError{};
    if (file.size() == 0) {
        fail(ParseErrorCode::Empty, QStringLiteral("The document is empty."));
        return;
    }
    ByteSource source{file};
    m_document = XmlBuilder::Build(source, m_error);
    // A file that grew past the cap meanwhile is refused whatever was read.
    if (source.bytesRead() > MaxDocumentBytes) {
        failTooLarge();
        return;
    }
    setReadyState(ReadyState::Complete);
}

void XmlDocument::loadXml(const QByteArray &data)
{
    abort();
    m_document.reset();
    setReadyState(ReadyState::Loading);
    parse(data);
}

bool XmlDocument::load(const QString &source)
{
    abort();
    m_document.reset();
    m_error = XmlParseError{};
    m_readyState = ReadyState::Uninitialized;
    const QString trimmed = source.trimmed();
    if (trimmed.isEmpty())
        return false;

    if (IsWebAddress(trimmed)) {
        if (!m_network)
            m_network = new QNetworkAccessManager(this);
        QNetworkRequest request{QUrl(trimmed)};
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        if (!m_async)
            request.setTransferTimeout(60000);   // nobody waits on a synchronous load for ever
        setReadyState(ReadyState::Loading);
        m_reply = m_network->get(request);
        connect(m_reply, &QNetworkReply::finished, this, &XmlDocument::onReplyFinished);
        // A server may send without end: stop once the answer passes the cap,
        // or at once when its headers announce more than the cap (progress is
        // reported only while bytes flow, so a slow sender would otherwise be
        // waited for until the time-out).
        auto refuseWhenTooLarge = [this](qint64 received, qint64 total) {
            if (m_reply && (received > MaxDocumentBytes || total > MaxDocumentBytes)) {
                QNetworkReply *reply = m_reply;
                m_reply = nullptr;
                reply->disconnect(this);
                reply->abort();
                reply->deleteLater();
                failTooLarge();
            }
        };
        connect(m_reply, &QNetworkReply::downloadProgress, this, refuseWhenTooLarge);
        connect(m_reply, &QNetworkReply::metaDataChanged, this, [this, refuseWhenTooLarge] {
            if (!m_reply)
                return;
            bool known = false;
            const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
            if (known)
                refuseWhenTooLarge(0, declared);
        });
        if (!m_async)
            waitForComplete(-1);
        return true;
    }

    QString path = trimmed;
    const QUrl url(trimmed);
    if (url.isValid() && url.scheme().size() > 1) {   // one letter is a drive, not a scheme
        if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
            return false;
        path = url.toLocalFile();
    }
    setReadyState(ReadyState::Loading);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(ParseErrorCode::NotFound, file.errorString());
        return true;
    }
    if (file.size() > MaxDocumentBytes) {   // refused before a byte is read
        failTooLarge();
        return true;
    }
    // A pipe or device is read whole (up to the cap) and parsed from memory.
    if (file.isSequential())
        parse(file.read(MaxDocumentBytes + 1));
    else
        parseFile(file);
    return true;
}

void XmlDocument::onReplyFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        const int code = reply->error() == QNetworkReply::OperationCanceledError
                             ? ParseErrorCode::Aborted : ParseErrorCode::NetworkError;
        fail(code, reply->errorString());
        return;
    }
    parse(reply->readAll());
}

void XmlDocument::abort()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    fail(ParseErrorCode::Aborted, QStringLiteral("The load was stopped."));
}

bool XmlDocument::waitForComplete(double timeoutSeconds)
{
    if (m_readyState == ReadyState::Complete)
        return true;
    if (m_readyState == ReadyState::Uninitialized)
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &XmlDocument::readyStateChanged, &loop, [&loop](int state) {
        if (state == ReadyState::Complete)
            loop.quit();
    });
    if (timeoutSeconds >= 0)
        timer.start(int(timeoutSeconds * 1000.0));
    loop.exec();
    return m_readyState == ReadyState::Complete;
}

const XmlNode *XmlDocument::documentElement() const
{
    return m_document ? m_document->child(0) : nullptr;
}

std::vector<const XmlNode *> XmlDocument::selectNodes(const QString &path) const
{
    if (!m_document)
        return {};
    return m_document->selectNodes(path);
}

const XmlNode *XmlDocument::selectSingleNode(const QString &path) const
{
    const auto nodes = selectNodes(path);
    return nodes.empty() ? nullptr : nodes.front();
}

// ---- on-line state -------------------------------------------------------------

namespace {
std::optional<bool> g_connectedOverride;
}

void SetInternetConnectedOverride(std::optional<bool> connected)
{
    g_connectedOverride = connected;
}

bool InternetConnected()
{
    if (g_connectedOverride)
        return *g_connectedOverride;
    if (QNetworkInformation::instance() || QNetworkInformation::loadDefaultBackend()) {
        if (QNetworkInformation *info = QNetworkInformation::instance()) {
            switch (info->reachability()) {
            case QNetworkInformation::Reachability::Online:
                return true;
            case QNetworkInformation::Reachability::Disconnected:
                return false;
            default:
                break;   // unknown or local only: look at the interfaces
            }
        }
    }
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nic : interfaces) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries())
            if (!entry.ip().isLoopback() && !entry.ip().isLinkLocal() && !entry.ip().isNull())
                return true;
    }
    return false;
}

} // namespace xml
