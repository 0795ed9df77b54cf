#include "athletes/RegisterWindows.h"

#include "athletes/DataFilter.h"
#include "athletes/PerformanceList.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "athletes/frmFind.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmIcons.h"
#include "athletes/frmRiepilogo.h"
#include "athletes/frmStates.h"
#include "core/DataGlobals.h"
#include "core/WindowRegistry.h"

void RegisterAthletesWindows()
{
    using Shared = DataWindowRegistration::SharedRecordset;

    DataWindowRegistration athletes;
    athletes.name = QStringLiteral("frmDatiPers");
    athletes.toolbarKey = QStringLiteral("b1");
    athletes.statusText = 534;
    athletes.recordsets = {Shared{&AthletesRs, QStringLiteral("Dati Personali"), false}};
    athletes.printQuestion = 514;
    WindowRegistry::RegisterDataWindow(athletes, [](QWidget *parent) -> QWidget * { return new frmDatiPers(parent); });

    // A time card needs an athlete and a record to time; it may start without times.
    const Shared byAthlete{&AthletesRs, QStringLiteral("SELECT * FROM [Dati Personali] ORDER BY IDPersonale"), true};

    DataWindowRegistration climbTimes;
    climbTimes.name = QStringLiteral("frmTempiSal");
    climbTimes.toolbarKey = QStringLiteral("b4");
    climbTimes.statusText = 537;
    climbTimes.recordsets = {byAthlete,
                             Shared{&ClimbsRs, QStringLiteral("SELECT * FROM [Dati Salite] ORDER BY IDPercorso"), true},
                             Shared{&ClimbTimesRs, QStringLiteral("SELECT * FROM [Tempi Salita] ORDER BY Data"), false}};
    climbTimes.refusal = 538;
    WindowRegistry::RegisterDataWindow(climbTimes, [](QWidget *parent) -> QWidget * { return new frmTempiSal(parent); });

    DataWindowRegistration trainingTimes;
    trainingTimes.name = QStringLiteral("frmTempiAll");
    trainingTimes.toolbarKey = QStringLiteral("b5");
    trainingTimes.statusText = 539;
    trainingTimes.recordsets = {
        byAthlete, Shared{&RoutesRs, QStringLiteral("SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso"), true},
        Shared{&TrainingTimesRs, QStringLiteral("SELECT * FROM [Tempi Allenamento] ORDER BY Data"), false}};
    trainingTimes.refusal = 540;
    WindowRegistry::RegisterDataWindow(trainingTimes,
                                       [](QWidget *parent) -> QWidget * { return new frmTempiAll(parent); });

    // The lists only test their table: each opens what it needs itself.
    DataWindowRegistration trainings;
    trainings.name = QStringLiteral("frmPrestAll");
    trainings.toolbarKey = QStringLiteral("b7");
    trainings.statusText = 543;
    trainings.recordsets = {Shared{&TrainingTimesRs, QStringLiteral("Tempi Allenamento"), true}};
    trainings.keepRecordsets = false;
    trainings.refusal = 544;
    WindowRegistry::RegisterDataWindow(trainings, [](QWidget *parent) -> QWidget * { return new frmPrestAll(parent); });

    DataWindowRegistration climbs;
    climbs.name = QStringLiteral("frmAngolo");
    climbs.toolbarKey = QStringLiteral("b6");
    climbs.statusText = 541;
    climbs.recordsets = {Shared{&ClimbTimesRs, QStringLiteral("Tempi Salita"), true}};
    climbs.keepRecordsets = false;
    climbs.refusal = 542;
    WindowRegistry::RegisterDataWindow(climbs, [](QWidget *parent) -> QWidget * { return new frmAngolo(parent); });

    DataWindowRegistration ranking;
    ranking.name = QStringLiteral("frmHitGrimpeur");
    ranking.toolbarKey = QStringLiteral("b8");
    ranking.statusText = 545;
    ranking.recordsets = {Shared{&ClimbTimesRs, QStringLiteral("Tempi Salita"), true}};
    ranking.keepRecordsets = false;
    ranking.refusal = 546;
    WindowRegistry::RegisterDataWindow(ranking, [](QWidget *parent) -> QWidget * { return new frmHitGrimpeur(parent); });

    // The summary reads the shared recordset's query and closes it when it goes.
    DataWindowRegistration summary;
    summary.name = QStringLiteral("frmRiepilogo");
    summary.toolbarKey = QStringLiteral("b9");
    summary.statusText = 547;
    summary.recordsets = {Shared{&SummaryRs, QStringLiteral("Riepilogo per Atleta"), true}};
    summary.refusal = 548;
    WindowRegistry::RegisterDataWindow(summary, [](QWidget *parent) -> QWidget * { return new frmRiepilogo(parent); });

    WindowRegistry::Register(QStringLiteral("DataFilter"), [](QWidget *parent) -> QWidget * {
        return new DataFilter(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmFind"), [](QWidget *parent) -> QWidget * {
        return new frmFind(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmStates"), [](QWidget *parent) -> QWidget * {
        return new frmStates(parent);
    });
    WindowRegistry::Register(QStringLiteral("frmIcons"), [](QWidget *parent) -> QWidget * {
        return new frmIcons(parent);
    });
}
