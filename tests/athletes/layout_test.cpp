// The athlete windows and the find dialog, states list and icon picker in
// every language: each caption fits its control and no
// two controls overlap. With VETTARO_SHOT_DIR set each window is saved as a
// picture there, to be looked at.
#include "athletes_fixture.h"
#include "LayoutChecks.h"
#include "athletes/DataFilter.h"
#include "athletes/PerformanceList.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"

#include <QHeaderView>
#include <QTableView>

#include "athletes/frmFind.h"
#include "athletes/frmIcons.h"
#include "athletes/frmStates.h"
#include "core/DataGlobals.h"
#include "core/WindowRegistry.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGroupBox>

namespace {
using TestSupport::ExpectFits;
using TestSupport::Shot;
}

class AthletesLayout : public AthletesTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(AthletesLayout, EveryCaptionFits)
{
    const QString lang = QLatin1String(GetParam());
    ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
    // The display face, as the main window installs it at start-up.
    QFontDatabase::addApplicationFont(TestSupport::DataDir() + QStringLiteral("/../../resources/font/Liqucry4.ttf"));
    AddAthlete(QStringLiteral("ROSSI"));
    AddPlace(true, QStringLiteral("Passo dello Stelvio"));
    AddPlace(false, QStringLiteral("Giro del Lago"));
    AddTime(true, QStringLiteral("ROSSI"), QStringLiteral("Passo dello Stelvio"), QStringLiteral("2026-06-01"));
    AddTime(false, QStringLiteral("ROSSI"), QStringLiteral("Giro del Lago"), QStringLiteral("2026-06-02"));

    frmDatiPers &a = OpenAthletes();
    a.resize(a.sizeHint());
    QApplication::processEvents();
    EXPECT_LE(a.width(), 1000);
    ExpectFits(&a, QStringLiteral("athletes-") + lang);
    Shot(&a, QStringLiteral("athletes-") + lang);
    m_athletes.reset();

    for (bool climb : {false, true}) {
        TimeCard &t = OpenTimes(climb);
        t.cmdDesc_Click();
        t.resize(t.sizeHint());
        QApplication::processEvents();
        const QString tag = (climb ? QStringLiteral("climbtimes-") : QStringLiteral("trainingtimes-")) + lang;
        ExpectFits(&t, tag);
        Shot(&t, tag);
        m_times.reset();
        CloseSharedRecordsets();
    }
}

TEST_P(AthletesLayout, FindStatesAndIconsFit)
{
    const QString lang = QLatin1String(GetParam());
    ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
    AddAthlete(QStringLiteral("ROSSI"));
    // The dialog as it opens over the athlete card, its field list filled.
    AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Personali"));
    WindowRegistry::Register(QStringLiteral("frmDatiPers"), [](QWidget *p) -> QWidget * { return new frmDatiPers(p); });
    WindowRegistry::Load(QStringLiteral("frmDatiPers"));
    DataFormName = QStringLiteral("frmDatiPers");
    {
        frmFind find;
        find.setAttribute(Qt::WA_DeleteOnClose, false);
        find.show();
        QApplication::processEvents();
        EXPECT_EQ(find.findChild<QComboBox *>(QStringLiteral("Combo1"))->count(), 3);
        ExpectFits(&find, QStringLiteral("find-") + lang);
        Shot(&find, QStringLiteral("find-") + lang);
    }
    WindowRegistry::Unload(QStringLiteral("frmDatiPers"));
    WindowRegistry::Unregister(QStringLiteral("frmDatiPers"));

    CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES ('Bosnia and Herzegovina')"), 0, {});
    {
        frmStates states;
        states.show();
        QApplication::processEvents();
        ExpectFits(&states, QStringLiteral("states-") + lang);
        Shot(&states, QStringLiteral("states-") + lang);
    }

    for (const char *key : {"summit", "church", "fountain"}) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        ImageList2.Add(QLatin1String(key), img);
    }
    {
        frmIcons icons;
        icons.setAttribute(Qt::WA_DeleteOnClose, false);
        icons.show();
        QApplication::processEvents();
        // The caption stands whole in the title bar's room.
        EXPECT_LE(icons.fontMetrics().horizontalAdvance(icons.windowTitle()), icons.width() / 2) << icons.windowTitle().toStdString();
        Shot(&icons, QStringLiteral("icons-") + lang);
    }
    ImageList2.Clear();
}

// The lists, the ranking, the summary and the date filter: captions, column
// headings and the summary's figures fit in every language.
TEST_P(AthletesLayout, ListWindowsFit)
{
    const QString lang = QLatin1String(GetParam());
    ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
    AddAthlete(QStringLiteral("ROSSI"));
    AddPlace(true, QStringLiteral("Passo dello Stelvio"));
    AddPlace(false, QStringLiteral("Giro del Lago"));
    AddTime(true, QStringLiteral("ROSSI"), QStringLiteral("Passo dello Stelvio"), QStringLiteral("2026-06-01"));
    AddTime(false, QStringLiteral("ROSSI"), QStringLiteral("Giro del Lago"), QStringLiteral("2026-06-02"));

    auto check = [&lang](QWidget &w, const QString &name) {
        w.resize(w.sizeHint());
        w.show();
        QApplication::processEvents();
        const QString tag = name + QLatin1Char('-') + lang;
        ExpectFits(&w, tag);
        for (QTableView *grid : w.findChildren<QTableView *>()) {
            QHeaderView *head = grid->horizontalHeader();
            for (int c = 0; c < head->count(); ++c)
                EXPECT_GE(head->sectionSize(c), head->sectionSizeHint(c)) << tag.toStdString() << " column " << c;
        }
        Shot(&w, tag);
    };
    {
        frmPrestAll trainings;
        check(trainings, QStringLiteral("trainings"));
        // The seven columns show whole without scrolling.
        QHeaderView *head = trainings.grid()->horizontalHeader();
        EXPECT_LE(head->sectionViewportPosition(6) + head->sectionSize(6), trainings.grid()->viewport()->width());
    }
    {
        frmAngolo climbs;
        check(climbs, QStringLiteral("climbs"));
    }
    {
        frmHitGrimpeur ranking;
        check(ranking, QStringLiteral("ranking"));
    }
    {
        frmRiepilogo summary;
        check(summary, QStringLiteral("summary"));
    }
    {
        DataFilter filter;
        check(filter, QStringLiteral("datefilter"));
    }
    CloseSharedRecordsets();
}

INSTANTIATE_TEST_SUITE_P(Languages, AthletesLayout, ::testing::Values("1033", "1040", "3082", "1031", "1036"));
