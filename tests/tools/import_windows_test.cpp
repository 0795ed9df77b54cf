// The two import wizards driven page by page over small database and profile
// files with scripted dialogs: what reaches the destination, what is said, the
// settings kept, refusals, abort and failure leaving the destination as it was.
#include "records/window_fixture.h"

#include "CoreTestSupport.h"
#include "FileFaults.h"

#include "core/UserFolders.h"
#include "core/WindowRegistry.h"
#include "platform/com/ComRegistry.h"
#include "tools/RegisterWindows.h"
#include "tools/frmImport.h"
#include "tools/frmTxtImport.h"
#include "tools/logic/ImportEngine.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

using TestSupport::ResetScript;
using TestSupport::Script;

namespace {

QByteArray Hash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

using TestFiles::ReadAll;

QStringList Items(QListWidget *l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

// A profile file as other installations write it.
QByteArray Profile(const char *signature, bool climb, const QByteArray &name, int samples, const QByteArray &extra = {})
{
    QByteArray b;
    for (int i = 0; i < samples; ++i)
        b += QByteArray::number(i * 0.5) + "," + QByteArray::number(800 + i) + ",\"\",\"\"\r\n";
    b += "[Prog]\r\nName=" + QByteArray(signature) + "\r\nVersion=4.0.1\r\n[Tab]\r\nName="
         + (climb ? "Dati Salite" : "Dati Percorsi") + "\r\n[Data]\r\nIDPercorso=" + name
         + "\r\nLunghezza=12345\r\nQuotainiziale=800\r\nQuotafinale=1500\r\n" + extra + "[SampleData]\r\nNumber="
         + QByteArray::number(samples) + "\r\n";
    return b;
}

class ImportWindowTest : public CardWindowTest {
protected:
    static void SetUpTestSuite()
    {
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
    }
    static void TearDownTestSuite()
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }

    void SetUp() override
    {
        CardWindowTest::SetUp();
        LangId = SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
        ResetScript();
        QDir(m_root.path()).mkpath(QStringLiteral("tmp"));
        SpecialFolders.Temp(Path(QStringLiteral("tmp/")));
        SpecialFolders.Personal(m_root.path());
        // The log goes to the user's private folder below the runtime folder.
        QDir(m_root.path()).mkpath(QStringLiteral("run/Vettaro"));
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Path(QStringLiteral("run"))));
    }
    void TearDown() override
    {
        if (m_oldRuntime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
        m_db.reset();
        m_txt.reset();
        CardWindowTest::TearDown();
    }

    // A database file from the template, filled by fill, then closed.
    QString MakeDb(const QString &name, const std::function<void(dao::Database &)> &fill = {})
    {
        const QString path = Path(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (fill) {
            dao::DatabasePtr db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
            fill(*db);
            db->Close();
        }
        return path;
    }
    static void Card(dao::Database &db, bool climb, const QString &name, int samples, int base = 100,
                     const QString &region = QStringLiteral("r"))
    {
        db.Execute(QStringLiteral("INSERT INTO [%1] (IDPercorso, Lunghezza, Regione) VALUES (?, ?, ?)").arg(Table(climb)), 0,
                   {name, 10.5, region});
        auto insert = db.prepare(QStringLiteral("INSERT INTO [%1] (IDPercorso, DistParz, Altezza) VALUES (?, ?, ?)").arg(Samples(climb)));
        for (int i = 0; i < samples; ++i)
            insert->execute({name, i * 0.1, base + i});
    }
    // Every row of the card and sample tables, to compare a file before and after.
    static QString Dump(const QString &path)
    {
        dao::DatabasePtr db = dao::OpenDatabase(path, true, true, dao::DefaultConnect());
        QString out;
        for (const char *t : {"Dati Salite", "Dati Percorsi", "CampioniSalite", "CampioniPercorsi"}) {
            auto c = db->openCursor(QStringLiteral("SELECT * FROM [%1] ORDER BY 1, 2").arg(QLatin1String(t)));
            while (c->next()) {
                for (int i = 0; i < c->columnCount(); ++i)
                    out += c->value(i).toString() + QLatin1Char('|');
                out += QLatin1Char('\n');
            }
            c.reset();
            out += QLatin1String("--\n");
        }
        db->Close();
        return out;
    }
    static int Rows(const QString &path, const QString &sql, const QVariantList &params = {})
    {
        dao::DatabasePtr db = dao::OpenDatabase(path, true, true, dao::DefaultConnect());
        auto c = db->openCursor(sql, params);
        const int n = c->next() ? c->value(0).toInt() : -1;
        c.reset();
        db->Close();
        return n;
    }
    QString Log() const { return QString::fromUtf8(ReadAll(Path(QStringLiteral("run/Vettaro/LogImport.txt")))); }
    QByteArray m_oldRuntime;
    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = Path(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // The database wizard brought to its import page over source and destination.
    frmImport &ToImportPage(const QString &source, const QString &dest)
    {
        m_db = std::make_unique<frmImport>();
        m_db->show();
        Script().files.push_back(source);
        m_db->cmdSource->click();
        m_db->cmdStep0Next->click();
        EXPECT_EQ(m_db->Page(), 1) << Script().messages().join('|').toStdString();
        m_db->txtDest->setText(dest);
        m_db->cmdStep1Next->click();
        EXPECT_EQ(m_db->Page(), 2) << Script().messages().join('|').toStdString();
        return *m_db;
    }

    std::unique_ptr<frmImport> m_db;
    std::unique_ptr<frmTxtImport> m_txt;
};

} // namespace

// The whole way through: both kinds, an existing card asked about, names with
// quotes, the end page, the log and the folders kept for next time.
TEST_F(ImportWindowTest, DatabaseWizardImportsBothKinds)
{
    const QString odd = QStringLiteral("D\"Q'x");
    QDir(m_root.path()).mkpath(QStringLiteral("from"));
    const QString src = MakeDb(QStringLiteral("from/source.mdb"), [&](dao::Database &db) {
        Card(db, true, odd, 3, 1000, QStringLiteral("source"));
        Card(db, true, QStringLiteral("Stelvio"), 4, 1000, QStringLiteral("source"));
        Card(db, false, QStringLiteral("Giro"), 2, 1000);
    });
    const QString dst = MakeDb(QStringLiteral("dest.mdb"), [](dao::Database &db) {
        Card(db, true, QStringLiteral("Stelvio"), 2, 100, QStringLiteral("own"));
    });

    frmImport &w = ToImportPage(src, dst);
    const FileDialogRequest &req = Script().shown.at(0).request;
    EXPECT_EQ(req.title, GetLangString(17500));
    EXPECT_EQ(req.filter, GetLangString(17502));
    EXPECT_EQ(req.initDir, m_root.path());   // no setting yet: the documents folder
    EXPECT_EQ(w.Label1->text(), GetLangString(17511));
    EXPECT_TRUE(w.Option1[0]->isChecked());
    EXPECT_FALSE(w.cmdAnnulla->isEnabled());

    Script().answers.push_back(Vb::Yes);   // overwrite Stelvio's samples
    w.cmdStep2Import->click();
    ASSERT_EQ(w.Page(), 3) << Script().messages().join('|').toStdString();
    const auto &shown = Script().shown;
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, QStringLiteral("Stelvio climb data already exist.\nOverwrite existing data?"));
    EXPECT_EQ(shown[1].style, Vb::YesNo + Vb::Question);
    EXPECT_EQ(shown[2].text, GetLangString(17519));
    EXPECT_EQ(shown[2].style, Vb::Information);
    EXPECT_EQ(Items(w.List1[0]), (QStringList{odd, QStringLiteral("Stelvio")}));
    EXPECT_EQ(Items(w.List1[1]), QStringList{QStringLiteral("Giro")});
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Imported Climbs: 2"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("Imported  Tours: 1"));
    EXPECT_EQ(Log(), QStringLiteral("D\"Q'x\r\nStelvio\r\n\r\nGiro\r\n"));

    // The files were closed by the successful run; the existing card kept its fields.
    w.close();
    m_db.reset();
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = ?"), {odd}), 3);
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT MIN(Altezza) FROM CampioniSalite WHERE IDPercorso = 'Stelvio'")), 1000);
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM [Dati Salite] WHERE Regione = 'own'")), 1);

    // The folders are offered again next time.
    EXPECT_EQ(GetSetting(AppName, "frmImport", "SourceDir"), Path(QStringLiteral("from")));
    frmImport again;
    ResetScript();
    again.cmdSource->click();
    ASSERT_EQ(Script().shown.size(), 1u);
    EXPECT_EQ(Script().shown[0].request.initDir, Path(QStringLiteral("from")));
}

