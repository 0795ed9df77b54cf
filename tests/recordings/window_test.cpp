// The recording window driven as a user would: open, read the summary and
// the table, copy, import into the open database, export a workbook.
#include "TestSupport.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/WindowRegistry.h"
#include "platform/com/ComRegistry.h"
#include "platform/settings/Settings.h"
#include "recordings/RecordingTableModel.h"
#include "recordings/RegisterWindows.h"
#include "platform/shell/ReadLimits.h"
#include "recordings/frmHRate.h"
#include "recordings_logic/recordings_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>

using namespace RecordingsTest;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &u) { urls << u; }
};

void Click(QWidget *target, QPoint at, Qt::KeyboardModifiers mods = {})
{
    const QPointF local(at), global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, mods);
    QApplication::sendEvent(target, &release);
}
void Click(QWidget *target) { Click(target, target->rect().center()); }

void Key(QWidget *target, int key, Qt::KeyboardModifiers mods = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(target, &release);
}

class RecordingWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        ASSERT_TRUE(m_root.isValid());
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("bin/Icons"));
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")),
                    root.filePath(QStringLiteral("bin/ZidoVodu.dat")));
        AppPath = root.filePath(QStringLiteral("bin"));
        AppName = QStringLiteral("vettaro-recordings-")
            + QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QFile::remove(SettingsFilePath(AppName));
        OpenDatabaseFile(root.filePath(QStringLiteral("rides.dat")));
        ASSERT_TRUE(CurrentDb);
    }
    void TearDown() override
    {
        m_window.reset();
        if (CurrentDb)
            CurrentDb->Close();
        ResetGlobals();
    }

    frmHRate &Open()
    {
        m_window = std::make_unique<frmHRate>();
        m_window->show();
        QApplication::processEvents();
        return *m_window;
    }
    void Close()
    {
        m_window->close();
        m_window.reset();
    }
    template <class T> T *Ctl(const char *name) const { return qobject_cast<T *>(m_window->Control(QLatin1String(name))); }
    QString Text(const char *name) const
    {
        if (auto *l = Ctl<QLabel>(name))
            return l->text();
        return Ctl<QLineEdit>(name)->text();
    }
    QTableView *Grid() const { return Ctl<QTableView>("MSFlexGrid1"); }
    QString Path(const QString &name) const { return QDir(m_root.path()).filePath(name); }
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return Path(name);
    }
    int Count(const QString &sql, const QVariantList &params = {})
    {
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot, 0, params);
        if (!rs->AtEOF())
            rs->MoveLast();
        const int n = rs->RecordCount();
        rs->Close();
        return n;
    }

    QTemporaryDir m_root;
    std::unique_ptr<frmHRate> m_window;
};

} // namespace

// Opening each kind of real file fills the summary, guesses the type and
// shows every sample; the buttons come on.
TEST_F(RecordingWindow, OpensRealFilesIntoSummaryAndTable)
{
    TestSupport::LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
    frmHRate &w = Open();
    EXPECT_FALSE(Ctl<QPushButton>("cmdImport")->isEnabled());
    EXPECT_EQ(Ctl<QComboBox>("Combo1")->currentIndex(), -1);
    EXPECT_EQ(Ctl<QComboBox>("cmbFilter")->currentIndex(), 0);

    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("s725-cycling-metric.hrm")), 1));
    EXPECT_EQ(w.DataKind(), QStringLiteral("hrm"));
    EXPECT_EQ(Text("txtName"), QStringLiteral("s725-cycling-metric"));
    EXPECT_EQ(Text("lblLunghezza"), QStringLiteral("112.3848"));
    EXPECT_EQ(Text("lblTime"), QStringLiteral("05:09:55"));
    EXPECT_EQ(Text("lblStartHeight"), QStringLiteral("219"));
    EXPECT_EQ(Text("lblEndHeight"), QStringLiteral("243"));
    EXPECT_EQ(Text("lblAdj"), QStringLiteral("219"));
    EXPECT_EQ(Ctl<QComboBox>("Combo1")->currentIndex(), 1);   // about flat: a route
    EXPECT_EQ(Grid()->model()->rowCount(), 3720);
    EXPECT_EQ(Grid()->model()->headerData(2, Qt::Horizontal).toString(), GetLangString(15510));
    EXPECT_TRUE(Ctl<QPushButton>("cmdImport")->isEnabled());
    EXPECT_TRUE(Ctl<QPushButton>("cmdExcel")->isEnabled());

    // The climb: the tour file's total distance is the length.
    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("hac4-pailheres.tur")), 1));
    EXPECT_EQ(w.DataKind(), QStringLiteral("tur"));
    EXPECT_EQ(Text("txtName"), QStringLiteral("hac4-pailheres"));
    EXPECT_EQ(Text("lblLunghezza"), QStringLiteral("40.1"));
    EXPECT_EQ(Text("lblStartHeight"), QStringLiteral("664"));
    EXPECT_EQ(Grid()->model()->rowCount(), 453);
    EXPECT_EQ(w.HrmData()->Samples()->Count(), 3720);   // the .hrm reader keeps its recording
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST(RecordingWindowType, GuessFromMeanGradient)
{
    struct Case { int start, end; float km; int type; };
    for (const Case &c : {Case{100, 300, 10, 1}, Case{100, 300, 9.9f, 0}, Case{500, 300, 5, 1}, Case{100, 900, 0, 0},
                          Case{100, 100, 0, 0}})
        EXPECT_EQ(frmHRate::GuessedType(int16_t(c.start), int16_t(c.end), c.km), c.type) << c.end << " " << c.km;
}

