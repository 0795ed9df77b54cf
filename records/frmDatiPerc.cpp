#include "records/frmDatiPerc.h"

frmDatiPerc::frmDatiPerc(QWidget *parent) : CardWindow(CardConfig::Routes(), parent) {}
