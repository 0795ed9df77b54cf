#include "records/frmDatiPerc.h"

#include "records/SimulatorPanels.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

frmDatiPerc::frmDatiPerc(QWidget *parent) : CardWindow(CardConfig::Routes(), parent)
{
    QWidget *host = fieldArea();
    auto *frame = new QGroupBox(host);
    frame->setObjectName(QStringLiteral("Frame4"));
    auto *g = new QGridLayout(frame);
    auto row = [&](int r, int col, const char *lbl, QWidget *w, int span = 1) {
        g->addWidget(label(QLatin1String(lbl), frame), r, col);
        g->addWidget(w, r, col + 1, 1, span);
    };
    m_txt[0] = field(QStringLiteral("txtFields(0)"), QStringLiteral("IDPercorso"), 250, frame);
    m_txt[1] = field(QStringLiteral("txtFields(1)"), QStringLiteral("Lunghezza"), 0, frame);
    row(0, 0, "lblLabels(0)", m_txt[0], 3);
    row(1, 0, "lblLabels(1)", m_txt[1]);
    row(2, 0, "lblLabels(2)", field(QStringLiteral("Text1(0)"), QStringLiteral("Regione"), 250, frame));
    row(2, 2, "lblLabels(4)", field(QStringLiteral("Text1(2)"), QStringLiteral("Provincia"), 50, frame));
    row(3, 0, "lblLabels(3)", field(QStringLiteral("Text1(1)"), QStringLiteral("Località"), 250, frame));
    row(3, 2, "lblLabels(7)", stateField(frame));
    row(4, 0, "lblLabels(5)", field(QStringLiteral("Text1(3)"), QStringLiteral("Periodo"), 250, frame), 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    host->layout()->addWidget(frame);

    setSimulator(new RouteSimulatorPanel(this));
    load();
}

frmDatiPerc::~frmDatiPerc() { unloadOnce(); }