// What the wizard refuses on its way to the import page, and that a refused
// file is left exactly as it was.
TEST_F(ImportWindowTest, DatabaseWizardRefusals)
{
    const QString src = MakeDb(QStringLiteral("source.mdb"), [](dao::Database &db) { Card(db, true, "A", 1); });
    const QString text = WriteFile(QStringLiteral("text.mdb"), "not a database\r\n");
    const QString other = Path(QStringLiteral("other.mdb"));
    dao::CreateDatabase(other, QStringLiteral(";PWD=another"))->Close();
    const QString first = Path(QStringLiteral("first.mdb"));
    dao::CreateDatabase(first, dao::DefaultConnect())->Close();
    const QString open = CurrentDb->Name();   // the database open in the main window

    struct Case {
        QString dest;
        QString message;
        QString title;
    } cases[] = {
        {src, GetLangString(17509), QString()},
        {Path(QStringLiteral("sub/../source.mdb")), GetLangString(17509), QString()},
        {Path(QStringLiteral("missing.mdb")), GetLangString(17508), QString()},
        {text, GetLangString(17505), GetLangString(17506)},
        {other, GetLangString(17503), GetLangString(17504)},
        {first, GetLangString(17503) + QChar(10) + GetLangString(17507), GetLangString(17506)},
        {open, QStringLiteral("Error 3045"), QString()},
    };
    QDir(m_root.path()).mkpath(QStringLiteral("sub"));
    frmImport w;
    Script().files.push_back(src);
    w.cmdSource->click();
    w.cmdStep0Next->click();
    ASSERT_EQ(w.Page(), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dest.toStdString());
        ResetScript();
        const QByteArray before = Hash(c.dest);
        w.txtDest->setText(c.dest);
        w.cmdStep1Next->click();
        EXPECT_EQ(w.Page(), 1);
        ASSERT_EQ(Script().shown.size(), 1u);
        EXPECT_TRUE(Script().shown[0].text.startsWith(c.message)) << Script().shown[0].text.toStdString();
        if (!c.title.isEmpty()) {
            EXPECT_EQ(Script().shown[0].title, c.title);
        }
        EXPECT_EQ(Hash(c.dest), before);
    }
    // The database held by the main window says how to go on.
    ResetScript();
    w.txtDest->setText(open);
    w.cmdStep1Next->click();
    ASSERT_EQ(Script().shown.size(), 1u);
    EXPECT_TRUE(Script().shown[0].text.endsWith(QChar(10) + GetLangString(17532))) << Script().shown[0].text.toStdString();
    // An empty path goes nowhere and says nothing.
    ResetScript();
    w.txtDest->clear();
    w.cmdStep1Next->click();
    EXPECT_EQ(w.Page(), 1);
    EXPECT_TRUE(Script().shown.empty());

    // The source too: a file that is not a database stays on the first page.
    frmImport second;
    ResetScript();
    second.txtSource->setText(text);
    second.cmdStep0Next->click();
    EXPECT_EQ(second.Page(), 0);
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(17505)});

    // On the import page, no kind checked.
    w.close();
    const QString dst = MakeDb(QStringLiteral("dest.mdb"));
    frmImport &ready = ToImportPage(src, dst);
    ResetScript();
    ready.Check1[0]->setChecked(false);
    ready.Check1[1]->setChecked(false);
    ready.cmdStep2Import->click();
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(17510)});
    EXPECT_EQ(ready.Page(), 2);
}

