// The chart window from the main window's chart commands: the hand-off read
// from the athlete lists (the real ones and small stand-ins over SQL of our
// own), the window's settings, axis font, read-out, print and picture export.
#include "window_fixture.h"

#include "athletes/PerformanceList.h"
#include "athletes/RegisterWindows.h"
#include "core/ChartHandoff.h"
#include "platform/data/RecordsetModel.h"
#include "profile/frmGrafico.h"
#include "core/UserFolders.h"
#include "platform/shell/Shell.h"

#include <QHeaderView>
#include <QImageReader>
#include <QScopeGuard>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>

namespace {

// A list window whose rows are those of an SQL text of the test's choosing.
class ListStandIn : public QWidget, public AthleteListInterface {
    Q_OBJECT
    Q_INTERFACES(AthleteListInterface)
public:
    explicit ListStandIn(QWidget *parent) : QWidget(parent) {}
    QString currentAthlete() const override { return QStringLiteral("A1"); }
    bool filterActive() const override { return false; }
    void removeFilter() override {}
    QString athleteSurname() const override { return surname; }
    QString athleteFirstName() const override { return firstName; }
    dao::RecordsetPtr listRows() const override
    {
        if (!rows)
            rows = CurrentDb->OpenRecordset(source, dao::dbOpenSnapshot);
        return rows->Clone();
    }
    QString surname = QStringLiteral("Rossi"), firstName = QStringLiteral("Ugo"), source;
    mutable dao::RecordsetPtr rows;
};

QString g_source;   // the rows of the next stand-in

// Rows of climbs (name, km, time, speed, VAM, power) or of trainings.
QString ClimbRows(std::initializer_list<const char *> rows)
{
    QStringList parts;
    for (const char *r : rows)
        parts << QStringLiteral("SELECT %1").arg(QString::fromUtf8(r));
    return parts.join(QStringLiteral(" UNION ALL "));
}

} // namespace

class ChartWindowTest : public ProfileWindowTest {
protected:
    void SetUp() override
    {
        ProfileWindowTest::SetUp();
        RegisterAthletesWindows();
        m_registered << QStringLiteral("frmGrafico") << QStringLiteral("frmPrestAll") << QStringLiteral("frmAngolo")
                     << QStringLiteral("frmDatiPers") << QStringLiteral("frmTempiAll") << QStringLiteral("frmTempiSal")
                     << QStringLiteral("DataFilter") << QStringLiteral("frmFind") << QStringLiteral("frmStates");
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome], [Nome], [Peso], [Pesobici]) "
                                          "VALUES ('A1', 'Rossi', 'Ugo', 70, 8)"));
    }
    void TearDown() override
    {
        g_source.clear();
        ProfileWindowTest::TearDown();
    }

    // Stand-ins for both lists, their rows from g_source when loaded.
    ListStandIn *StandIn(const char *name, const QString &source)
    {
        g_source = source;
        WindowRegistry::Register(QString::fromLatin1(name), [](QWidget *parent) {
            auto *w = new ListStandIn(parent);
            w->source = g_source;
            return w;
        });
        return qobject_cast<ListStandIn *>(WindowRegistry::Show(QString::fromLatin1(name)));
    }
    frmGrafico *Chart() { return qobject_cast<frmGrafico *>(WindowRegistry::Find(QStringLiteral("frmGrafico"))); }
    void AddTime(bool climb, const char *place, const char *date, const char *time)
    {
        CurrentDb->Execute(climb ? QStringLiteral("INSERT INTO [Tempi Salita] ([IDPersonale], [IDPercorso], [Data], [Tempo], "
                                                  "[Anteriore], [Posteriore]) VALUES ('A1', ?, ?, ?, 39, 23)")
                                 : QStringLiteral("INSERT INTO [Tempi Allenamento] ([IDPersonale], [IDPercorso], [Data], [Tempo]) "
                                                  "VALUES ('A1', ?, ?, ?)"),
                           0, {QString::fromUtf8(place), QString::fromUtf8(date), QString::fromUtf8(time)});
    }
    // A chart of the given speeds from the climb stand-in.
    frmGrafico *ChartOf(std::initializer_list<const char *> rows)
    {
        StandIn("frmAngolo", ClimbRows(rows));
        m_window->mnuVAM_Click();
        QApplication::processEvents();
        return Chart();
    }
    static QString Grafico(const char *key)
    {
        return GetSetting(AppName, QStringLiteral("Grafico"), QString::fromLatin1(key), QStringLiteral("<missing>"));
    }
};

