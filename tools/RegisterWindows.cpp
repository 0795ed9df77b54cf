#include "tools/RegisterWindows.h"

#include "core/WindowRegistry.h"
#include "tools/frmBrowser.h"
#include "tools/frmCompact.h"
#include "tools/frmImport.h"
#include "tools/frmPrint.h"
#include "tools/frmTxtImport.h"

void RegisterToolsWindows()
{
    WindowRegistry::Register(QStringLiteral("frmPrint"), [](QWidget *parent) -> QWidget * {
        return new frmPrint(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmCompact"), [](QWidget *parent) -> QWidget * {
        return new frmCompact(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmRepair"), [](QWidget *parent) -> QWidget * {
        return new frmRepair(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmImport"), [](QWidget *parent) -> QWidget * {
        return new frmImport(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmTxtImport"), [](QWidget *parent) -> QWidget * {
        return new frmTxtImport(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmConvert"), [](QWidget *parent) -> QWidget * {
        return new frmConvert(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmBrowser"), [](QWidget *parent) -> QWidget * {
        return new frmBrowser(parent);
    });
}
