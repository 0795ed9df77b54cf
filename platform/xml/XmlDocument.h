#pragma once
// A small read-only XML document: loads a file or a web address (http/https)
// asynchronously, reports its ready state and parse error, and offers the
// element tree with selection by a simple slash path, child elements by
// position, attributes and text. Built on QXmlStreamReader, so no DOM module
// is needed. The text reaches the reader in pieces (a file is never held whole
// beside its tree), and what a document may hold is bounded as it is read
// (attributes of one element, levels, elements and attributes in all:
// platform/shell/ReadLimits.h): a document past a bound is refused with
// ParseErrorCode::OverLimit before the tree holds more.
#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

namespace xml {

struct XmlStore;

class XmlNode {
public:
    XmlNode(QString name, const XmlNode *parent, const XmlStore *store);
    XmlNode(const XmlNode &) = delete;
    XmlNode &operator=(const XmlNode &) = delete;
    // The document node frees every node of the document at once, without
    // recursion, however deep the document nests.
    ~XmlNode();

    // Element name ("#document" for the document node).
    const QString &nodeName() const { return m_name; }
    const XmlNode *parent() const { return m_parent; }

    // Concatenated text of the element and all its descendants, in document
    // order, without leading and trailing white space.
    QString text() const;

    bool hasAttribute(const QString &name) const;
    QString attribute(const QString &name, const QString &defaultValue = QString()) const;

    // Child elements, 0-based; nullptr outside 0 .. childCount() - 1.
    int childCount() const { return int(m_children.size()); }
    const XmlNode *child(int index) const;

    // Elements selected by a path of element names separated by "/" ("*" matches
    // any name). A path starting with "/" starts at the document node, any
    // other at this node. Results come in document order.
    std::vector<const XmlNode *> selectNodes(const QString &path) const;
    // The first node selectNodes would give, or nullptr.
    const XmlNode *selectSingleNode(const QString &path) const;

private:
    friend struct XmlBuilder;
    QString m_name;
    const XmlNode *m_parent;
    // The document's nodes, attributes and text are kept once, by the
    // document node; an element knows where its attributes lie there and the
    // span of the text that it and its descendants hold.
    const XmlStore *m_store;
    std::vector<const XmlNode *> m_children;
    quint32 m_firstAttribute = 0;
    quint32 m_attributeCount = 0;
    qsizetype m_textBegin = 0;
    qsizetype m_textEnd = 0;
    std::unique_ptr<XmlStore> m_ownedStore;   // the document node only
};

// Why a document failed; errorCode 0 means it parsed.
struct XmlParseError {
    int errorCode = 0;
    QString reason;
    qint64 line = 0;
    qint64 column = 0;
};

namespace ParseErrorCode {
constexpr int None = 0;
constexpr int NotWellFormed = 1;   // the text is not well-formed XML
constexpr int NotFound = 2;        // the file does not exist or cannot be read
constexpr int NetworkError = 3;    // the server answered with an error, or the transfer failed
constexpr int Aborted = 4;         // the load was stopped before it ended
constexpr int Empty = 5;           // nothing was received
constexpr int TooLarge = 6;        // larger than MaxDocumentBytes; refused before being read
constexpr int OverLimit = 7;       // more attributes in an element, levels or elements than the
                                   // reader takes (platform/shell/ReadLimits.h); refused as it is read
}

// The largest document read: a races file of a quarter of a million samples is
// about a third of this, and nothing larger is read into memory.
constexpr qint64 MaxDocumentBytes = 96 * 1024 * 1024;

// Ready states as the document reports them.
namespace ReadyState {
constexpr int Uninitialized = 0;
constexpr int Loading = 1;
constexpr int Complete = 4;
}

class XmlDocument : public QObject {
    Q_OBJECT
public:
    explicit XmlDocument(QObject *parent = nullptr);
    ~XmlDocument() override;   // stops a load still running

    // With async off, load() returns only when the document is complete.
    void setAsync(bool async) { m_async = async; }
    bool async() const { return m_async; }

    // Starts loading a local file path, a file: URL or an http/https address.
    // Returns false, leaving the document uninitialised, when the source is
    // empty or names a scheme that cannot be fetched. A local file completes
    // at once; a web address completes later, while the event loop runs.
    bool load(const QString &source);
    // Parses text held in memory; complete at once.
    void loadXml(const QByteArray &data);

    int readyState() const { return m_readyState; }
    // Runs the event loop (the user interface stays live) until the document
    // is complete or timeoutSeconds have passed. True when complete.
    bool waitForComplete(double timeoutSeconds);
    // Stops a load in progress; the document becomes complete with an error.
    void abort();

    const XmlParseError &parseError() const { return m_error; }
    // The element that holds the whole document, or nullptr when none parsed.
    const XmlNode *documentElement() const;
    std::vector<const XmlNode *> selectNodes(const QString &path) const;
    const XmlNode *selectSingleNode(const QString &path) const;

    // True for an http or https address.
    static bool IsWebAddress(const QString &source);

signals:
    void readyStateChanged(int state);

private:
    void parse(const QByteArray &bytes);
    void parseFile(QFile &file);
    void fail(int code, const QString &reason);
    void setReadyState(int state);
    void onReplyFinished();
    void failTooLarge();

    bool m_async = true;
    int m_readyState = ReadyState::Uninitialized;
    XmlParseError m_error;
    std::unique_ptr<XmlNode> m_document;
    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
};

// Whether the computer can reach the internet: the system's network state
// when it knows it, otherwise whether any interface other than the loopback
// one is up and has an address.
bool InternetConnected();
// For tests: forces InternetConnected() to an answer (nullopt: ask the system).
void SetInternetConnectedOverride(std::optional<bool> connected);

} // namespace xml
