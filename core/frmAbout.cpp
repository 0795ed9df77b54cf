#include "core/frmAbout.h"

#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "platform/shell/Shell.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#include <utility>

#ifndef VETTARO_VERSION
#define VETTARO_VERSION "1.0.0"
#endif

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Vettaro"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *logo = new QLabel(this);
    logo->setPixmap(QIcon(QStringLiteral(":/vettaro/toolbar/climbs.svg")).pixmap(64, 64));
    logo->setAlignment(Qt::AlignTop);

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto *lines = new QVBoxLayout(m_frame);
    for (int i = 0; i <= 6; ++i) {
        auto *label = new QLabel(m_frame);
        label->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->installEventFilter(this);
        m_label2 << label;
    }
    for (int i : {0, 1, 2, 3})
        lines->addWidget(m_label2.at(i));
    lines->addSpacing(8);
    for (int i : {5, 6}) {
        QLabel *link = m_label2.at(i);
        link->setCursor(Qt::PointingHandCursor);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 0xC0));
        link->setPalette(p);
        lines->addWidget(link);
    }
    m_label2.at(4)->hide();   // there is no item 4

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setWordWrap(true);
    m_label1->installEventFilter(this);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *top = new QHBoxLayout;
    top->addWidget(logo);
    top->addWidget(m_frame, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_label1, 1);
    bottom->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    UpdateControls();
    // Load: the lines that are built, not translated.
    const QVersionNumber v = QVersionNumber::fromString(QStringLiteral(VETTARO_VERSION));
    m_label2.at(0)->setText(QStringLiteral("Version: %1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion()));
    m_label2.at(2)->setText(QStringLiteral("User: ") + Shell::UserName());
    m_label2.at(3)->setText(QStringLiteral("Computer: ") + Shell::ComputerName().toLower());
    ShowCredits(false);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

QLabel *frmAbout::Label2(int index) const
{
    return index >= 0 && index < m_label2.size() ? m_label2.at(index) : nullptr;
}

void frmAbout::UpdateControls()
{
    m_frame->setTitle(GetLangString(1000));
    m_label2.at(6)->setText(GetLangString(1001));
    m_label2.at(6)->setToolTip(GetLangString(1002));
    m_label2.at(5)->setText(GetLangString(1003));
    m_label2.at(5)->setToolTip(GetLangString(1004));
    m_label2.at(0)->setText(GetLangString(1005));
    m_label2.at(1)->setText(GetLangString(1006));
    m_label2.at(2)->setText(GetLangString(1007));
    m_label2.at(3)->setText(GetLangString(1008));
    m_ok->setText(GetLangString(1009));
}

QString frmAbout::LinkTarget(int index)
{
    if (index == 5)
        return HomePageAddress();
    if (index == 6)
        return MailLink();
    return {};
}

void frmAbout::Label2_Click(int index)
{
    const QString target = LinkTarget(index);
    if (!target.isEmpty())   // the lines that are not links do nothing
        OpenLink(target, 1506, 1507, 1508);
}

void frmAbout::ShowCredits(bool alternative)
{
    QFont f = m_label1->font();
    f.setPointSize(alternative ? 10 : 8);
    m_label1->setFont(f);
    QPalette p = m_label1->palette();
    p.setColor(QPalette::WindowText, alternative ? QColor(0, 0, 0xFF) : QColor(Qt::black));
    m_label1->setPalette(p);
    // The standard line credits the shipped display font (its licence text
    // lies beside it); the alternative one repeats the product's line.
    m_label1->setText(alternative ? GetLangString(1006)
                                  : QStringLiteral("LiquidCrystal font: DSEG by keshikan, SIL Open Font License 1.1"));
}

void frmAbout::Form_DblClick()
{
    ++m_dblClicks;
    ShowCredits(m_dblClicks == 5);
}

void frmAbout::mouseDoubleClickEvent(QMouseEvent *event)
{
    Form_DblClick();
    event->accept();
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick) {
        // One click opens a link once: the release that ends a double-click
        // does not open it again.
        const int index = m_label2.indexOf(static_cast<QLabel *>(watched));
        const bool left = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_skipRelease = index >= 0;
        } else if (index >= 0 && left && !std::exchange(m_skipRelease, false)) {
            Label2_Click(index);
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_label1) {
        Form_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