// Each wizard's Next is offered only once there is something to go on with,
// so it never answers a click with nothing at all.
TEST_F(ImportWindowTest, NextOfferedOnlyWithSomethingToGoOn)
{
    frmImport db;
    EXPECT_FALSE(db.cmdStep0Next->isEnabled());
    db.txtSource->setText(QStringLiteral("   "));
    EXPECT_FALSE(db.cmdStep0Next->isEnabled());
    db.txtSource->insert(QStringLiteral("a.mdb"));   // as typed after the blanks
    EXPECT_TRUE(db.cmdStep0Next->isEnabled());
    db.txtSource->clear();
    EXPECT_FALSE(db.cmdStep0Next->isEnabled());
    EXPECT_FALSE(db.cmdStep1Next->isEnabled());
    db.txtDest->setText(QStringLiteral("b.mdb"));
    EXPECT_TRUE(db.cmdStep1Next->isEnabled());

    frmTxtImport txt;
    EXPECT_FALSE(txt.cmd1Ffw->isEnabled());
    EXPECT_FALSE(txt.cmd2Fwd->isEnabled());
    Script().files.push_back(WriteFile(QStringLiteral("a.txt"), Profile("Vettaro", true, "A", 2)));
    txt.cmdOpenTxt->click();
    ASSERT_EQ(txt.List1->count(), 1);
    EXPECT_TRUE(txt.cmd1Ffw->isEnabled());
    txt.txtDest->setText(QStringLiteral("b.mdb"));
    EXPECT_TRUE(txt.cmd2Fwd->isEnabled());
    txt.txtDest->clear();
    EXPECT_FALSE(txt.cmd2Fwd->isEnabled());
}

