#include "records/frmDatiPerc.h"

#include "records/SimulatorPanels.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

frmDatiPerc::frmDatiPerc(QWidget *parent) : CardWindow(CardConfig::Routes(), parent)
{
    FieldGrid g(this, QStringLiteral("Frame4"));
    QGroupBox *frame = g.frame();
    g.row(0, 0, "lblLabels(0)", m_txt[0], 3);
    g.row(1, 0, "lblLabels(1)", m_txt[1]);
    g.row(2, 0, "lblLabels(2)", field(QStringLiteral("Text1(0)"), QStringLiteral("Regione"), 250, frame));
    g.row(2, 2, "lblLabels(4)", field(QStringLiteral("Text1(2)"), QStringLiteral("Provincia"), 50, frame));
    g.row(3, 0, "lblLabels(3)", field(QStringLiteral("Text1(1)"), QStringLiteral("Località"), 250, frame));
    g.row(3, 2, "lblLabels(7)", stateField(frame));
    g.row(4, 0, "lblLabels(5)", field(QStringLiteral("Text1(3)"), QStringLiteral("Periodo"), 250, frame), 3);
    g.place();

    setSimulator(new RouteSimulatorPanel(this));
    load();
}

frmDatiPerc::~frmDatiPerc() { unloadOnce(); }