// Row texts follow the locale's decimal mark, without grouping.
TEST(RecordingWindowTable, RowTextsInPointAndCommaLocales)
{
    Sample s;
    s.Seconds(3725);
    s.Distance(12.3f);
    s.Height(85);
    s.Speed(31.456f);
    s.Pulse(142);
    s.Cadence(90);
    s.Temperature(21.5f);
    s.Power(250);
    s.PowerBalance(48);
    s.PedalingIndex(35);
    auto row = [&](const QLocale &l) {
        TestSupport::LocaleScope scope(l);
        QStringList cells;
        for (int c = 0; c < 11; ++c)
            cells << RecordingTableModel::CellText(s, 7, c, l);
        return cells.join('|');
    };
    EXPECT_EQ(row(QLocale(QLocale::English, QLocale::UnitedStates)), "7|01:02:05|12.30|85|31.46|142|90|21.5|250|48|35");
    EXPECT_EQ(row(QLocale(QLocale::Italian, QLocale::Italy)), "7|01:02:05|12,30|85|31,46|142|90|21,5|250|48|35");
    s.Distance(1234.5f);
    EXPECT_EQ(RecordingTableModel::CellText(s, 1, 2, QLocale(QLocale::German, QLocale::Germany)), "1234,50");
    // No negative zero: a figure that shows as zero has no sign.
    s.Speed(-0.001f);
    s.Temperature(-0.0f);
    EXPECT_EQ(RecordingTableModel::CellText(s, 1, 4, QLocale(QLocale::German, QLocale::Germany)), "0,00");
    EXPECT_EQ(RecordingTableModel::CellText(s, 1, 7, QLocale(QLocale::German, QLocale::Germany)), "0");
}

// Copying a 2 x 2 block, the pop-up menu, and what closing leaves on the clipboard.
TEST_F(RecordingWindow, CopiesTheSelectionAndClearsOnlyItsOwnText)
{
    TestSupport::LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
    frmHRate &w = Open();
    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("hac4-pailheres.tur")), 2));
    QTableView *grid = Grid();
    grid->setFocus();
    Click(grid->viewport(), grid->visualRect(grid->model()->index(1, 1)).center());
    Click(grid->viewport(), grid->visualRect(grid->model()->index(2, 2)).center(), Qt::ShiftModifier);
    EXPECT_FALSE(w.PopUpMenu()->isVisible());   // a left click opens no menu
    Key(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("00:00:20\t0.08\r00:00:40\t0.17"));

    // A right click opens the pop-up menu with its one item, Copy.
    const QPoint at = grid->visualRect(grid->model()->index(1, 1)).center();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &menu);
    EXPECT_TRUE(w.PopUpMenu()->isVisible());
    ASSERT_EQ(w.PopUpMenu()->actions().size(), 1);
    w.PopUpMenu()->hide();

    Close();
    EXPECT_EQ(QApplication::clipboard()->text(), QString());

    // Another program's text put there after the copy survives the closing.
    frmHRate &again = Open();
    ASSERT_TRUE(again.OpenRecording(Device(QStringLiteral("hac4-pailheres.tur")), 2));
    Grid()->setCurrentIndex(Grid()->model()->index(0, 3));
    again.mnuFileCopy_Click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("664"));
    QApplication::clipboard()->setText(QStringLiteral("from another program"));
    Close();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("from another program"));
}