// ---------------------------------------------------------------------------
// Hand-off

TEST_F(ChartWindowTest, FewerThanTwoRowsAreRefusedAndChangeNothing)
{
    ChartHandoff::Fill(ChartHandoff::Kind::Climbs, QStringLiteral("before"), QVector<ChartRecord>(3));
    const struct {
        const char *list;
        QString rows;
    } cases[] = {
        {"frmAngolo", ClimbRows({"'Giau' AS IDPercorso, '2004-06-01' AS Data, 10 AS Lunghezza, '01:00:00' AS Tempo, "
                                 "10 AS [Velocità], 900 AS VAM, 200 AS Potenza"})},
        {"frmPrestAll", ClimbRows({"'Giro' AS IDPercorso, '2004-06-01' AS Data, 40 AS Distanza, '01:00:00' AS Tempo, "
                                   "30 AS [Velocità media], 200 AS Potenza"})},
        {"frmAngolo", QStringLiteral("SELECT * FROM [Riepilogo Salite] WHERE IDPersonale = 'nobody'")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.list);
        TestSupport::Script().shown.clear();
        StandIn(c.list, c.rows);
        if (QByteArray(c.list) == "frmAngolo")
            m_window->mnuVAM_Click();
        else
            m_window->mnuVelocita_Click();
        ASSERT_EQ(TestSupport::Script().shown.size(), 1u);
        EXPECT_EQ(TestSupport::Script().shown[0].text, QStringLiteral("Unable to draw profile.\nInsufficient samples number."));
        EXPECT_EQ(TestSupport::Script().shown[0].style, 48);
        EXPECT_EQ(ChartTitle, QStringLiteral("before"));
        EXPECT_EQ(ChartMode, QStringLiteral("SALITE"));
        EXPECT_EQ(ChartPointCount, 3);
        EXPECT_EQ(ChartData.size(), 3);
        EXPECT_EQ(Chart(), nullptr);
        WindowRegistry::Unload(QString::fromLatin1(c.list));
    }
}

TEST_F(ChartWindowTest, TwoRowsWithNullNumbersAndADatabaseError)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, NULL AS Data, NULL AS Lunghezza, NULL AS Tempo, "
                                 "NULL AS [Velocità], NULL AS VAM, NULL AS Potenza",
                                 "'Fedaia', '2004-06-02', 14.1, '01:10:00', 12.5, 1100, 240.5"});
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
    EXPECT_EQ(ChartTitle, QStringLiteral("Rossi Ugo Climb Performances"));
    EXPECT_EQ(chart->windowTitle(), ChartTitle);
    EXPECT_EQ(ChartPointCount, 2);
    ASSERT_EQ(ChartData.size(), 2);
    EXPECT_EQ(ChartData[0].name, QStringLiteral("Giau"));
    EXPECT_EQ(ChartData[0].date, QString());
    EXPECT_EQ(ChartData[0].speed, 0.0f);
    EXPECT_EQ(ChartData[0].power, 0.0f);
    EXPECT_EQ(ChartData[0].climbRate, 0);
    EXPECT_EQ(ChartData[1].length, QStringLiteral("14.1"));
    EXPECT_EQ(ChartData[1].speed, 12.5f);
    EXPECT_EQ(ChartData[1].power, 240.5f);
    EXPECT_EQ(ChartData[1].climbRate, 1100);
    EXPECT_EQ(chart->StepCount(), 1);
    EXPECT_EQ(chart->Series().values, QVector<float>({0, 12.5f}));

    // A list whose rows cannot be read: the error is told, the hand-off stays.
    WindowRegistry::Unload(QStringLiteral("frmAngolo"));
    StandIn("frmAngolo", QStringLiteral("SELECT * FROM [No such table]"));
    m_window->mnuVAM_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages()[0].startsWith(QStringLiteral("Error "))) << TestSupport::Script().messages()[0].toStdString();
    EXPECT_EQ(ChartData.size(), 2);
    EXPECT_EQ(ChartData[1].name, QStringLiteral("Fedaia"));
    // So is a climb rate beyond a 16-bit integer.
    WindowRegistry::Unload(QStringLiteral("frmAngolo"));
    StandIn("frmAngolo", ClimbRows({"'A' AS IDPercorso, '' AS Data, 1 AS Lunghezza, '' AS Tempo, 1 AS [Velocità], 40000 AS VAM, 1 AS Potenza",
                                    "'B', '', 1, '', 1, 1, 1"}));
    m_window->mnuVAM_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 2);
    EXPECT_EQ(TestSupport::Script().messages()[1], QStringLiteral("Error 6: Overflow"));
    EXPECT_EQ(ChartData[1].name, QStringLiteral("Fedaia"));
    // And more rows than a chart takes; the most it takes are taken.
    const QString rows = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "SELECT 'C' || i AS IDPercorso, '' AS Data, 1 AS Lunghezza, '' AS Tempo, i % 50 AS [Velocità], 0 AS VAM, 0 AS Potenza FROM n");
    for (int n : {32768, 32767}) {
        WindowRegistry::Unload(QStringLiteral("frmAngolo"));
        StandIn("frmAngolo", rows.arg(n));
        m_window->mnuVAM_Click();
    }
    ASSERT_EQ(TestSupport::Script().messages().size(), 3);
    EXPECT_EQ(TestSupport::Script().messages()[2], QStringLiteral("Error 6: Overflow"));
    EXPECT_EQ(ChartPointCount, 32767);
    EXPECT_EQ(ChartData.last().name, QStringLiteral("C32767"));
    ASSERT_NE(Chart(), nullptr);
    EXPECT_EQ(Chart()->StepCount(), 32766);
}

