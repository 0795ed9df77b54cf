#include "XmlDocument.h"

#include <QCoreApplication>
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
#include <QXmlStreamReader>

namespace xml {

// ---- nodes -------------------------------------------------------------------

bool XmlNode::hasAttribute(const QString &name) const
{
    for (const auto &a : m_attributes)
        if (a.first == name)
            return true;
    return false;
}

QString XmlNode::attribute(const QString &name, const QString &defaultValue) const
{
    for (const auto &a : m_attributes)
        if (a.first == name)
            return a.second;
    return defaultValue;
}

XmlNode::~XmlNode()
{
    // Children are taken apart one level at a time into a list of our own, so
    // no destructor runs inside another.
    std::vector<std::unique_ptr<XmlNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<XmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto &c : node->m_children)
            pending.push_back(std::move(c));
        node->m_children.clear();
    }
}

QString XmlNode::text() const
{
    if (!m_allText)
        return QString();
    return QStringView(*m_allText).mid(m_textBegin, m_textEnd - m_textBegin).trimmed().toString();
}

const XmlNode *XmlNode::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return m_children[size_t(index)].get();
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
            for (const auto &c : node->m_children)
                if (step == QLatin1String("*") || c->m_name == step)
                    next.push_back(c.get());
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

// ---- parsing -----------------------------------------------------------------

struct XmlBuilder {
    static std::unique_ptr<XmlNode> Build(const QString &text, XmlParseError &error)
    {
        auto document = std::make_unique<XmlNode>(QStringLiteral("#document"), nullptr);
        document->m_ownedText = std::make_unique<QString>();
        QString *all = document->m_ownedText.get();
        document->m_allText = all;
        // Text is already decoded, so the declaration's encoding is not applied again.
        QXmlStreamReader reader(text);
        std::vector<XmlNode *> open{document.get()};
        bool sawElement = false;
        while (!reader.atEnd()) {
            switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                XmlNode *parent = open.back();
                auto node = std::make_unique<XmlNode>(reader.name().toString(), parent);
                for (const QXmlStreamAttribute &a : reader.attributes())
                    node->m_attributes.emplace_back(a.qualifiedName().toString(), a.value().toString());
                node->m_allText = all;
                node->m_textBegin = node->m_textEnd = all->size();
                XmlNode *raw = node.get();
                parent->m_children.push_back(std::move(node));
                open.push_back(raw);
                sawElement = true;
                break;
            }
            case QXmlStreamReader::EndElement: {
                open.back()->m_textEnd = all->size();
                open.pop_back();
                break;
            }
            case QXmlStreamReader::Characters:
                if (open.size() > 1)
                    all->append(reader.text());
                break;
            default:
                break;
            }
        }
        if (reader.hasError() || !sawElement) {
            error.errorCode = ParseErrorCode::NotWellFormed;
            error.reason = reader.hasError() ? reader.errorString()
                                             : QStringLiteral("The document has no element.");
            error.line = reader.lineNumber();
            error.column = reader.columnNumber();
            return nullptr;
        }
        return document;
    }
};

QString XmlDocument::DecodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16(bytes);
    }
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    // Windows-1252: Latin-1 except for the printable characters at 0x80-0x9F.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out;
    out.reserve(body.size());
    for (char ch : body) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b));
    }
    return out;
}

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
    m_document = XmlBuilder::Build(DecodeText(bytes), m_error);
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
    parse(file.read(MaxDocumentBytes + 1));
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