// Abort half-way: the destination as before, lists empty, "Operation aborted.";
// the window refuses to close while the import runs and answers the abort
// button while it works.
TEST_F(ImportWindowTest, DatabaseWizardAbortAndCloseRefused)
{
    const QString src = MakeDb(QStringLiteral("source.mdb"), [](dao::Database &db) {
        db.BeginTrans();
        for (int i = 0; i < 400; ++i)
            Card(db, i % 2 == 0, QStringLiteral("Card %1").arg(i), 300);
        db.CommitTrans();
    });
    const QString dst = MakeDb(QStringLiteral("dest.mdb"), [](dao::Database &db) { Card(db, true, "Kept", 3); });
    const QString before = Dump(dst);
    WriteFile(QStringLiteral("run/Vettaro/LogImport.txt"), "previous\r\n");

    frmImport &w = ToImportPage(src, dst);
    w.Option1[1]->setChecked(true);
    bool closeRefused = false, runningSeen = false;
    int progressAtAbort = -1;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!w.Running() || progressAtAbort >= 0)
            return;
        runningSeen = true;
        if (w.ProgressBar1->value() < 20)
            return;
        closeRefused = !w.close() && w.isVisible();
        if (!qEnvironmentVariableIsEmpty("VETTARO_SHOT_DIR"))   // the page while it works, for a look
            w.grab().save(QDir(qEnvironmentVariable("VETTARO_SHOT_DIR")).filePath(QStringLiteral("import-running.png")));
        progressAtAbort = w.ProgressBar1->value();
        w.cmdAnnulla->click();
    });
    poll.start();
    ResetScript();
    w.cmdStep2Import->click();
    poll.stop();
    EXPECT_TRUE(runningSeen);
    EXPECT_TRUE(closeRefused);
    EXPECT_GE(progressAtAbort, 20);
    EXPECT_LT(progressAtAbort, 200);
    EXPECT_FALSE(w.Running());
    EXPECT_EQ(w.Page(), 2);
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(17522)});
    EXPECT_EQ(w.List1[0]->count() + w.List1[1]->count(), 0);
    EXPECT_TRUE(w.cmdStep2Import->isEnabled());
    EXPECT_FALSE(w.cmdAnnulla->isEnabled());
    EXPECT_EQ(ReadAll(Path(QStringLiteral("run/Vettaro/LogImport.txt"))), QByteArray("previous\r\n"));
    EXPECT_TRUE(w.close());
    m_db.reset();
    EXPECT_EQ(Dump(dst), before);
}

