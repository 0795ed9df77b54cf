#pragma once
// The climbs window: cards of the table "Dati Salite" with their altitude
// samples, the climb figures and the climbing simulator.
#include "records/CardWindow.h"

class frmDatiSal : public CardWindow {
    Q_OBJECT
public:
    explicit frmDatiSal(QWidget *parent = nullptr);
};
