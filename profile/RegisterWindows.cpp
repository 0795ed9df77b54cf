#include "profile/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "profile/frmAltimetria.h"

void RegisterProfileWindows()
{
    WindowRegistry::Register(QStringLiteral("frmAltimetria"), [](QWidget *parent) -> QWidget * {
        return new frmAltimetria(parent);
    });
}