// A destination that refuses one card fails the run: everything rolled back,
// the failure told, no log. A log that cannot be written after the commit
// keeps the data and the counts and says what failed.
TEST_F(ImportWindowTest, DatabaseWizardFailureAndUnwritableLog)
{
    const QString src = MakeDb(QStringLiteral("source.mdb"), [](dao::Database &db) {
        Card(db, true, "A", 2);
        Card(db, false, "Boom", 2);
    });
    const QString dst = MakeDb(QStringLiteral("dest.mdb"), [](dao::Database &db) {
        db.ExecuteScript(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON [Dati Percorsi] "
                                        "WHEN NEW.IDPercorso = 'Boom' BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    });
    const QString before = Dump(dst);
    {
        frmImport &w = ToImportPage(src, dst);
        ResetScript();
        w.cmdStep2Import->click();
        EXPECT_EQ(w.Page(), 2);
        EXPECT_EQ(w.Label1->text(), GetLangString(17523));
        ASSERT_EQ(Script().messages().size(), 1);
        EXPECT_TRUE(Script().messages().first().startsWith(QStringLiteral("Error "))) << Script().messages().first().toStdString();
        EXPECT_EQ(Script().shown[0].style, Vb::Exclamation);
        EXPECT_EQ(Log(), QStringLiteral("<missing>"));
        w.close();
        m_db.reset();
        EXPECT_EQ(Dump(dst), before);
    }
    // A file where the private folder should be: the log cannot be written.
    QDir().mkpath(Path(QStringLiteral("run2")));
    WriteFile(QStringLiteral("run2/Vettaro"), "not a folder");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Path(QStringLiteral("run2"))));
    frmImport &w = ToImportPage(src, dst);
    w.Check1[1]->setChecked(false);
    ResetScript();
    w.cmdStep2Import->click();
    EXPECT_EQ(w.Page(), 3);
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Imported Climbs: 1"));
    const QStringList said = Script().messages();
    ASSERT_EQ(said.size(), 2);
    EXPECT_EQ(said[0], GetLangString(17519));
    EXPECT_TRUE(said[1].startsWith(GetLangString(17525)));
    EXPECT_TRUE(said[1].contains(QStringLiteral("not a folder"))) << said[1].toStdString();
    w.close();
    m_db.reset();
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = 'A'")), 2);
}

// A source with nothing in it: an empty run that still completes, shows both
// counts as 0 and leaves a log of one empty line. The opening procedures
// answer 1 or 0 as the pages rely on.
TEST_F(ImportWindowTest, DatabaseWizardEmptySourceAndOpenings)
{
    const QString src = MakeDb(QStringLiteral("empty.mdb"));
    const QString dst = MakeDb(QStringLiteral("dest.mdb"), [](dao::Database &db) { Card(db, true, "Kept", 2); });
    const QString before = Dump(dst);
    const QString text = WriteFile(QStringLiteral("text.mdb"), "not a database\r\n");
    WriteFile(QStringLiteral("run/Vettaro/LogImport.txt"), "previous\r\n");

    frmImport &w = ToImportPage(src, dst);
    ResetScript();
    w.cmdStep2Import->click();
    ASSERT_EQ(w.Page(), 3) << Script().messages().join('|').toStdString();
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(17519)});
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Imported Climbs: 0"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("Imported  Tours: 0"));
    EXPECT_EQ(ReadAll(Path(QStringLiteral("run/Vettaro/LogImport.txt"))), QByteArray("\r\n"));
    w.close();
    m_db.reset();
    EXPECT_EQ(Dump(dst), before);

    frmImport again;
    ResetScript();
    EXPECT_EQ(again.OpenOriginDb(text), 0);
    EXPECT_EQ(again.OpenDestDb(text), 0);
    EXPECT_EQ(Script().messages(), (QStringList{GetLangString(17505), GetLangString(17505)}));
    EXPECT_EQ(again.OpenOriginDb(src), 1);
    EXPECT_EQ(again.OpenDestDb(dst), 1);
    frmTxtImport txt;
    ResetScript();
    EXPECT_EQ(txt.OpenDestDb(Path(QStringLiteral("missing.mdb"))), 0);   // says nothing
    EXPECT_EQ(txt.OpenDestDb(text), 0);
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(12502)});
    again.close();   // lets the destination go
    EXPECT_EQ(txt.OpenDestDb(dst), 1);
}

