#include "athletes/RegisterWindows.h"

#include "athletes/DataFilter.h"
#include "athletes/PerformanceList.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
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
    WindowRegistry::Register(QStringLiteral("frmPrestAll"), [](QWidget *parent) -> QWidget * {
        return new frmPrestAll(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmAngolo"), [](QWidget *parent) -> QWidget * {
        return new frmAngolo(parent);
    });
    WindowRegistry::Register(QStringLiteral("DataFilter"), [](QWidget *parent) -> QWidget * {
        return new DataFilter(parent);
    });
}
