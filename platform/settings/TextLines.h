#pragma once
// The lines of a text, one at a time and without copying: LF, CR LF or CR
// ends a line, and a text ending in a line end has an empty last line (so a
// count of the lines a reader walks matches what a split would give).
#include <QStringView>

class TextLines {
public:
    explicit TextLines(QStringView text) : m_text(text) {}
    // The next line, without its end; false after the last.
    bool next(QStringView &line)
    {
        const qsizetype n = m_text.size();
        if (m_pos > n)
            return false;
        qsizetype end = m_pos;
        while (end < n && m_text[end] != QLatin1Char('\n') && m_text[end] != QLatin1Char('\r'))
            ++end;
        line = m_text.sliced(m_pos, end - m_pos);
        m_pos = end < n && m_text[end] == QLatin1Char('\r') && end + 1 < n && m_text[end + 1] == QLatin1Char('\n')
                    ? end + 2
                    : end + 1;
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};
