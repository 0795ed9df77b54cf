#pragma once
// The largest files from outside that the program reads whole into memory.
// Each cap is far above any real file (a day's recording at one sample a
// second is under 3 MB, a text profile of ten thousand samples under 1 MB, a
// list of every state of the world a few KB), and a larger file is refused
// before it is read: a huge or endless file neither exhausts the memory nor
// freezes the window.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace readlimits {

constexpr qint64 MaxRecordingBytes = 64 * 1024 * 1024;     // .hrm and .tur
constexpr qint64 MaxTextProfileBytes = 64 * 1024 * 1024;   // text profile files
constexpr qint64 MaxStatesFileBytes = 64 * 1024 * 1024;    // the states list's import file
// (the XML document cap, 96 MB, is xml::MaxDocumentBytes in platform/xml/XmlDocument.h)

// Samples a reader builds, each an object of some hundred bytes: a day's
// recording at one sample a second is 86,400 samples and a real text profile
// a few thousand, so these are far above any real file, while a file of the
// smallest sample lines up to its cap (tens of millions of them) would take
// gigabytes and tens of seconds. A file announcing or holding more is refused.
constexpr int MaxRecordingSamples = 1000000;       // .hrm and .tur
constexpr int MaxTextProfileSamples = 1000000;

// What a races file (an XML document) may hold, counted as it is read, so
// that the tree built of it never holds more. A real races file is one race
// of a few thousand samples: four levels, three or four elements and one
// attribute a sample, two attributes on the race. The bounds are far above
// that (a quarter of a million samples with labels fit), and keep the time
// and memory a document costs within a few seconds and a few hundred MB even
// at the 96 MB cap. Qt's XML reader checks every attribute of an element
// against the ones before it, which takes time growing with the square of
// their number, so the attributes of each element are counted in the text
// before the reader gets it. A document past a bound is refused with an XML
// error.
constexpr int MaxXmlAttributesPerElement = 256;
constexpr int MaxXmlDepth = 256;                      // elements inside one another
constexpr qint64 MaxXmlElements = 1200000;            // in the whole document
constexpr qint64 MaxXmlAttributes = 1200000;          // in the whole document
// What comes before the document element's start tag: the declaration, the
// document type with the declarations inside it (each entity and attribute
// default costs the reader time and memory), comments. A races file has two
// lines.
constexpr qint64 MaxXmlPrologBytes = 64 * 1024;
// References to declared entities ("&name;" other than &amp; &lt; &gt; &quot;
// &apos; and the character references "&#...;", and "%name;" in the document
// type): each may stand for up to 4,096 characters, so a few kilobytes of them
// would make gigabytes of text. A races file has none.
constexpr int MaxXmlEntityReferences = 1000;
// References of any kind ("&#x00E9;", "&amp;" ...): the reader takes some
// hundred nanoseconds for each, so tens of millions of them in a file within
// its cap would hold it for seconds. A races file writes its characters as
// they are and escapes only & < > " ', a few in a name.
constexpr qint64 MaxXmlReferences = 4000000;
// One attribute value, and the characters between two tags (a text, a
// comment): the reader keeps each whole, and one of tens of megabytes costs
// it seconds and hundreds of MB. The texts of a races file are names and
// notes of a few hundred characters.
constexpr qint64 MaxXmlValueChars = 4 * 1024 * 1024;

// The states list's import file: the names of the states of the world are
// a few hundred; a file of more distinct names than this is refused before
// any is stored (adding a name takes some microseconds, millions of them
// would hold the window for minutes).
constexpr int MaxStatesFileNames = 100000;

// A name quoted in a message is cut to this many characters and "…".
constexpr int MaxQuotedChars = 60;

// The limit in whole megabytes, as messages quote it.
inline QString Megabytes(qint64 bytes) { return QString::number(bytes / (1024 * 1024)); }

// The text cut to MaxQuotedChars, with "…" where it was cut.
inline QString CutForMessage(const QString &text)
{
    return text.size() > MaxQuotedChars ? text.left(MaxQuotedChars) + QChar(0x2026) : text;
}

// An error's description followed by the name it refused, quoted and cut;
// the description alone when there is no name.
inline QString WithQuotedName(const QString &description, const QString &name)
{
    return name.isEmpty() ? description
                          : description + QStringLiteral(" \"") + CutForMessage(name) + QLatin1Char('"');
}

enum class ReadResult { Ok, CannotOpen, TooLarge };

// The whole of the file at path into contents, or TooLarge (contents empty)
// when it holds more than cap bytes: a regular file is refused by its size
// before a byte is read, a device or pipe without a size once cap bytes came.
inline ReadResult ReadWholeFile(const QString &path, qint64 cap, QByteArray &contents)
{
    contents.clear();
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return ReadResult::CannotOpen;
    const qint64 size = f.size();
    if (size > cap)
        return ReadResult::TooLarge;
    // The bytes the file says it holds, then whatever follows (a file that
    // grew meanwhile, a device without a size) in small steps: a buffer of
    // the cap's size is never asked for.
    QByteArray bytes = size > 0 ? f.read(size) : QByteArray();
    char chunk[64 * 1024];
    for (qint64 n; (n = f.read(chunk, sizeof chunk)) > 0;) {
        bytes.append(chunk, qsizetype(n));
        if (bytes.size() > cap)
            return ReadResult::TooLarge;
    }
    if (f.error() != QFileDevice::NoError)
        return ReadResult::CannotOpen;
    contents = std::move(bytes);
    return ReadResult::Ok;
}

} // namespace readlimits