TEST_F(ChartWindowTest, AChartRequestWhileTheWindowIsOpenTakesTheNewHandOff)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '2004-06-01' AS Data, 10 AS Lunghezza, '01:00:00' AS Tempo, "
                                 "10 AS [Velocità], 900 AS VAM, 200 AS Potenza",
                                 "'Fedaia', '2004-06-02', 14, '01:10:00', 12, 1100, 240",
                                 "'Pordoi', '2004-06-03', 12, '00:50:00', 14, 1300, 260"});
    ASSERT_NE(chart, nullptr);
    chart->Option1(2)->click();
    EXPECT_EQ(chart->Series().values, QVector<float>({900, 1100, 1300}));
    // The user's size and axis font.
    chart->OuterWindow()->resize(700, 380);
    TestSupport::Script().fonts.push_back(QFont(QStringLiteral("Courier"), 12));
    chart->lblAx_DblClick();
    const QSize size = chart->OuterWindow()->size();
    const int redraws = chart->RedrawCount();

    StandIn("frmPrestAll", ClimbRows({"'Giro' AS IDPercorso, '2004-06-01' AS Data, 40 AS Distanza, '01:00:00' AS Tempo, "
                                      "30.5 AS [Velocità media], 180 AS Potenza",
                                      "'Lago', '2004-06-05', 20, '00:45:00', 26.7, 150"}));
    m_window->mnuVelocita_Click();
    QApplication::processEvents();
    ASSERT_EQ(Chart(), chart);   // the same window
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("Rossi Ugo Tour Performances"));
    EXPECT_EQ(ChartMode, QStringLiteral("ALLENAMENTI"));
    EXPECT_FALSE(chart->Option1(2)->isEnabled());
    EXPECT_TRUE(chart->Option1(0)->isChecked());
    EXPECT_TRUE(chart->Panel(QStringLiteral("Vam"))->isHidden());
    EXPECT_EQ(chart->StepCount(), 1);
    EXPECT_EQ(chart->Series().values, QVector<float>({30.5f, 26.7f}));
    EXPECT_TRUE(chart->Series().title.startsWith(QStringLiteral("Rossi Ugo Tour Performances - Speed")));
    EXPECT_GT(chart->RedrawCount(), redraws);
    EXPECT_EQ(chart->OuterWindow()->size(), size);
    EXPECT_EQ(chart->AxisFont().name, QStringLiteral("Courier"));
    EXPECT_EQ(chart->AxisFont().size, 12.0f);
    EXPECT_EQ(ChartData[0].climbRate, 0);
    EXPECT_EQ(ChartData[0].length, QStringLiteral("40"));
}