// A file the reader refuses is told with its reason; the recording shown
// before stays, with its reader.
TEST_F(RecordingWindow, AFailedReadKeepsThePreviousRecording)
{
    frmHRate &w = Open();
    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("s710-cycling-metric.hrm")), 1));
    const QString bad = Write(QStringLiteral("bad.hrm"), HrmText("106", "10000000", 5, {"120\t250", "121\t12a"}));
    EXPECT_FALSE(w.OpenRecording(bad, 1));
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    const QString reason = FormatLangString(GetLangString(RecordingText::NotANumber), {"8", "12a"});
    EXPECT_EQ(TestSupport::Script().messages().first(),
              FormatLangString(GetLangString(15536), {QStringLiteral("bad.hrm"), reason}));
    EXPECT_EQ(Text("txtName"), QStringLiteral("s710-cycling-metric"));
    EXPECT_EQ(Grid()->model()->rowCount(), 294);
    EXPECT_EQ(w.HrmData()->Samples()->Count(), 294);
    EXPECT_TRUE(Ctl<QPushButton>("cmdImport")->isEnabled());
}

// A file past the size cap is refused before it is read, the reason told,
// and the status bar says "Ready." again.
TEST_F(RecordingWindow, AFileOverTheCapIsRefused)
{
    frmHRate &w = Open();
    const QString huge = Write(QStringLiteral("huge.hrm"), HrmText("106", "10000000", 5, {"120\t250"}));
    ASSERT_TRUE(QFile(huge).resize(readlimits::MaxRecordingBytes + 1));   // sparse: no bytes on the disk
    EXPECT_FALSE(w.OpenRecording(huge, 1));
    EXPECT_EQ(TestSupport::Script().messages(),
              QStringList{FormatLangString(GetLangString(15536),
                                           {QStringLiteral("huge.hrm"),
                                            FormatLangString(GetLangString(171), {QStringLiteral("64")})})});
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), GetLangString(15523));
    EXPECT_FALSE(Ctl<QPushButton>("cmdImport")->isEnabled());
}

// The extension chooses the reader; the filter only for other names.
TEST_F(RecordingWindow, TheReaderFollowsTheExtension)
{
    frmHRate &w = Open();
    QFile tur(Device(QStringLiteral("hac4-pailheres.tur")));
    ASSERT_TRUE(tur.open(QIODevice::ReadOnly));
    const QByteArray bytes = tur.readAll();
    EXPECT_TRUE(w.OpenRecording(Write(QStringLiteral("CLIMB.TUR"), bytes), 1));
    EXPECT_EQ(w.DataKind(), QStringLiteral("tur"));
    EXPECT_TRUE(w.OpenRecording(Device(QStringLiteral("s710-cycling-metric.hrm")), 2));
    EXPECT_EQ(w.DataKind(), QStringLiteral("hrm"));
    EXPECT_TRUE(w.OpenRecording(Write(QStringLiteral("climb.dat"), bytes), 2));
    EXPECT_EQ(w.DataKind(), QStringLiteral("tur"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// The open command through the file dialog keeps its folder, filter and extension.
TEST_F(RecordingWindow, OpenCommandKeepsItsSettings)
{
    frmHRate &w = Open();
    TestSupport::Script().files.push_back(std::nullopt);   // cancelled: nothing changes
    w.mnuHROpen_Click();
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("HRateDir")), QString());
    const QString path = Device(QStringLiteral("s710-cycling-english.hrm"));
    TestSupport::Script().files.push_back(path);
    w.mnuHROpen_Click();
    EXPECT_EQ(w.DataKind(), QStringLiteral("hrm"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("HRateDir")), QFileInfo(path).absolutePath());
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("HRateFilter")), QStringLiteral("1"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("HRateExt")), QStringLiteral("hrm"));
    const auto &shown = TestSupport::Script().shown.back();
    EXPECT_EQ(shown.request.filter, QStringLiteral("Polar (*.hrm)|*.hrm|Tour (*.tur)|*.tur"));
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), GetLangString(15523));
}

