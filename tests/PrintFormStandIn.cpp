#include "PrintFormStandIn.h"

PrintFormStandIn::PrintFormStandIn(QWidget *parent) : QWidget(parent) {}
