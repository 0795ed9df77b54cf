#include "tools/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "tools/frmPrint.h"

void RegisterToolsWindows()
{
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *parent) -> QWidget * {
        return new frmPrint(parent);
    });
}
