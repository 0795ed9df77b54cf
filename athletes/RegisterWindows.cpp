#include "athletes/RegisterWindows.h"

#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "athletes/frmFind.h"
#include "athletes/frmStates.h"
#include "core/WindowRegistry.h"

void RegisterAthletesWindows()
{
    WindowRegistry::Register(QStringLiteral("frmDatiPers"), [](QWidget *parent) -> QWidget * {
        return new frmDatiPers(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmTempiAll"), [](QWidget *parent) -> QWidget * {
        return new frmTempiAll(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmTempiSal"), [](QWidget *parent) -> QWidget * {
        return new frmTempiSal(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmFind"), [](QWidget *parent) -> QWidget * {
        return new frmFind(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmStates"), [](QWidget *parent) -> QWidget * {
        return new frmStates(parent);
    });
}
