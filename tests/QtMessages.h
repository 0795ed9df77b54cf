#pragma once
// Qt's own messages (the warnings it writes on the terminal), collected while
// the object lives instead of being written.
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QtMessages {
public:
    QtMessages() : m_previous(qInstallMessageHandler(&Collect)) { s_said = &said; }
    ~QtMessages()
    {
        qInstallMessageHandler(m_previous);
        s_said = nullptr;
    }
    QtMessages(const QtMessages &) = delete;
    QtMessages &operator=(const QtMessages &) = delete;
    QStringList said;

private:
    static void Collect(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        if (s_said)
            s_said->append(text);
    }
    static inline QStringList *s_said = nullptr;
    QtMessageHandler m_previous;
};
