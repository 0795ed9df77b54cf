#include "core/ListCommands.h"

#include "core/DataGlobals.h"
#include "core/LangClient.h"
#include "core/ListStats.h"
#include "core/MDIfrmBike.h"
#include "core/WindowInterfaces.h"
#include "platform/error/VbError.h"

#include <QAction>
#include <QWidget>

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

void RemoveFilterButtonClicked(QAction *button, QWidget *active)
{
    auto *list = qobject_cast<AthleteListInterface *>(active);
    if (!list) {
        button->setChecked(!button->isChecked());   // undo the click's toggle
        return;
    }
    if (!button->isChecked())
        list->removeFilter();   // the user released an active filter
    else
        button->setChecked(false);   // no filter was active
}

void RemoveFilterFromMenu(bool buttonPressed, QWidget *active)
{
    auto *list = qobject_cast<AthleteListInterface *>(active);
    if (list && buttonPressed)
        list->removeFilter();
}

bool RunRecordCommand(const QString &command, QWidget *active)
{
    if (!qobject_cast<RecordCommandsInterface *>(active))
        return false;
    if (command == QLatin1String("Filter")) {
        Filter();
        return true;
    }
    if (command == QLatin1String("SortAsc") || command == QLatin1String("SortDes")) {
        Sort(command == QLatin1String("SortAsc"));
        return true;
    }
    return false;
}
