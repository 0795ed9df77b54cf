#pragma once
// The about window: version, user and computer, two links and the credits.
#include <QDialog>
#include <QList>

class QGroupBox;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Label2 items 0-6 (nullptr for an index without a label) and the credits line.
    QLabel *Label2(int index) const;
    QLabel *Label1() const { return m_label1; }
    QPushButton *Command1() const { return m_ok; }
    // The link target of a Label2 item: the home page (5), a mail link (6), else empty.
    static QString LinkTarget(int index);

public slots:
    void UpdateControls();
    void Label2_Click(int index);
    void Form_DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowCredits(bool alternative);

    QGroupBox *m_frame;
    QList<QLabel *> m_label2;
    QLabel *m_label1;
    QPushButton *m_ok;
    int m_dblClicks = 0;
    bool m_skipRelease = false;   // the release after a double-click on a link
};
