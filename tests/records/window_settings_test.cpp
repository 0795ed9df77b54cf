// Texts, settings and the main window's commands of the card windows.
#include "window_fixture.h"

#include "core/MDIfrmBike.h"
#include "core/WindowRegistry.h"
#include "records/RegisterWindows.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>

// Every caption and tool tip of the text table lands on its control.
TEST_P(BothWindows, UpdateControlsSetsEveryText)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    int checked = 0;
    for (const CardConfig::Text &t : w.config().texts) {
        SCOPED_TRACE(t.number);
        const QString expected = GetLangString(t.number);
        const QString name = QLatin1String(t.control);
        if (name.isEmpty()) {
            EXPECT_EQ(w.windowTitle(), expected);
        } else if (name.startsWith(QLatin1String("DBGrid1."))) {
            auto *grid = Ctl<QTableView>("DBGrid1");
            EXPECT_EQ(grid->model()->headerData(name.mid(8).toInt(), Qt::Horizontal).toString(), expected);
        } else {
            QWidget *c = w.Control(name);
            ASSERT_NE(c, nullptr) << t.control;
            if (t.property == 'T')
                EXPECT_EQ(c->toolTip(), expected);
            else if (auto *l = qobject_cast<QLabel *>(c))
                EXPECT_EQ(l->text(), expected);
            else if (auto *g = qobject_cast<QGroupBox *>(c))
                EXPECT_EQ(g->title(), expected);
            else if (auto *b = qobject_cast<QAbstractButton *>(c))
                EXPECT_EQ(b->text(), expected);
            else
                ADD_FAILURE() << "no caption on " << t.control;
        }
        ++checked;
    }
    EXPECT_EQ(checked, climb ? 74 : 54);
}

// Sliders, bike kind, colours and column widths survive a close and a reopen;
// widths are kept under the column captions.
TEST_F(CardWindowTest, ClimbSettingsOverCloseAndReopen)
{
    AddCard(true, QStringLiteral("Stelvio"));
    auto &w = static_cast<frmDatiSal &>(Open(true));
    Ctl<QSlider>("Slider1")->setValue(900);
    Ctl<QSlider>("Slider2")->setValue(60);
    Ctl<QSlider>("Slider3")->setValue(50);
    Ctl<QRadioButton>("Option1(1)")->click();
    Ctl<QTableView>("DBGrid1")->setColumnWidth(2, 200);
    TestSupport::Script().colors.push_back(QColor(10, 20, 30));
    w.FigureColor_DblClick(1);
    EXPECT_EQ(w.SlopeColor(), 10 + (20 << 8) + (30 << 16));
    TestSupport::Script().colors.push_back(std::nullopt);   // cancelled: unchanged
    w.FigureColor_DblClick(0);
    const qint64 gap = w.GapColor();
    Close();

    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmDatiSal"), QStringLiteral("Slider1")), QStringLiteral("900"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmDatiSal"), QStringLiteral("Option1")), QStringLiteral("0"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmDatiSal"), GetLangString(9072)), QStringLiteral("3000"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmDatiSal"), QStringLiteral("RGB_Gap")), QString::number(gap));

    auto &again = static_cast<frmDatiSal &>(Open(true));
    EXPECT_EQ(Ctl<QSlider>("Slider1")->value(), 900);
    EXPECT_EQ(Ctl<QSlider>("Slider2")->value(), 60);
    EXPECT_EQ(Ctl<QSlider>("Slider3")->value(), 50);
    EXPECT_EQ(Ctl<QLabel>("Label5(10)")->text(), QStringLiteral("110"));
    EXPECT_TRUE(Ctl<QRadioButton>("Option1(1)")->isChecked());
    EXPECT_EQ(Ctl<QTableView>("DBGrid1")->columnWidth(2), 200);
    EXPECT_EQ(again.SlopeColor(), 10 + (20 << 8) + (30 << 16));
    EXPECT_EQ(again.Control(QStringLiteral("Label6"))->palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_EQ(again.GapColor(), gap);
}