TEST_F(ChartWindowTest, RealListsHandOverTheRowsTheGridShows)
{
    AddClimb(QStringLiteral("Giau"), {{0, 1000, ""}, {10, 1900, ""}});
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso], [Lunghezza]) VALUES ('Giro', 40)"));
    AddTime(true, "Stelvio", "2004-06-01", "01:30:00");
    AddTime(true, "Giau", "2004-07-01", "01:00:00");
    AddTime(true, "Stelvio", "2004-08-01", "01:12:00");
    AddTime(false, "Giro", "2004-05-01", "01:20:00");
    AddTime(false, "Giro", "2004-05-08", "01:36:00");

    // Climbs: Stelvio only, by time: the rows as the grid shows them.
    m_window->Toolbar2_ButtonClick(QStringLiteral("b6"));
    auto *climbs = qobject_cast<PerformanceList *>(WindowRegistry::Find(QStringLiteral("frmAngolo")));
    ASSERT_NE(climbs, nullptr);
    ASSERT_TRUE(climbs->ApplyCondition(AthleteLists::FilterCondition(QStringLiteral("IDPercorso"), QStringLiteral("Stelvio"))));
    emit climbs->grid()->horizontalHeader()->sectionClicked(7);   // Tempo, ascending
    ASSERT_EQ(climbs->model()->rowCount(), 2);
    int dateColumn = -1;
    for (int c = 0; c < climbs->model()->columns().size(); ++c)
        if (climbs->model()->columns()[c].field == QLatin1String("Data"))
            dateColumn = c;
    ASSERT_GE(dateColumn, 0);
    const QString shownDate = climbs->model()->index(0, dateColumn).data().toString();
    m_window->MenuItem(QStringLiteral("mnuVAM"))->trigger();
    QApplication::processEvents();
    ASSERT_NE(Chart(), nullptr) << TestSupport::Script().messages().join('|').toStdString();
    EXPECT_EQ(ChartMode, QStringLiteral("SALITE"));
    ASSERT_EQ(ChartData.size(), 2);
    // The day as the grid shows it, with the whole year.
    EXPECT_EQ(ChartData[0].date, shownDate);
    EXPECT_TRUE(shownDate.contains(QStringLiteral("2004"))) << shownDate.toStdString();
    EXPECT_EQ(ChartData[0].time, QStringLiteral("01:12:00"));
    EXPECT_EQ(ChartData[1].time, QStringLiteral("01:30:00"));
    // 20 km and 1000 m in 1.5 h: 13.33 km/h, 667 m/h.
    EXPECT_EQ(ChartData[1].name, QStringLiteral("Stelvio"));
    EXPECT_EQ(ChartData[1].length, QStringLiteral("20"));
    EXPECT_FLOAT_EQ(ChartData[1].speed, 13.33f);
    EXPECT_EQ(ChartData[1].climbRate, 667);
    EXPECT_TRUE(Chart()->Option1(2)->isEnabled());
    WindowRegistry::Unload(QStringLiteral("frmGrafico"));
    WindowRegistry::Unload(QStringLiteral("frmAngolo"));

    // Trainings: the speed is the mean speed, no climb rate.
    m_window->Toolbar2_ButtonClick(QStringLiteral("b7"));
    ASSERT_NE(WindowRegistry::Find(QStringLiteral("frmPrestAll")), nullptr);
    m_window->MenuItem(QStringLiteral("mnuVelocità"))->trigger();
    QApplication::processEvents();
    ASSERT_NE(Chart(), nullptr) << TestSupport::Script().messages().join('|').toStdString();
    EXPECT_EQ(ChartMode, QStringLiteral("ALLENAMENTI"));
    EXPECT_EQ(ChartTitle, QStringLiteral("Rossi Ugo Tour Performances"));
    ASSERT_EQ(ChartData.size(), 2);
    EXPECT_EQ(ChartData[0].length, QStringLiteral("40"));
    EXPECT_FLOAT_EQ(ChartData[0].speed, 30);
    EXPECT_FLOAT_EQ(ChartData[1].speed, 25);
    EXPECT_EQ(ChartData[0].climbRate, 0);
    EXPECT_GT(ChartData[0].power, 0);
    EXPECT_FALSE(Chart()->Option1(2)->isEnabled());
}

