#include "core/ListCommands.h"

#include "core/DataGlobals.h"
#include "core/LangClient.h"
#include "core/ListStats.h"
#include "core/MDIfrmBike.h"
#include "core/WindowInterfaces.h"
#include "platform/error/VbError.h"

namespace {
void ShowStats(const QString &statsHead, const QString &sql, bool climbs)
{
    MDIfrmBike *main = MDIfrmBike::instance();
    if (!main || !CurrentDb)
        return;
    ListStats::Stats st;
    try {
        st = ListStats::Compute(CurrentDb, statsHead, sql, climbs);
    } catch (const VbError &) {
        return;
    }
    main->SetStatusPanelText(1, FormatLangString(GetLangString(climbs ? 28015 : 28022), {st.count}));
    main->SetStatusPanelText(2, FormatLangString(GetLangString(climbs ? 28016 : 28023), {st.km}));
    main->SetStatusPanelText(3, FormatLangString(GetLangString(climbs ? 28017 : 28024), {st.avgTime}));
    main->SetStatusPanelText(4, FormatLangString(GetLangString(climbs ? 28018 : 28025), {st.kmh}));
    if (climbs)
        main->SetStatusPanelText(5, FormatLangString(GetLangString(28019), {st.vam}));
}

RecordCommandsInterface *ActiveTarget()
{
    MDIfrmBike *main = MDIfrmBike::instance();
    return main ? qobject_cast<RecordCommandsInterface *>(main->ActiveForm()) : nullptr;
}
} // namespace

void ShowClimbStats(const QString &statsHead, const QString &sql)
{
    ShowStats(statsHead, sql, true);
}

void ShowTrainingStats(const QString &statsHead, const QString &sql)
{
    ShowStats(statsHead, sql, false);
}

bool Filter()
{
    RecordCommandsInterface *target = ActiveTarget();
    return target && target->Filter();
}

bool Sort(bool IsAsc)
{
    RecordCommandsInterface *target = ActiveTarget();
    return target && target->Sort(IsAsc);
}
