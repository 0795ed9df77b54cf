#include "records/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "records/frmDatiPerc.h"
#include "records/frmDatiSal.h"

void RegisterRecordsWindows()
{
    // The climbs and routes cards open no shared recordset: each reads its own table.
    DataWindowRegistration climbs;
    climbs.name = QStringLiteral("frmDatiSal");
    climbs.toolbarKey = QStringLiteral("b2");
    climbs.statusText = 535;
    climbs.printQuestion = 515;
    climbs.exports = true;
    WindowRegistry::RegisterDataWindow(climbs, [](QWidget *parent) -> QWidget * { return new frmDatiSal(parent); });

    DataWindowRegistration routes;
    routes.name = QStringLiteral("frmDatiPerc");
    routes.toolbarKey = QStringLiteral("b3");
    routes.statusText = 536;
    routes.printQuestion = 516;
    routes.exports = true;
    WindowRegistry::RegisterDataWindow(routes, [](QWidget *parent) -> QWidget * { return new frmDatiPerc(parent); });
}