// ---------------------------------------------------------------------------
// The window

TEST_F(ChartWindowTest, DefaultsCaptionsAndSettingsWrittenOnClose)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '2004-06-01' AS Data, 10 AS Lunghezza, '01:00:00' AS Tempo, "
                                 "25 AS [Velocità], 900 AS VAM, 200 AS Potenza",
                                 "'Fedaia', '2004-06-02', 14, '01:10:00', 50, 1100, 240"});
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->OuterWindow()->size(), QSize(11500 / 15, 7500 / 15));
    EXPECT_EQ(chart->OuterWindow()->pos(), QPoint(225 / 15, 2025 / 15));
    const Chart::AxisFont &f = chart->AxisFont();
    EXPECT_EQ(f.name, QStringLiteral("Arial"));
    EXPECT_EQ(f.size, 8.0f);
    EXPECT_EQ(f.bold + f.italic + f.strikethru + f.underline + f.color, 0);
    // Opened for the first time, the scale's values stand at least a line apart.
    const Chart::Layout &l = chart->Layout();
    EXPECT_GE(l.PlotHeight / double(Chart::LevelCount), QFontMetricsF(f.toFont(), chart->Picture1()).height())
        << l.PlotHeight;
    EXPECT_TRUE(chart->Option1(0)->isChecked());
    EXPECT_TRUE(chart->Option1(2)->isEnabled());
    EXPECT_FALSE(chart->Panel(QStringLiteral("Vam"))->isHidden());
    EXPECT_EQ(chart->Option1(2)->text(), QStringLiteral("C.R."));
    EXPECT_EQ(chart->lblAx()->toolTip(), QStringLiteral("Double click here to change font"));
    EXPECT_EQ(chart->mnuOption()->title(), QStringLiteral("Options..."));
    EXPECT_EQ(chart->MenuItem(QStringLiteral("mnuSaveBmp"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(chart->MenuItem(QStringLiteral("mnuImposta"))->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    // Drawn once at the surface's size, the size panel filled.
    const QSize surface = chart->Picture1()->size();
    EXPECT_EQ(chart->Picture1()->Image().size(), surface);
    EXPECT_EQ(chart->Panel(QStringLiteral("size"))->text(),
              QStringLiteral("Size: %1 x %2").arg(surface.width()).arg(surface.height()));
    EXPECT_TRUE(chart->Layout().drawn);
    // Power draws red; speed afterwards leaves none of it under the blue.
    auto pixels = [chart](const QColor &c) {
        const QImage &img = chart->Picture1()->Image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += QColor(img.pixel(x, y)) == c;
        return n;
    };
    chart->Option1(1)->click();
    EXPECT_GT(pixels(QColor(255, 0, 0)), 100);
    chart->Option1(0)->click();
    EXPECT_EQ(pixels(QColor(255, 0, 0)), 0);
    EXPECT_GT(pixels(QColor(0, 0, 255)), 100);

    chart->close();
    QApplication::processEvents();
    EXPECT_EQ(Grafico("width"), QString::number(11500 / 15 * 15));
    EXPECT_EQ(Grafico("top"), QString::number(2025 / 15 * 15));
    EXPECT_EQ(Grafico("AX_FontName"), QStringLiteral("Arial"));
    EXPECT_EQ(Grafico("AX_FontSize"), QStringLiteral("8"));
    EXPECT_EQ(Grafico("AX_FontBold"), QStringLiteral("0"));
    EXPECT_EQ(Grafico("AX_Color"), QStringLiteral("0"));
}

TEST_F(ChartWindowTest, BadSettingsAndAMissingFontOpenTheWindowAllTheSame)
{
    for (const auto &kv : {std::pair{"height", "high"}, {"width", "1e99"}, {"left", ""}, {"AX_FontSize", "-2"},
                           {"AX_FontName", "No Such Font Face"}, {"AX_Color", "red"}, {"AX_FontBold", "x"}})
        SaveSetting(AppName, QStringLiteral("Grafico"), QString::fromLatin1(kv.first), QString::fromLatin1(kv.second));
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza",
                                 "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->OuterWindow()->size(), QSize(11500 / 15, 7500 / 15));
    EXPECT_EQ(chart->AxisFont().size, 8.0f);
    EXPECT_EQ(chart->AxisFont().name, QStringLiteral("No Such Font Face"));
    EXPECT_EQ(chart->AxisFont().color, 0);
    EXPECT_TRUE(chart->Layout().drawn);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(ChartWindowTest, AxisFontPickerAndAMinimisedClose)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza",
                                 "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    // Cancel: the chart is redrawn, nothing else changes.
    int redraws = chart->RedrawCount();
    TestSupport::Script().fonts.push_back(std::nullopt);
    Mouse(chart->lblAx(), QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPointF(5, 5));
    EXPECT_EQ(cmDlg1.Flags, 257);
    EXPECT_EQ(chart->RedrawCount(), redraws + 1);
    EXPECT_EQ(chart->AxisFont().name, QStringLiteral("Arial"));
    EXPECT_EQ(chart->AxisFont().bold, 0);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    // A font chosen: the label, the fields (a flag on reads -1) and a redraw.
    QFont chosen(QStringLiteral("Courier"));
    chosen.setPointSizeF(10.5);
    chosen.setBold(true);
    chosen.setUnderline(true);
    TestSupport::Script().fonts.push_back(FontDialogResult(chosen, QColor(0, 128, 255)));
    redraws = chart->RedrawCount();
    chart->lblAx_DblClick();
    // The dialog offered the effects and the colour, starting from black.
    EXPECT_TRUE(TestSupport::Script().shown.back().font.colorOffered);
    EXPECT_EQ(TestSupport::Script().shown.back().font.color, QColor(Qt::black));
    EXPECT_EQ(chart->AxisFont().color, 0 + 128 * 256 + 255 * 65536);
    EXPECT_EQ(chart->lblAx()->palette().color(QPalette::WindowText), QColor(0, 128, 255));
    EXPECT_EQ(chart->RedrawCount(), redraws + 1);
    EXPECT_EQ(chart->AxisFont().name, QStringLiteral("Courier"));
    EXPECT_EQ(chart->AxisFont().size, 10.5f);
    EXPECT_EQ(chart->AxisFont().bold, -1);
    EXPECT_EQ(chart->AxisFont().underline, -1);
    EXPECT_EQ(chart->AxisFont().italic, 0);
    EXPECT_TRUE(chart->lblAx()->font().bold());
    EXPECT_EQ(chart->lblAx()->font().family(), QStringLiteral("Courier"));

    // Closed minimised: the font is kept, the place and size are not.
    chart->OuterWindow()->showMinimized();
    QApplication::processEvents();
    chart->close();
    QApplication::processEvents();
    EXPECT_EQ(Grafico("AX_FontName"), QStringLiteral("Courier"));
    EXPECT_EQ(Grafico("AX_FontSize"), QStringLiteral("10"));
    EXPECT_EQ(Grafico("AX_FontBold"), QStringLiteral("-1"));
    EXPECT_EQ(Grafico("AX_Color"), QString::number(0 + 128 * 256 + 255 * 65536));
    EXPECT_EQ(Grafico("height"), QStringLiteral("<missing>"));
    EXPECT_EQ(Grafico("left"), QStringLiteral("<missing>"));
}

TEST_F(ChartWindowTest, ReadoutFollowsTheLeftButtonOnly)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '2004-06-01' AS Data, 10 AS Lunghezza, '01:00:00' AS Tempo, "
                                 "25 AS [Velocità], 900 AS VAM, 200 AS Potenza",
                                 "'Fedaia', '2004-06-02', 14.1, '01:10:00', 50, 1100, 240"});
    ASSERT_NE(chart, nullptr);
    DrawingSurface *surface = chart->Picture1();
    const Chart::Layout &l = chart->Layout();
    const double y = l.SurfaceHeight - l.MarginY - l.PlotHeight / 2.0;
    const QPointF right(l.MarginX + l.PlotWidth - 3, y), left(l.MarginX + 3, y);
    const QString nameCaption = chart->Panel(QStringLiteral("Nome"))->text();

    // The right button, or both, show nothing.
    Mouse(surface, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, right);
    Mouse(surface, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, right);
    EXPECT_EQ(chart->Panel(QStringLiteral("Nome"))->text(), nameCaption);
    EXPECT_EQ(surface->Shown(), surface->Image());

    Mouse(surface, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, right);
    EXPECT_EQ(chart->Panel(QStringLiteral("Nome"))->text(), QStringLiteral("Name: Fedaia"));
    EXPECT_EQ(chart->Panel(QStringLiteral("Lunghezza"))->text(), QStringLiteral("Distance: 14.10"));
    EXPECT_EQ(chart->Panel(QStringLiteral("Vam"))->text(), QStringLiteral("C.R.: 1100"));
    EXPECT_EQ(chart->Panel(QStringLiteral("power"))->text(), QStringLiteral("Power: 240"));
    const int cx = int(std::lround(right.x()));
    EXPECT_EQ(QColor(surface->Shown().pixel(cx, int(y))), QColor(255, 0, 0));   // the cursor
    EXPECT_EQ(surface->cursor().shape(), Qt::CrossCursor);

    Mouse(surface, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, left);
    EXPECT_EQ(chart->Panel(QStringLiteral("Nome"))->text(), QStringLiteral("Name: Giau"));
    EXPECT_NE(QColor(surface->Shown().pixel(cx, int(y))), QColor(255, 0, 0));   // the old cursor is gone
    // Outside the value area nothing changes.
    Mouse(surface, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPointF(l.MarginX, y));
    EXPECT_EQ(chart->Panel(QStringLiteral("Nome"))->text(), QStringLiteral("Name: Giau"));
    Mouse(surface, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, left);
    EXPECT_EQ(surface->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ChartWindowTest, TooSmallASurfaceKeepsTheOldPicture)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza",
                                 "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    const QImage before = chart->Picture1()->Image();
    chart->Picture1()->resize(150, 90);
    EXPECT_EQ(chart->Panel(QStringLiteral("size"))->text(), QStringLiteral("Size: 150 x 90"));
    EXPECT_EQ(chart->Picture1()->Image(), before);
    EXPECT_FALSE(chart->Layout().drawn);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(ChartWindowTest, PrintsTheWholeZoomedDrawingToPdf)
{
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza",
                                 "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    chart->Frame()->SetZoom(4);
    const int width = chart->Frame()->Picture2()->width() * 4;
    ASSERT_EQ(chart->Picture1()->Image().width(), width);
    const QString pdf = TempPath(QStringLiteral("chart.pdf"));
    SharedPrinter().SetOutputFileName(pdf);
    chart->MenuItem(QStringLiteral("mnuPrint"))->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    // One picture: the whole four-times-wide drawing.
    const QString list = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    const QStringList lines = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << list.toStdString();
    const QStringList cols = lines[2].simplified().split(QLatin1Char(' '));
    EXPECT_EQ(cols.value(3).toInt(), width) << list.toStdString();
    EXPECT_EQ(cols.value(4).toInt(), chart->Picture1()->height()) << list.toStdString();

    // Without a printer the chart goes to a PDF file named after it; a cancel prints nothing.
    SharedPrinter().SetOutputFileName(QString());
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString chosen = TempPath(QStringLiteral("chosen.pdf"));
    TestSupport::ResetScript().files = {std::nullopt, chosen};
    chart->MyPrint();
    EXPECT_FALSE(SharedPrinter().InDocument());
    chart->MyPrint();
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 2u);   // the two file dialogs, no message
    EXPECT_EQ(shown[0].request.fileName, chart->windowTitle() + QStringLiteral(".pdf"));
    EXPECT_TRUE(QFile::exists(chosen));
}