// Column widths and the header height are kept in twips over a close.
TEST_F(RecordingWindow, TableLayoutKeptInTwips)
{
    Open();
    // Without stored widths: 1000 twips, or the header's longest word when wider.
    EXPECT_GE(Grid()->columnWidth(3), 1000 / 15);
    const int fresh4 = Grid()->columnWidth(4);
    Grid()->setColumnWidth(3, 100);
    Close();
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col3Width")),
              QStringLiteral("1500"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col0Width")), QString());
    SaveSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col4Width"), QStringLiteral("wide"));
    SaveSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col5Width"), QStringLiteral("2400"));
    SaveSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col6Width"), QStringLiteral("15"));
    Open();
    EXPECT_EQ(Grid()->columnWidth(3), 100);
    EXPECT_EQ(Grid()->columnWidth(4), fresh4);   // not a number: the default
    EXPECT_EQ(Grid()->columnWidth(5), 160);      // a stored width is taken as it is
    // ... unless it would cut a word of the header ("Cadence").
    QFont bold = Grid()->horizontalHeader()->font();
    bold.setBold(true);
    EXPECT_GT(Grid()->columnWidth(6), QFontMetrics(bold).horizontalAdvance(GetLangString(15514)));
}

// Importing: a climb with its thinned samples; refusals that store nothing;
// a second import of the same name does not read as a success.
TEST_F(RecordingWindow, ImportsIntoTheOpenDatabase)
{
    frmHRate &w = Open();
    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("hac4-pailheres.tur")), 2));
    Ctl<QComboBox>("Combo1")->setCurrentIndex(0);
    Ctl<QComboBox>("cmbFilter")->setCurrentIndex(5);   // 1 km
    for (int i = 0; i < 3; ++i)
        Click(Ctl<QPushButton>("cmdAdjP"));
    EXPECT_EQ(Text("lblAdj"), QStringLiteral("667"));

    for (const QString &name : {QString(), QStringLiteral("   ")}) {
        Ctl<QLineEdit>("txtName")->setText(name);
        Click(Ctl<QPushButton>("cmdImport"));
    }
    Ctl<QLineEdit>("txtName")->setText(QString(251, 'x'));
    w.cmdImport_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 3);
    EXPECT_TRUE(TestSupport::Script().messages().at(1).startsWith(GetLangString(15505) + '\n'));
    EXPECT_EQ(TestSupport::Script().messages().at(2), FormatLangString(GetLangString(15504), {"250"}));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Salite]")), 0);

    Ctl<QLineEdit>("txtName")->setText(QStringLiteral("Port de Pailhères"));
    w.cmdImport_Click();
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), GetLangString(15503));
    dao::RecordsetPtr card = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Salite]"), dao::dbOpenSnapshot);
    EXPECT_EQ(card->Value(QStringLiteral("IDPercorso")).toString(), QStringLiteral("Port de Pailhères"));
    EXPECT_EQ(card->Value(QStringLiteral("QuotaIniziale")).toInt(), 667);
    EXPECT_EQ(card->Value(QStringLiteral("QuotaFinale")).toInt(), 627);
    EXPECT_NEAR(card->Value(QStringLiteral("Lunghezza")).toDouble(), 40.1, 1e-4);
    card->Close();
    const int stored = Count(QStringLiteral("SELECT * FROM CampioniSalite WHERE IDPercorso=?"), {"Port de Pailhères"});
    EXPECT_GT(stored, 2);
    EXPECT_LT(stored, 100);
    // Every height shifted by the nudge: the ride's first and last points.
    dao::RecordsetPtr points = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT DistParz, Altezza FROM CampioniSalite ORDER BY DistParz"), dao::dbOpenSnapshot);
    EXPECT_EQ(points->Value(QStringLiteral("DistParz")).toDouble(), 0);
    EXPECT_EQ(points->Value(QStringLiteral("Altezza")).toInt(), 667);
    points->MoveLast();
    EXPECT_NEAR(points->Value(QStringLiteral("DistParz")).toDouble(), 40.1, 1e-4);
    EXPECT_EQ(points->Value(QStringLiteral("Altezza")).toInt(), 627);
    points->Close();

    const size_t before = TestSupport::Script().messages().size();
    w.cmdImport_Click();
    EXPECT_EQ(TestSupport::Script().messages().size(), before + 1);   // 549: already present
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), GetLangString(15542));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM CampioniSalite")), stored);

    // A database error is shown and does not read as a success either.
    CurrentDb->Close();
    Ctl<QLineEdit>("txtName")->setText(QStringLiteral("Port de Pailhères again"));
    w.cmdImport_Click();
    EXPECT_EQ(TestSupport::Script().messages().size(), before + 2);
    EXPECT_TRUE(TestSupport::Script().messages().back().startsWith(QStringLiteral("Error ")))
        << TestSupport::Script().messages().back().toStdString();
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), GetLangString(15542));
}

