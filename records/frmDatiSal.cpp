#include "records/frmDatiSal.h"

frmDatiSal::frmDatiSal(QWidget *parent) : CardWindow(CardConfig::Climbs(), parent) {}
