#pragma once
// The routes window: cards of the table "Dati Percorsi" with their altitude
// samples and the speed simulator.
#include "records/CardWindow.h"

class frmDatiPerc : public CardWindow {
    Q_OBJECT
public:
    explicit frmDatiPerc(QWidget *parent = nullptr);
    ~frmDatiPerc() override;
};