// A recording without samples loads, refuses the import and exports its header row.
TEST_F(RecordingWindow, ARecordingWithoutSamples)
{
    frmHRate &w = Open();
    ASSERT_TRUE(w.OpenRecording(Write(QStringLiteral("none.hrm"), HrmText("106", "10100000", 5, {})), 1));
    EXPECT_EQ(Text("lblLunghezza"), QStringLiteral("0"));
    EXPECT_EQ(Text("lblTime"), QStringLiteral("00.00.00"));
    EXPECT_EQ(Grid()->model()->rowCount(), 0);
    EXPECT_EQ(Ctl<QComboBox>("Combo1")->currentIndex(), 0);
    w.cmdImport_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_EQ(TestSupport::Script().messages().first(), GetLangString(15537));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Percorsi]")), 0);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const QString target = Path(QStringLiteral("none.xlsx"));
    TestSupport::Script().files.push_back(target);
    w.ExportExcel();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(QFile::exists(target));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls.first(), QUrl::fromLocalFile(target));
    EXPECT_EQ(TestSupport::Script().messages().size(), 1);   // opened: nothing more to say
    EXPECT_EQ(Ctl<QLabel>("txt")->text(), FormatLangString(GetLangString(15540), {target}));
    const auto &save = TestSupport::Script().shown.back();
    EXPECT_EQ(save.kind, QStringLiteral("save"));
    EXPECT_EQ(save.request.filter, GetLangString(15539));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("ExcelDir")), m_root.path());
}

// In every language, with a recording shown: each caption fits its control
// and each header's longest word fits its column.
class RecordingWindowLanguages : public RecordingWindow, public ::testing::WithParamInterface<const char *> {
protected:
    void TearDown() override
    {
        RecordingWindow::TearDown();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

TEST_P(RecordingWindowLanguages, EveryTextFits)
{
    const QString lang = QLatin1String(GetParam());
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
    ASSERT_FALSE(GetLangString(15508).startsWith(QStringLiteral("No")));
    // The widths a first opening stores (1000 twips each) must not cut the
    // longer words of another language.
    for (int col = 1; col <= 10; ++col)
        SaveSetting(AppName, QStringLiteral("frmHRate"), QStringLiteral("MSFlexGrid1 - Col%1Width").arg(col),
                    QStringLiteral("1000"));
    frmHRate &w = Open();
    ASSERT_TRUE(w.OpenRecording(Device(QStringLiteral("hac4-hac5.tur")), 2));
    w.resize(w.sizeHint());
    QApplication::processEvents();
    EXPECT_LE(w.width(), 1000);
    for (QWidget *c : w.findChildren<QWidget *>()) {
        if (!c->isVisibleTo(&w) || c->objectName().isEmpty())
            continue;
        // A label needs its size hint; a button its text (a style's
        // minimum width says nothing about a one-character caption).
        if (auto *l = qobject_cast<QLabel *>(c); l && !l->text().isEmpty()) {
            EXPECT_LE(l->sizeHint().width(), l->width()) << c->objectName().toStdString() << " \"" << l->text().toStdString() << '"';
        }
        if (auto *b = qobject_cast<QAbstractButton *>(c); b && !b->text().isEmpty()) {
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 4, b->width())
                << c->objectName().toStdString() << " \"" << b->text().toStdString() << '"';
        }
    }
    QFont bold = Grid()->horizontalHeader()->font();
    bold.setBold(true);
    for (int col = 1; col <= 10; ++col) {
        const QString header = Grid()->model()->headerData(col, Qt::Horizontal).toString();
        for (const QString &word : header.split(' '))
            EXPECT_LE(QFontMetrics(bold).horizontalAdvance(word), Grid()->columnWidth(col)) << word.toStdString();
        // A unit such as "[S/min]" wraps as a whole: even where the text up to
        // its slash would fit a line, the line ends at a blank.
        const qsizetype slash = header.indexOf(QLatin1Char('/'));
        if (slash < 0)
            continue;
        QTextLayout layout(header, bold);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        // Room for the text up to the slash and half the next letter.
        const QFontMetricsF metrics(bold);
        const qreal width = metrics.horizontalAdvance(header.left(slash + 1))
            + metrics.horizontalAdvance(header.mid(slash + 1, 1)) / 2;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            const qsizetype end = line.textStart() + line.textLength();
            EXPECT_TRUE(end == header.size() || header.at(end - 1).isSpace())
                << header.toStdString() << " breaks after \"" << header.left(end).toStdString() << '"';
        }
        layout.endLayout();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, RecordingWindowLanguages, ::testing::Values("1033", "1040", "3082", "1031", "1036"));

TEST(RecordingWindowRegistry, RegistersTheWindow)
{
    WindowRegistry::Unregister(QStringLiteral("frmHRate"));
    RegisterRecordingsWindows();
    EXPECT_TRUE(WindowRegistry::IsRegistered(QStringLiteral("frmHRate")));
}

#include "window_test.moc"