// The text wizard through its four pages with a multiple selection: another
// program's file skipped, Windows-1252 read, the destination remembered.
TEST_F(ImportWindowTest, TextWizardImportsChosenFiles)
{
    QDir(m_root.path()).mkpath(QStringLiteral("profiles"));
    const QString a = WriteFile(QStringLiteral("profiles/a.txt"),
                                Profile("Vettaro", true, "Localit\xe0", 0, "Regione=Localit\xe0\r\n").replace(
                                    "[Prog]", "0,800,\"Localit\xe0\"\r\n1.5,950,\"\"\r\n[Prog]").replace("Number=0", "Number=2"));
    const QString b = WriteFile(QStringLiteral("profiles/b.txt"), Profile("VETTARO-V4", false, "Giro \"Q'x\"", 3));
    const QString c = WriteFile(QStringLiteral("profiles/c.txt"), Profile("OtherProgram", true, "Foreign", 1));
    const QString dst = MakeDb(QStringLiteral("dest.mdb"));

    m_txt = std::make_unique<frmTxtImport>();
    frmTxtImport &w = *m_txt;
    w.show();
    w.cmd1Ffw->click();   // nothing chosen yet: stays
    EXPECT_EQ(w.Page(), 0);
    Script().files.push_back(QStringList{a, b, c}.join(QChar(0)));
    w.cmdOpenTxt->click();
    const FileDialogRequest &req = Script().shown.back().request;
    EXPECT_EQ(req.flags, 0x81604);
    EXPECT_EQ(req.title, GetLangString(12517));
    EXPECT_EQ(Items(w.List1), (QStringList{"1 - a.txt", "2 - b.txt", "3 - c.txt"}));
    EXPECT_EQ(w.Files(), (QStringList{a, b, c}));
    EXPECT_EQ(GetSetting(AppName, "frmTxtImport", "InitDir"), Path(QStringLiteral("profiles")));
    // A cancelled dialog leaves the list as it was.
    w.cmdOpenTxt->click();
    EXPECT_EQ(w.List1->count(), 3);

    w.cmd1Ffw->click();
    ASSERT_EQ(w.Page(), 1);
    EXPECT_EQ(w.txtDest->text(), QString());
    Script().files.push_back(dst);
    w.cmdDest->click();
    EXPECT_EQ(w.txtDest->text(), dst);
    EXPECT_EQ(GetSetting(AppName, "frmTxtImport", "Lastdb"), dst);
    EXPECT_EQ(GetSetting(AppName, "frmTxtImport", "LastDir"), m_root.path());
    Key(w.txtDest, Qt::Key_Return);   // Enter goes forward
    ASSERT_EQ(w.Page(), 2) << Script().messages().join('|').toStdString();
    EXPECT_EQ(w.Label1->text(), GetLangString(12507));
    EXPECT_FALSE(w.cmdAnnulla->isEnabled());

    ResetScript();
    w.cmd3Import->click();
    ASSERT_EQ(w.Page(), 3) << Script().messages().join('|').toStdString();
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(12511)});
    EXPECT_EQ(Items(w.List2[0]), QStringList{QString::fromUtf8("Località")});
    EXPECT_EQ(Items(w.List2[1]), QStringList{QStringLiteral("Giro \"Q'x\"")});
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Imported Climbs: 1"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("Imported Tours: 1"));
    EXPECT_EQ(Log(), QString::fromUtf8("Località\r\n\r\nGiro \"Q'x\"\r\n"));
    w.close();
    m_txt.reset();
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM CampioniPercorsi WHERE IDPercorso = ?"), {"Giro \"Q'x\""}), 3);
    EXPECT_NEAR(Rows(dst, QStringLiteral("SELECT Lunghezza * 1000 FROM [Dati Percorsi]")), 12345, 1);
    EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM [Dati Salite] WHERE IDPercorso = 'Foreign'")), 0);

    // Reopened: the last destination is offered on the second page.
    frmTxtImport again;
    Script().files.push_back(a);
    again.cmdOpenTxt->click();
    EXPECT_EQ(Script().shown.back().request.initDir, Path(QStringLiteral("profiles")));   // InitDir
    EXPECT_EQ(Items(again.List1), QStringList{QStringLiteral("1 - ") + a});
    again.cmd1Ffw->click();
    EXPECT_EQ(again.txtDest->text(), dst);
    again.cmdDest->click();   // cancelled: the field keeps the last destination
    EXPECT_EQ(Script().shown.back().request.initDir, m_root.path());   // LastDir
    EXPECT_EQ(again.txtDest->text(), dst);
}

// The destination checks of the second page, each with its text, and the
// overwrite box kept over a close and reopen.
TEST_F(ImportWindowTest, TextWizardDestinationChecksAndSettings)
{
    const QString text = WriteFile(QStringLiteral("text.mdb"), "not a database\r\n");
    const QString other = Path(QStringLiteral("other.mdb"));
    dao::CreateDatabase(other, QStringLiteral(";PWD=another"))->Close();
    const QString first = Path(QStringLiteral("first.mdb"));
    dao::CreateDatabase(first, dao::DefaultConnect())->Close();
    const QString good = MakeDb(QStringLiteral("good.mdb"));
    const QString profile = WriteFile(QStringLiteral("p.txt"), Profile("Vettaro-V4", true, "P", 1));
    struct Case {
        QString dest;
        QString message;   // empty: nothing said
        QString title;
        int page;
    } cases[] = {
        {QString(), QString(), QString(), 1},
        {Path(QStringLiteral("good.MDB")), GetLangString(12509), QString(), 1},
        {Path(QStringLiteral("good.mdbx")), GetLangString(12509), QString(), 1},
        {Path(QStringLiteral("missing.mdb")), GetLangString(12508), QString(), 1},
        {text, GetLangString(12502), GetLangString(12503), 1},
        {other, GetLangString(12500), GetLangString(12501), 1},
        {first, GetLangString(12504) + QChar(10) + GetLangString(12505), GetLangString(12506), 1},
        {good, QString(), QString(), 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dest.toStdString());
        frmTxtImport w;
        Script().files.push_back(profile);
        w.cmdOpenTxt->click();
        w.cmd1Ffw->click();
        ResetScript();
        const QByteArray before = Hash(c.dest);
        w.txtDest->setText(c.dest);
        w.cmd2Fwd->click();
        EXPECT_EQ(w.Page(), c.page);
        EXPECT_EQ(Script().messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.title.isEmpty()) {
            EXPECT_EQ(Script().shown.at(0).title, c.title);
        }
        if (c.page == 1) {
            EXPECT_EQ(Hash(c.dest), before);
        }
    }

    // The database open in the main window is refused as in use.
    const QString inUse = Path(QStringLiteral("inuse.mdb"));
    QFile::copy(Path(QStringLiteral("good.mdb")), inUse);
    CurrentDb->Close();
    OpenDatabaseFile(inUse);
    {
        frmTxtImport w;
        Script().files.push_back(profile);
        w.cmdOpenTxt->click();
        w.cmd1Ffw->click();
        ResetScript();
        w.txtDest->setText(inUse);
        w.cmd2Fwd->click();
        EXPECT_EQ(w.Page(), 1);
        ASSERT_EQ(Script().messages().size(), 1);
        EXPECT_TRUE(Script().messages().first().startsWith(QStringLiteral("Error 3045")))
            << Script().messages().first().toStdString();
    }

    // The overwrite box over a close and reopen.
    {
        frmTxtImport w;
        EXPECT_FALSE(w.Check1->isChecked());
        w.Check1->setChecked(true);
        w.close();
    }
    EXPECT_EQ(GetSetting(AppName, "frmTxtImport", "OverWrite"), QStringLiteral("1"));
    frmTxtImport reopened;
    EXPECT_TRUE(reopened.Check1->isChecked());
}