TEST_F(CardWindowTest, BadStoredSettingsAreNotApplied)
{
    const QString s = QStringLiteral("frmDatiSal");
    SaveSetting(AppName, s, QStringLiteral("Slider1"), QStringLiteral("abc"));
    SaveSetting(AppName, s, QStringLiteral("Slider2"), QStringLiteral("200"));
    SaveSetting(AppName, s, QStringLiteral("Option1"), QStringLiteral("-1"));
    SaveSetting(AppName, s, GetLangString(9070), QStringLiteral("99999"));
    Open(true);
    EXPECT_EQ(Ctl<QSlider>("Slider1")->value(), 1500);
    EXPECT_EQ(Ctl<QSlider>("Slider2")->value(), 70);
    EXPECT_TRUE(Ctl<QRadioButton>("Option1(1)")->isChecked());
    EXPECT_EQ(Ctl<QTableView>("DBGrid1")->columnWidth(0), 80);
}

TEST_F(CardWindowTest, RouteSettingsOverCloseAndReopen)
{
    Open(false);
    Ctl<QSlider>("Slider1")->setValue(4000);
    Ctl<QSlider>("Slider3")->setValue(100);
    Close();
    EXPECT_TRUE(GetSetting(AppName, QStringLiteral("frmDatiPerc"), QStringLiteral("Option1")).isEmpty());
    EXPECT_TRUE(GetSetting(AppName, QStringLiteral("frmDatiPerc"), QStringLiteral("RGB_Gap")).isEmpty());
    Open(false);
    EXPECT_EQ(Ctl<QSlider>("Slider1")->value(), 4000);
    EXPECT_EQ(Ctl<QSlider>("Slider3")->value(), 100);
    EXPECT_EQ(Ctl<QLabel>("Label5(10)")->text(), QStringLiteral("60"));
}

// While a card window is open the print, find and export commands are on;
// closing it switches them off and shows the data toolbar again.
TEST_P(BothWindows, MainWindowCommands)
{
    MDIfrmBike main;
    main.SetToolbar2Visible(false);
    const QStringList keys = {"Print", "Find", "mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs",
                              "XmlExport", "CrsExport", "TxtExport", "mnuTool(0)"};
    for (const QString &k : keys)
        main.EnableCommand(k, false);
    RegisterRecordsWindows();
    const QString name = GetParam() ? QStringLiteral("frmDatiSal") : QStringLiteral("frmDatiPerc");
    // The data toolbar reaches the card through its registration.
    main.Toolbar2Button(GetParam() ? QStringLiteral("b2") : QStringLiteral("b3"))->trigger();
    QWidget *w = WindowRegistry::Find(name);
    ASSERT_NE(qobject_cast<CardWindow *>(w), nullptr);
    EXPECT_EQ(main.ActiveFormName(), name);
    for (const QString &k : keys)
        EXPECT_TRUE(main.IsCommandEnabled(k)) << k.toStdString();
    // The main window's by-name commands reach it.
    for (const char *method : {"UpdateControls", "Export", "ExportXml", "ExportCrs", "MyPrint", "MyPrint1", "MyPrint2"})
        EXPECT_TRUE(w->metaObject()->indexOfSlot(method) >= 0
                    || w->metaObject()->indexOfMethod(QMetaObject::normalizedSignature((std::string(method) + "()").c_str())) >= 0)
            << method;
    EXPECT_TRUE(QMetaObject::invokeMethod(w, "UpdateControls"));
    static_cast<QPushButton *>(static_cast<CardWindow *>(w)->Control(QStringLiteral("cmdClose")))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(WindowRegistry::Find(name), nullptr);
    for (const QString &k : keys)
        EXPECT_FALSE(main.IsCommandEnabled(k)) << k.toStdString();
    EXPECT_TRUE(main.IsToolbar2Visible());
    EXPECT_FALSE(ClimbsRs && ClimbsRs->IsOpen());
}
