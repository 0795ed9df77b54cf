#pragma once
// The gear drawing of the athlete card: the chainring and the sprocket as
// circles of a third of their teeth in pixels, joined by the two runs of the
// chain, over a fixed background, on a 240 x 240 area.
#include <QWidget>

class GearPicture : public QWidget {
    Q_OBJECT
public:
    explicit GearPicture(QWidget *parent = nullptr);

    static constexpr int FrontX = 140, FrontY = 50, RearX = 90, RearY = 50;

    // Clears the drawing (the background stays).
    void Clear();
    // Draws both wheels and the chain for these teeth.
    void Draw(int front, int rear);
    bool hasDrawing() const { return m_front > 0 && m_rear > 0; }
    int front() const { return m_front; }
    int rear() const { return m_rear; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_front = 0, m_rear = 0;
};