// A broken profile fails the run, names the file and keeps nothing of the
// files before it; the overwrite box decides over an existing card's samples.
TEST_F(ImportWindowTest, TextWizardBrokenFileAndOverwrite)
{
    const QString dst = MakeDb(QStringLiteral("dest.mdb"), [](dao::Database &db) { Card(db, true, "Mortirolo", 2, 100, "own"); });
    const QString good = WriteFile(QStringLiteral("good.txt"), Profile("Vettaro-V4", true, "Good", 2));
    const QString shortFile = WriteFile(QStringLiteral("short.txt"),
                                        Profile("Vettaro-V4", true, "Short", 2).replace("Number=2", "Number=9"));
    const QString mortirolo = WriteFile(QStringLiteral("m.txt"), Profile("Vettaro-V4", true, "Mortirolo", 5, "Regione=file\r\n"));
    const QString before = Dump(dst);
    auto run = [&](const QStringList &files, bool overwrite) {
        frmTxtImport w;
        w.Check1->setChecked(overwrite);
        Script().files.push_back(files.join(QChar(0)));
        w.cmdOpenTxt->click();
        w.cmd1Ffw->click();
        w.txtDest->setText(dst);
        w.cmd2Fwd->click();
        EXPECT_EQ(w.Page(), 2);
        ResetScript();
        w.cmd3Import->click();
        const int page = w.Page();
        w.close();
        return page;
    };
    EXPECT_EQ(run({good, shortFile}, false), 2);
    ASSERT_EQ(Script().messages().size(), 1);
    const QString said = Script().messages().first();
    EXPECT_TRUE(said.startsWith(GetLangString(12515)));
    EXPECT_TRUE(said.contains(QStringLiteral("short.txt"))) << said.toStdString();
    EXPECT_EQ(Dump(dst), before);

    for (bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite);
        EXPECT_EQ(run({mortirolo}, overwrite), 3);
        EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM CampioniSalite WHERE IDPercorso = 'Mortirolo'")), overwrite ? 5 : 2);
        EXPECT_EQ(Rows(dst, QStringLiteral("SELECT COUNT(*) FROM [Dati Salite] WHERE Regione = 'own'")), 1);
    }
}

// The text wizard answers its abort button while it works, refuses to close
// meanwhile, and keeps nothing of the files already done; its log then holds
// the empty line between two empty lists, and nothing of an earlier run.
TEST_F(ImportWindowTest, TextWizardAbortAndCloseRefused)
{
    const QString dst = MakeDb(QStringLiteral("dest.mdb"));
    const QString before = Dump(dst);
    WriteFile(QStringLiteral("run/Vettaro/LogImport.txt"), "previous\r\n");
    QStringList files;
    for (int i = 0; i < 300; ++i)
        files << WriteFile(QStringLiteral("p%1.txt").arg(i), Profile("Vettaro-V4", i % 2, "Profile " + QByteArray::number(i), 300));
    frmTxtImport w;
    w.show();
    Script().files.push_back(files.join(QChar(0)));
    w.cmdOpenTxt->click();
    w.cmd1Ffw->click();
    w.txtDest->setText(dst);
    w.cmd2Fwd->click();
    ASSERT_EQ(w.Page(), 2);
    bool closeRefused = false;
    int progressAtAbort = -1;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!w.Running() || progressAtAbort >= 0 || w.ProgressBar1->value() < 10)
            return;
        closeRefused = !w.close() && w.isVisible();
        progressAtAbort = w.ProgressBar1->value();
        w.cmdAnnulla->click();
    });
    poll.start();
    ResetScript();
    w.cmd3Import->click();
    poll.stop();
    EXPECT_TRUE(closeRefused);
    EXPECT_GE(progressAtAbort, 10);
    EXPECT_LT(progressAtAbort, 300);
    EXPECT_EQ(w.Page(), 2);
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(12514)});
    EXPECT_EQ(w.Label1->text(), GetLangString(12514));
    EXPECT_EQ(ReadAll(Path(QStringLiteral("run/Vettaro/LogImport.txt"))), QByteArray("\r\n"));
    EXPECT_TRUE(w.cmd3Import->isEnabled());
    EXPECT_TRUE(w.close());
    EXPECT_EQ(Dump(dst), before);
}

