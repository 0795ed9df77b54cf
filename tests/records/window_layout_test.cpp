// Both windows in English and Italian: every caption fits its control, no two
// controls of one container overlap, and the window fits a small screen.
// With VETTARO_SHOT_DIR set the windows are also saved as pictures there (and
// stay on screen a moment, for a look under a real display).
#include "window_fixture.h"
#include "LayoutChecks.h"

#include "core/MDIfrmBike.h"
#include "core/WindowRegistry.h"
#include "platform/com/ComRegistry.h"
#include "records/RegisterWindows.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStyle>

namespace {

// The panels laid over the card (information, samples) cover it on purpose.
void ExpectFits(QWidget *root, const QString &where)
{
    TestSupport::ExpectFits(root, where, {QStringLiteral("picInfo"), QStringLiteral("Picture1"), QStringLiteral("CardArea")});
}
using TestSupport::Shot;

}

class WindowLayout : public CardWindowTest, public ::testing::WithParamInterface<std::tuple<bool, const char *>> {
protected:
    void TearDown() override
    {
        CardWindowTest::TearDown();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

TEST_P(WindowLayout, EveryCaptionFits)
{
    const bool climb = std::get<0>(GetParam());
    const QString lang = QLatin1String(std::get<1>(GetParam()));
    // The built program folder's libraries, registered beside them.
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
    ASSERT_FALSE(GetLangString(climb ? 9069 : 7049).startsWith(QStringLiteral("No")));
    AddCard(climb, QStringLiteral("Passo dello Stelvio"), 21.6, 1205, 2758);
    AddSample(climb, QStringLiteral("Passo dello Stelvio"), 0, 1205);
    CardWindow &w = Open(climb);
    w.resize(w.sizeHint());
    QApplication::processEvents();
    const QString tag = (climb ? QStringLiteral("climbs-") : QStringLiteral("routes-")) + lang;
    EXPECT_LE(w.width(), 1000);
    EXPECT_LE(w.height(), 700);
    ExpectFits(&w, tag);
    Shot(&w, tag);

    w.cmdDesc_Click();
    ASSERT_TRUE(w.picInfo()->isVisible());
    ExpectFits(w.picInfo(), tag + QStringLiteral("/info"));
    Shot(&w, tag + QStringLiteral("-info"));
    w.cmdNoInfo_Click();

    w.cmdAltim_Click();
    ASSERT_TRUE(w.Picture1()->isVisible());
    ExpectFits(w.Picture1(), tag + QStringLiteral("/samples"));
    Shot(&w, tag + QStringLiteral("-samples"));
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowLayout,
                         ::testing::Combine(::testing::Values(true, false), ::testing::Values("1033", "1040")),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param) ? "Climbs" : "Routes") + "_"
                                    + std::get<1>(info.param);
                         });

// In the main window's workspace a card opens centred, at its fixed size,
// without minimise and maximise buttons.
TEST_P(BothWindows, CardOpensCentredAtItsFixedSizeInTheWorkspace)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    QMdiArea area;
    area.resize(1300, 900);
    area.show();
    QWidget *card = climb ? static_cast<QWidget *>(new frmDatiSal) : new frmDatiPerc;
    QMdiSubWindow *sub = area.addSubWindow(card);
    sub->show();
    QApplication::processEvents();
    const Qt::WindowFlags flags = sub->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(sub->minimumSize(), sub->maximumSize());
    EXPECT_TRUE(sub->rect().contains(card->geometry()));
    const QSize space = area.viewport()->size();
    EXPECT_NEAR(sub->x() * 2 + sub->width(), space.width(), 2);
    EXPECT_NEAR(sub->y() * 2 + sub->height(), space.height(), 2);
    sub->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(sub->size(), sub->maximumSize());
    sub->close();
}

// The sample panel shows every column whole and uses the card's height.
TEST_P(BothWindows, SamplePanelShowsEveryColumn)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    for (int i = 0; i < 30; ++i)
        AddSample(climb, QStringLiteral("A"), i, 100 + i);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    QApplication::processEvents();
    auto *grid = Ctl<QTableView>("DBGrid1");
    EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
    EXPECT_EQ(w.Picture1()->height(), w.Control(QStringLiteral("CardArea"))->height());
    EXPECT_GE(grid->viewport()->height() / grid->rowHeight(0), 8);
}

// Opened from the main window's data toolbar, which then hides: the card is
// centred in the workspace as it is once the toolbar has gone.
TEST_P(BothWindows, CardFromTheDataToolbarOpensCentred)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    MDIfrmBike main;
    main.resize(1400, 900);
    main.show();
    main.SetToolbar2Visible(true);
    QApplication::processEvents();
    RegisterRecordsWindows();
    main.Toolbar2Button(climb ? QStringLiteral("b2") : QStringLiteral("b3"))->trigger();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    ASSERT_FALSE(main.IsToolbar2Visible());
    QWidget *card = WindowRegistry::Find(climb ? QStringLiteral("frmDatiSal") : QStringLiteral("frmDatiPerc"));
    ASSERT_NE(card, nullptr);
    auto *sub = qobject_cast<QMdiSubWindow *>(card->parentWidget());
    ASSERT_NE(sub, nullptr);
    const QSize space = main.mdiArea()->viewport()->size();
    EXPECT_NEAR(sub->x() * 2 + sub->width(), space.width(), 2);
    EXPECT_NEAR(sub->y() * 2 + sub->height(), space.height(), 2);
    WindowRegistry::Unload(card->objectName());
}
