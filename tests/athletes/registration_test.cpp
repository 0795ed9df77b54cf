// The athlete windows reach the main window's data toolbar through their
// registrations: the shared recordsets each needs, and the refusal when a
// table it cannot do without is empty.
#include "athletes_fixture.h"

#include "athletes/RegisterWindows.h"
#include "core/MDIfrmBike.h"
#include "core/WindowRegistry.h"

#include <QAction>

TEST_F(AthletesTest, DataToolbarOpensTheTimeCardsOnlyWithWhatTheyNeed)
{
    MDIfrmBike main;
    RegisterAthletesWindows();
    AddAthlete(QStringLiteral("A1"));

    struct Case {
        const char *key, *window;
        int refusal;
    } cases[] = {{"b4", "frmTempiSal", 538}, {"b5", "frmTempiAll", 540}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        const bool climb = QString::fromLatin1(c.window) == QLatin1String("frmTempiSal");
        auto &script = TestSupport::ResetScript();
        main.Toolbar2Button(QString::fromLatin1(c.key))->trigger();   // nothing to time yet
        EXPECT_EQ(script.messages(), QStringList{GetLangString(c.refusal)});
        EXPECT_EQ(WindowRegistry::Find(QString::fromLatin1(c.window)), nullptr);
        EXPECT_FALSE(AthletesRs && AthletesRs->IsOpen());

        AddPlace(climb, QStringLiteral("Stelvio"));
        TestSupport::ResetScript();
        main.Toolbar2Button(QString::fromLatin1(c.key))->trigger();
        EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
        EXPECT_NE(WindowRegistry::Find(QString::fromLatin1(c.window)), nullptr);
        EXPECT_TRUE(AthletesRs && AthletesRs->IsOpen());
        EXPECT_TRUE(climb ? ClimbTimesRs && ClimbTimesRs->IsOpen() : TrainingTimesRs && TrainingTimesRs->IsOpen());
        WindowRegistry::Unload(QString::fromLatin1(c.window));
    }
    main.Toolbar2Button(QStringLiteral("b1"))->trigger();
    EXPECT_NE(WindowRegistry::Find(QStringLiteral("frmDatiPers")), nullptr);
    WindowRegistry::Unload(QStringLiteral("frmDatiPers"));
    for (const char *name : {"frmDatiPers", "frmTempiSal", "frmTempiAll"})
        WindowRegistry::Unregister(QString::fromLatin1(name));
}