// A climb exported from the climbs window and imported into another file
// arrives with every field the profile carries.
TEST_F(ImportWindowTest, ExportedClimbImportsWithEveryField)
{
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Stato, "
                                      "Regione, [Località], Provincia, [E-mail], Url, Telefono, Fax) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       0, {QStringLiteral("Passo \"Gavia\""), 17.3, 1153, 2621, QStringLiteral("Italia"),
                           QStringLiteral("Lombardia"), QString::fromUtf8("Ponte di Legno, Località"), QStringLiteral("BS"),
                           QStringLiteral("a@b.it"), QStringLiteral("http://x.it"), QStringLiteral("0364 1"),
                           QStringLiteral("0364 2")});
    AddSample(true, QStringLiteral("Passo \"Gavia\""), 0, 1153, QStringLiteral("start"));
    AddSample(true, QStringLiteral("Passo \"Gavia\""), 8.65, 1900);
    AddSample(true, QStringLiteral("Passo \"Gavia\""), 17.3, 2621, QStringLiteral("top"));
    CardWindow &card = Open(true);
    const QString exported = Path(QStringLiteral("gavia.txt"));
    Script().files.push_back(exported);
    card.Export();
    ASSERT_TRUE(QFile::exists(exported)) << Script().messages().join('|').toStdString();
    Close();

    const QString dst = MakeDb(QStringLiteral("other.mdb"));
    frmTxtImport w;
    Script().files.push_back(exported);
    w.cmdOpenTxt->click();
    w.cmd1Ffw->click();
    w.txtDest->setText(dst);
    w.cmd2Fwd->click();
    w.cmd3Import->click();
    ASSERT_EQ(w.Page(), 3) << Script().messages().join('|').toStdString();
    w.close();

    const QString fields = QStringLiteral("IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Stato, Regione, [Località], "
                                          "Provincia, [E-mail], Url, Telefono, Fax");
    auto rows = [&](dao::Database &db, const QString &sql) {
        QStringList out;
        auto c = db.openCursor(sql);
        while (c->next()) {
            QStringList row;
            // Lengths and distances are single-precision fields: compared as such.
            for (int i = 0; i < c->columnCount(); ++i)
                row << (c->value(i).typeId() == QMetaType::Double ? QString::number(float(c->value(i).toDouble()))
                                                                  : c->value(i).toString());
            out << row.join('|');
        }
        return out;
    };
    dao::DatabasePtr imported = dao::OpenDatabase(dst, true, true, dao::DefaultConnect());
    EXPECT_EQ(rows(*imported, QStringLiteral("SELECT ") + fields + QStringLiteral(" FROM [Dati Salite]")),
              rows(*CurrentDb, QStringLiteral("SELECT ") + fields + QStringLiteral(" FROM [Dati Salite]")));
    const QString samples = QStringLiteral("SELECT IDPercorso, DistParz, Altezza, Note, image FROM CampioniSalite ORDER BY DistParz");
    EXPECT_EQ(rows(*imported, samples), rows(*CurrentDb, samples));
    imported->Close();
}

// The main window's commands open the real windows, modally.
TEST_F(ImportWindowTest, RegisteredForTheMainWindowsCommands)
{
    RegisterToolsWindows();
    for (const char *name : {"frmImport", "frmTxtImport"}) {
        SCOPED_TRACE(name);
        QString shownClass;
        QTimer::singleShot(0, [&] {
            if (QWidget *w = WindowRegistry::Find(QLatin1String(name))) {
                shownClass = QLatin1String(w->metaObject()->className());
                EXPECT_TRUE(w->isModal());
                w->close();
            }
        });
        EXPECT_EQ(WindowRegistry::Show(QLatin1String(name), true), nullptr);
        EXPECT_EQ(shownClass, QLatin1String(name));
        EXPECT_EQ(WindowRegistry::Find(QLatin1String(name)), nullptr);
    }
}
