#include "platform/data/TextLimits.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QValidator>

#include <algorithm>

namespace data {

namespace {

// The UTF-16 units of the first `chars` characters of text.
qsizetype UnitsOf(QStringView text, int chars)
{
    qsizetype i = 0;
    for (int n = 0; n < chars && i < text.size(); ++n)
        i += text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
    return i;
}

// Where a and b start to differ, never inside a pair.
qsizetype CommonStart(QStringView a, QStringView b)
{
    const qsizetype most = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < most && a.at(i) == b.at(i))
        ++i;
    if (i > 0 && b.at(i - 1).isHighSurrogate())
        --i;
    return i;
}

// A line edit's limit. The text an edit held before a change is kept, so
// that what the change put in (the text before the cursor, after what the
// two share) is what gets cut: a key typed at the limit is refused, and the
// edit takes the refusal back as one of its own undo steps.
class TextSizeValidator : public QValidator {
public:
    TextSizeValidator(QLineEdit *edit, QValidator *before)
        : QValidator(edit), m_edit(edit), m_before(before), m_held(edit->text())
    {
    }

    void setLimit(int chars) { m_limit = chars; }

    State validate(QString &input, int &pos) const override
    {
        // A change the user made: the edit counts it as a modification,
        // where a text the program sets is not.
        const bool typed = m_edit && m_edit->isModified();
        if (typed) {
            // Half a pair, where the edit's own maximum length cut a paste.
            if (pos > 0 && pos <= input.size() && input.at(pos - 1).isHighSurrogate()
                && (pos == input.size() || !input.at(pos).isLowSurrogate())) {
                input.remove(pos - 1, 1);
                --pos;
            }
        }
        if (m_limit > 0) {
            const int over = TextChars(input) - m_limit;
            if (over > 0) {
                if (!typed) {
                    input = LeftChars(input, m_limit);
                    pos = std::min(pos, int(input.size()));
                } else {
                    const qsizetype start = std::min<qsizetype>(CommonStart(m_held, input), pos);
                    const QStringView put = QStringView(input).mid(start, pos - start);
                    const int keep = TextChars(put) - over;
                    if (keep <= 0)
                        return Invalid;
                    const qsizetype kept = UnitsOf(put, keep);
                    input.remove(start + kept, put.size() - kept);
                    pos = int(start + kept);
                }
            }
        }
        const State state = m_before ? m_before->validate(input, pos) : Acceptable;
        if (state != Invalid)
            m_held = input;
        return state;
    }

    void fixup(QString &input) const override
    {
        if (m_before)
            m_before->fixup(input);
    }

private:
    QPointer<QLineEdit> m_edit;
    QPointer<QValidator> m_before;
    int m_limit = 0;
    mutable QString m_held;
};

// A text document's limit: what the last change put in is cut to what fits,
// joined to that change's undo step.
class DocumentLimit : public QObject {
public:
    explicit DocumentLimit(QTextDocument *doc) : QObject(doc), m_doc(doc)
    {
        connect(doc, &QTextDocument::contentsChange, this, [this](int position, int, int added) {
            m_start = position;
            m_end = position + added;
        });
        connect(doc, &QTextDocument::contentsChanged, this, &DocumentLimit::cut);
    }

    void setLimit(int chars) { m_limit = chars; }

private:
    void cut()
    {
        if (m_limit <= 0 || m_cutting || m_start < 0)
            return;
        const QString text = m_doc->toPlainText();
        const int over = TextChars(text) - m_limit;
        const int start = std::clamp(m_start, 0, int(text.size()));
        const int end = std::clamp(m_end, start, int(text.size()));
        m_start = m_end = -1;
        if (over <= 0)
            return;
        const QStringView put = QStringView(text).mid(start, end - start);
        const qsizetype kept = UnitsOf(put, std::max(0, TextChars(put) - over));
        if (kept == put.size())
            return;
        m_cutting = true;
        // Text the program set has no undo step to join: the cut is none either.
        const bool joined = m_doc->isUndoAvailable();
        if (!joined)
            m_doc->setUndoRedoEnabled(false);
        QTextCursor c(m_doc);
        if (joined)
            c.joinPreviousEditBlock();
        c.setPosition(int(start + kept));
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        if (joined)
            c.endEditBlock();
        else
            m_doc->setUndoRedoEnabled(true);
        m_cutting = false;
    }

    QTextDocument *m_doc;
    int m_limit = 0;
    int m_start = -1, m_end = -1;
    bool m_cutting = false;
};

void LimitDocument(QTextDocument *doc, int chars)
{
    DocumentLimit *limit = nullptr;
    for (QObject *child : doc->children())
        if (auto *found = dynamic_cast<DocumentLimit *>(child))
            limit = found;
    if (!limit) {
        if (chars <= 0)
            return;
        limit = new DocumentLimit(doc);
    }
    limit->setLimit(chars);
}

} // namespace

int TextChars(QStringView text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return n;
}

QString LeftChars(const QString &text, int chars)
{
    return text.left(UnitsOf(text, std::max(0, chars)));
}

int TextLimitFor(int size, const QString &shown)
{
    return size > 0 ? std::max(size, TextChars(shown)) : 0;
}

void LimitText(QLineEdit *edit, int chars)
{
    if (!edit)
        return;
    auto *limit = dynamic_cast<TextSizeValidator *>(const_cast<QValidator *>(edit->validator()));
    if (!limit) {
        if (chars <= 0)
            return;
        limit = new TextSizeValidator(edit, const_cast<QValidator *>(edit->validator()));
        edit->setValidator(limit);
    }
    limit->setLimit(chars);
}

void LimitText(QPlainTextEdit *edit, int chars)
{
    if (edit)
        LimitDocument(edit->document(), chars);
}

void LimitText(QTextEdit *edit, int chars)
{
    if (edit)
        LimitDocument(edit->document(), chars);
}

}
