#include "records/frmDatiSal.h"

#include "core/Globals.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Prompt.h"
#include "records/CardNumbers.h"
#include "records/CardPrint.h"
#include "records/SimulatorPanels.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

frmDatiSal::frmDatiSal(QWidget *parent) : CardWindow(CardConfig::Climbs(), parent)
{
    FieldGrid g(this, QStringLiteral("Frame1(8)"));
    QGroupBox *frame = g.frame();
    m_txt[2] = field(QStringLiteral("txtFields(2)"), QStringLiteral("Quotainiziale"), 0, frame);
    m_txt[3] = field(QStringLiteral("txtFields(3)"), QStringLiteral("Quotafinale"), 0, frame);
    g.row(0, 0, "lblLabels(0)", m_txt[0], 3);
    g.row(1, 0, "lblLabels(1)", m_txt[1]);
    g.row(2, 0, "lblLabels(2)", m_txt[2]);
    g.row(2, 2, "lblLabels(3)", m_txt[3]);
    g.row(3, 0, "lblLabels(4)", field(QStringLiteral("Text2(0)"), QStringLiteral("Regione"), 250, frame));
    g.row(3, 2, "lblLabels(5)", field(QStringLiteral("Text2(1)"), QStringLiteral("Provincia"), 50, frame));
    g.row(4, 0, "lblLabels(6)", field(QStringLiteral("Text2(2)"), QStringLiteral("Località"), 250, frame));
    g.row(4, 2, "lblLabels(7)", stateField(frame));
    g.place();

    // The climb figures.
    QWidget *host = fieldArea();
    auto *figures = new QGroupBox(host);
    figures->setObjectName(QStringLiteral("Frame1(7)"));
    auto *fl = new QHBoxLayout(figures);
    const char *captions[] = {"Label11(2)", "Label11(0)", "Label11(1)"};
    const char *values[] = {"Label12", "Label6", "Label10"};
    for (int i = 0; i < 3; ++i) {
        fl->addWidget(label(QLatin1String(captions[i]), figures));
        QLabel *v = label(QLatin1String(values[i]), figures);
        v->setText(ClimbFigures::Placeholder());
        v->setAlignment(Qt::AlignCenter);
        v->setFrameShape(QFrame::Panel);
        v->setFrameShadow(QFrame::Sunken);
        v->setMinimumWidth(60);
        QFont f = v->font();
        f.setBold(true);
        v->setFont(f);
        SetBackColour(v, ButtonFace);
        fl->addWidget(v, 1);
        m_figure[i] = v;
    }
    host->layout()->addWidget(figures);

    setSimulator(new ClimbSimulatorPanel(this));
    load();
}

frmDatiSal::~frmDatiSal() { unloadOnce(); }

void frmDatiSal::loadSteps()
{
    CardWindow::loadSteps();
    // A value that is not a number keeps the button-face colour.
    auto colour = [this](const char *key) {
        const auto v = CardNumbers::ReadSettingNumber(GetSetting(AppName, config().formName, QLatin1String(key), QString()));
        return v.value_or(ButtonFace);
    };
    m_gapColor = colour("RGB_Gap");
    m_slopeColor = colour("RGB_Slope");
    m_diffColor = colour("RGB_Diff");
    SetBackColour(m_figure[0], m_gapColor);
    SetBackColour(m_figure[1], m_slopeColor);
    SetBackColour(m_figure[2], m_diffColor);
}

void frmDatiSal::afterCount()
{
    // Again now that the counter shows the count: the reposition of the
    // loading ran before it did.
    UpdateDislivello();
    UpdatePendenza();
    UpdateDifficolta();
}

void frmDatiSal::saveSettings()
{
    const QString section = config().formName;
    SaveSetting(AppName, section, QStringLiteral("RGB_Gap"), QString::number(m_gapColor));
    SaveSetting(AppName, section, QStringLiteral("RGB_Slope"), QString::number(m_slopeColor));
    SaveSetting(AppName, section, QStringLiteral("RGB_Diff"), QString::number(m_diffColor));
    CardWindow::saveSettings();
}

void frmDatiSal::onReposition(bool onRow)
{
    UpdateDislivello();
    UpdatePendenza();
    UpdateDifficolta();
    CardWindow::onReposition(onRow);
}

void frmDatiSal::completeLegend(ProfileHandoff::Legend &legend) const { legend.grade = m_figure[1]->text(); }

void frmDatiSal::completePrint(CardPrint::CardData &card) const { card.grade = m_figure[1]->text(); }

// ---------------------------------------------------------------------------
// Climb figures

void frmDatiSal::showFigure(QLabel *label,
                            ClimbFigures::Figure (*compute)(const ClimbFigures::CardTexts &, const QLocale &))
{
    // The reposition of the loading runs before the counter holds the count,
    // so an empty table leaves all three figures as failed: red placeholders.
    const QString count = counted() ? lblNumero()->text() : QString();
    const ClimbFigures::CardTexts t{m_txt[1]->text(), m_txt[2]->text(), m_txt[3]->text(), count};
    const ClimbFigures::Figure f = compute(t, QLocale());
    if (f.state == ClimbFigures::Figure::Unchanged)
        return;
    label->setText(f.state == ClimbFigures::Figure::Failed ? ClimbFigures::Placeholder() : f.caption);
    SetTextColour(label, f.state == ClimbFigures::Figure::Failed ? ClimbFigures::ColourClass4 : f.colour);
}

void frmDatiSal::UpdateDislivello() { showFigure(m_figure[0], &ClimbFigures::HeightDifference); }
void frmDatiSal::UpdatePendenza() { showFigure(m_figure[1], &ClimbFigures::MeanGradient); }
void frmDatiSal::UpdateDifficolta() { showFigure(m_figure[2], &ClimbFigures::Difficulty); }

void frmDatiSal::FigureColor_DblClick(int figure)
{
    qint64 *state[] = {&m_gapColor, &m_slopeColor, &m_diffColor};
    QLabel *label = m_figure[figure];
    CommonDialog dlg;
    dlg.Color = int(ValueFromColor(label->palette().color(QPalette::Window)));
    dlg.Flags = 0;
    dlg.CancelError = true;
    try {
        dlg.ShowColor();
    } catch (const VbError &) {
        return;
    }
    SetBackColour(label, dlg.Color);
    *state[figure] = dlg.Color;
}

bool frmDatiSal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 3; ++i)
            if (watched == m_figure[i])
                FigureColor_DblClick(i);
    }
    return CardWindow::eventFilter(watched, event);
}