TEST_F(ChartWindowTest, SavesTheThreePictureTypesUnderTheChartsTitle)
{
    QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("bmp2png")), ProgramPath(QStringLiteral("bmp2png")));
    QFile::setPermissions(ProgramPath(QStringLiteral("bmp2png")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    frmGrafico *chart = ChartOf({"'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza",
                                 "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    const QString settingsBefore = [] {
        QFile f(SettingsFilePath(AppName));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }();
    cmDlg1.InitDir = TempPath(QString());   // where another user of the shared dialog left it
    bool first = true;
    const struct {
        int filter;
        const char *written;
        const char *format;
    } cases[] = {{1, "chart.bmp", "bmp"}, {2, "chart.jpg", "jpeg"}, {3, "chart.png", "png"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.written);
        TestSupport::Script().files.push_back(TempPath(QStringLiteral("chart")));
        TestSupport::Script().filterIndexes.push_back(c.filter);
        chart->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
        QImageReader reader(TempPath(QString::fromLatin1(c.written)));
        EXPECT_EQ(reader.format(), QByteArray(c.format));
        EXPECT_EQ(reader.size(), chart->Picture1()->Image().size());
        const auto &shown = TestSupport::Script().shown.back();
        EXPECT_EQ(shown.request.fileName, QStringLiteral("Rossi Ugo Climb Performances"));
        EXPECT_EQ(shown.request.title, QStringLiteral("Save As..."));
        EXPECT_EQ(shown.request.filter, GetLangString(3501));
        EXPECT_EQ(shown.request.filterIndex, 1);
        EXPECT_EQ(shown.request.defaultExt, QStringLiteral("bmp"));
        // The first save starts where a first save starts; the next ones
        // where the last one went.
        if (first)
            EXPECT_NE(shown.request.initDir, TempPath(QString()));
        else
            EXPECT_EQ(shown.request.initDir, TempPath(QString()).chopped(1));
        first = false;
    }
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
    QFile f(SettingsFilePath(AppName));
    EXPECT_EQ(f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString(), settingsBefore);
}

// A chart window's first picture save starts in the user's pictures folder,
// or the home folder where there is none: never in the program's folder,
// where the shared dialog starts when no one has used it. A confirmed save
// sets where the window's next save starts; a new window starts afresh, and
// the window keeps no settings.
TEST_F(ChartWindowTest, FirstPictureSaveStartsInThePicturesFolderOrHome)
{
    const char *row = "'Giau' AS IDPercorso, '' AS Data, 10 AS Lunghezza, '' AS Tempo, 25 AS [Velocità], 0 AS VAM, 0 AS Potenza";
    const QString pictures = TempPath(QStringLiteral("Pictures"));
    const auto restore = qScopeGuard([before = SpecialFolders.MyPictures()] { SpecialFolders.MyPictures(before); });
    SpecialFolders.MyPictures(pictures);
    const QString programFolder = QDir::currentPath();
    cmDlg1.InitDir.clear();
    const QString settingsBefore = [] {
        QFile f(SettingsFilePath(AppName));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }();
    auto startOfNextSave = [](frmGrafico *chart) {
        TestSupport::Script().files.push_back(std::nullopt);   // cancelled: nothing is remembered
        chart->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
        return TestSupport::Script().shown.back().request.initDir;
    };
    frmGrafico *chart = ChartOf({row, "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    const struct {
        const char *what;
        bool picturesMade;
        QString expected;
    } cases[] = {{"no pictures folder", false, Shell::HomeFolder()}, {"a pictures folder", true, pictures}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.picturesMade) {
            ASSERT_TRUE(QDir().mkpath(pictures));
        }
        const QString start = startOfNextSave(chart);
        EXPECT_EQ(start, c.expected);
        EXPECT_NE(start, programFolder);
    }
    ASSERT_TRUE(QDir().mkpath(TempPath(QStringLiteral("charts"))));
    TestSupport::Script().files.push_back(TempPath(QStringLiteral("charts/vam")));
    chart->MenuItem(QStringLiteral("mnuSaveBmp"))->trigger();
    ASSERT_TRUE(QFile::exists(TempPath(QStringLiteral("charts/vam.bmp"))));
    EXPECT_EQ(startOfNextSave(chart), TempPath(QStringLiteral("charts")));
    QFile f(SettingsFilePath(AppName));
    EXPECT_EQ(f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString(), settingsBefore);

    // Closed and opened again (the window writes its chart settings as it closes).
    WindowRegistry::Unload(QStringLiteral("frmGrafico"));
    chart = ChartOf({row, "'Fedaia', '', 14, '', 50, 0, 0"});
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(startOfNextSave(chart), pictures);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
}

#include "chart_window_test.moc"
