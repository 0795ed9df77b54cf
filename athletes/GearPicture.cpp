#include "athletes/GearPicture.h"

#include <QPainter>
#include <QPainterPath>

GearPicture::GearPicture(QWidget *parent) : QWidget(parent)
{
    setFixedSize(240, 240);
}

void GearPicture::Clear()
{
    m_front = m_rear = 0;
    update();
}

void GearPicture::Draw(int front, int rear)
{
    m_front = front;
    m_rear = rear;
    update();
}

void GearPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Background: a soft panel with the chain stay between the two axles.
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(235, 242, 250));
    sky.setColorAt(1, QColor(205, 215, 225));
    p.fillRect(rect(), sky);
    p.setPen(QPen(QColor(160, 170, 180), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(QColor(185, 192, 200), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(RearX, RearY, FrontX, FrontY);
    p.setBrush(QColor(150, 158, 166));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(RearX, RearY), 2, 2);
    p.drawEllipse(QPointF(FrontX, FrontY), 3, 3);
    if (!hasDrawing())
        return;
    const double rf = m_front / 3.0, rr = m_rear / 3.0;
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(RearX, RearY), rr, rr);
    p.drawEllipse(QPointF(FrontX, FrontY), rf, rf);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawLine(QPointF(FrontX, FrontY - rf), QPointF(RearX, RearY - rr));
    p.drawLine(QPointF(FrontX, FrontY + rf), QPointF(RearX, RearY + rr));
}
