#include "profile/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "profile/frmAltimetria.h"
#include "profile/frmGrafico.h"
#include "profile/frmGraphSettings.h"

void RegisterProfileWindows()
{
    WindowRegistry::Register(QStringLiteral("frmAltimetria"), [](QWidget *parent) -> QWidget * {
        return new frmAltimetria(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmGraphSettings"), [](QWidget *parent) -> QWidget * {
        return new frmGraphSettings(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmGrafico"), [](QWidget *parent) -> QWidget * {
        return new frmGrafico(parent);
    });
}
