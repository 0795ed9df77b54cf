#include "core/ChartCommands.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/error/VbError.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QWidget>

void ShowChart(ChartHandoff::Kind kind)
{
    const bool climbs = kind == ChartHandoff::Kind::Climbs;
    auto *list = qobject_cast<AthleteListInterface *>(
        WindowRegistry::Find(climbs ? QStringLiteral("frmAngolo") : QStringLiteral("frmPrestAll")));
    if (!list)
        return;
    const QString title = FormatLangString(GetLangString(climbs ? 519 : 522),
                                           {list->athleteSurname(), list->athleteFirstName()});
    QVector<ChartRecord> records;
    dao::RecordsetPtr rows;
    try {
        // Both charts take the rows exactly as the grid shows them (filters
        // and order applied), read once and counted as read: no second query
        // that could find other rows than the grid, and none run again.
        rows = list->listRows();
        if (rows) {
            records = ChartHandoff::ReadRecords(*rows, kind);
            rows->Close();
        }
    } catch (const VbError &e) {
        try {
            if (rows && rows->IsOpen())
                rows->Close();
        } catch (const VbError &) {
        }
        ShowDataError(e);
        return;
    }
    if (records.size() < ChartHandoff::MinRecords) {
        MsgBox(GetLangString(climbs ? 520 : 523) + QLatin1Char('\n') + GetLangString(climbs ? 521 : 524),
               Vb::Exclamation);
        return;
    }
    ChartHandoff::Fill(kind, title, records);
    if (auto *open = qobject_cast<ChartViewInterface *>(WindowRegistry::Find(QStringLiteral("frmGrafico"))))
        open->takeHandoff();
    WindowRegistry::Show(QStringLiteral("frmGrafico"));
}
