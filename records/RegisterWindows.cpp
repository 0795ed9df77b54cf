#include "records/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "records/frmDatiPerc.h"
#include "records/frmDatiSal.h"

void RegisterRecordsWindows()
{
    WindowRegistry::Register(QStringLiteral("frmDatiSal"), [](QWidget *parent) -> QWidget * {
        return new frmDatiSal(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmDatiPerc"), [](QWidget *parent) -> QWidget * {
        return new frmDatiPerc(parent);
    });
}
