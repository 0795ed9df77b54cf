#include "recordings/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "recordings/frmHRate.h"

void RegisterRecordingsWindows()
{
    WindowRegistry::Register(QStringLiteral("frmHRate"), [](QWidget *parent) -> QWidget * {
        return new frmHRate(parent);
    });
}
