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
    // Background: a sky-to-road panel with the drive side of a frame.
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(235, 242, 250));
    sky.setColorAt(1, QColor(205, 215, 225));
    p.fillRect(rect(), sky);
    p.setPen(QPen(QColor(160, 170, 180), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(QColor(180, 188, 196), 4, Qt::SolidLine, Qt::RoundCap));
    // Chain stay and seat stay from the rear axle, seat tube from the crank.
    p.drawLine(RearX, RearY, FrontX, FrontY);
    p.drawLine(RearX, RearY, FrontX - 10, FrontY + 120);
    p.drawLine(FrontX, FrontY, FrontX - 10, FrontY + 120);
    p.drawLine(FrontX - 10, FrontY + 120, FrontX + 60, FrontY + 115);
    p.drawLine(FrontX, FrontY, FrontX + 60, FrontY + 115);
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
