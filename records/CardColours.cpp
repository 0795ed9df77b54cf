#include "records/CardColours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor ColorFromValue(qint64 value)
{
    const quint32 v = static_cast<quint32>(value);
    if (v & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFFu) {
        case 5: return pal.color(QPalette::Base);       // window background
        case 8: return pal.color(QPalette::Text);       // window text
        case 18: return pal.color(QPalette::ButtonText);
        default: return pal.color(QPalette::Button);    // 15: button face
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint64 ValueFromColor(const QColor &color)
{
    return qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16);
}

void SetTextColour(QWidget *w, qint64 value)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, ColorFromValue(value));
    p.setColor(QPalette::Text, ColorFromValue(value));
    w->setPalette(p);
}

void SetBackColour(QWidget *w, qint64 value)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ColorFromValue(value));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
