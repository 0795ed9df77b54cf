// Compaction, repair and the password prompt: the windows driven with scripted
// answers over files of every kind, checking messages, files left and data kept.
#include "records/window_fixture.h"

#include "CoreTestSupport.h"
#include "FileFaults.h"

#include "core/DbCommands.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/dao/WorkingCopies.h"
#include "tools/DbMaintenance.h"
#include "tools/frmCompact.h"
#include "platform/ui/Feedback.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <functional>
#include <filesystem>
#include <optional>
#include <thread>

using TestSupport::ResetScript;
using TestSupport::Script;

namespace {

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Presses a key in w as the keyboard would, with its text.
void PressKey(QWidget *w, int key, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void Write(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Page size of an SQLite file.
int PageSize(const QByteArray &data)
{
    const int v = (uchar(data[16]) << 8) | uchar(data[17]);
    return v == 1 ? 65536 : v;
}

// Zeroes every page of b-tree page type `type` (0x0A index leaf, 0x0D table
// leaf) that holds needle. Returns how many were zeroed.
int ZeroPages(const QString &path, const QByteArray &needle, int type)
{
    QByteArray data = Bytes(path);
    const int pageSize = PageSize(data);
    int zeroed = 0;
    for (qsizetype page = pageSize; page < data.size(); page += pageSize) {
        if (uchar(data[page]) == type && data.mid(page, pageSize).contains(needle)) {
            data.replace(page, pageSize, QByteArray(pageSize, '\0'));
            ++zeroed;
        }
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    f.write(data);
    return zeroed;
}

// Another process holding a lock on a file, as a run still at work on it would.
class LockingProcess {
public:
    explicit LockingProcess(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // Only async-signal-safe calls in the child of a threaded program.
            const int fd = ::open(name.constData(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? '1' : '0';
            (void)::write(ready[1], &ok, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = '0';
        m_locked = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~LockingProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

std::filesystem::perms Mode(const QString &path)
{
    return std::filesystem::status(QFile::encodeName(path).toStdString()).permissions();
}

class MaintenanceTest : public CardWindowTest {
protected:
    // A database with rows worth keeping, protected by connect.
    QString MakeDb(const QString &name, const QString &connect, int rows = 200)
    {
        const QString path = Path(name);
        dao::DatabasePtr db = dao::CreateDatabase(path, connect);
        db->ExecuteScript(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, code TEXT UNIQUE, name TEXT, pad TEXT);"
                                         "CREATE INDEX ix_name ON t(name);"));
        db->BeginTrans();
        for (int i = 0; i < rows; ++i)
            db->Execute(QStringLiteral("INSERT INTO t (code, name, pad) VALUES (?, ?, ?)"), 0,
                        {QStringLiteral("K%1").arg(i, 5, 10, QLatin1Char('0')),
                         QStringLiteral("ZZZZ%1").arg(i, 4, 10, QLatin1Char('0')), QString(400, QLatin1Char('p'))});
        db->CommitTrans();
        // Free space for the compaction to squeeze out.
        db->Execute(QStringLiteral("DELETE FROM t WHERE id > ?"), 0, {rows / 2});
        db->Close();
        return path;
    }
    static int Rows(const QString &path, const QString &connect)
    {
        dao::DatabasePtr db = dao::OpenDatabase(path, true, true, connect);
        auto c = db->openCursor(QStringLiteral("SELECT COUNT(*) FROM t"));
        c->next();
        const int n = c->value(0).toInt();
        c.reset();
        db->Close();
        return n;
    }
    // Files the tools may have left beside the chosen file.
    QStringList Leftovers() const
    {
        return QDir(m_root.path()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
    }
    // Answers each password prompt with the next text, typed and ended with Enter.
    void TypePasswords(std::deque<QString> passwords)
    {
        m_passwords = std::move(passwords);
        auto *timer = new QTimer(qApp);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [this] {
            auto *prompt = qobject_cast<frmPassword *>(QApplication::activeModalWidget());
            if (!prompt || !prompt->isVisible())
                return;
            ++prompts;
            promptLabels << prompt->Label1->text();
            if (m_passwords.empty()) {
                prompt->Command2->click();
                return;
            }
            for (QChar ch : m_passwords.front())
                PressKey(prompt->Text1, ch.unicode() < 128 ? QChar(ch).toUpper().unicode() : 0, QString(ch));
            m_passwords.pop_front();
            PressKey(prompt->Text1, Qt::Key_Return, QStringLiteral("\r"));
        });
        timer->start();
        m_timer = timer;
    }
    void TearDown() override
    {
        delete m_timer;
        CardWindowTest::TearDown();
    }
    void RunCompact(const QString &path, std::deque<int> answers)
    {
        cmDlg1.FileName = path;
        ResetScript().answers = std::move(answers);
        frmCompact form;
        form.show();
        form.Command1_Click();
        EXPECT_FALSE(form.isVisible()) << "the window closes at the end of every path";
        EXPECT_FALSE(form.Running());
    }
    int prompts = 0;
    QStringList promptLabels;
    std::deque<QString> m_passwords;
    QTimer *m_timer = nullptr;
};

QString Done() { return GetLangString(4502) + QChar(10) + GetLangString(4503); }
QString Question() { return GetLangString(4505) + QChar(10) + GetLangString(4506) + QChar(10) + GetLangString(4507); }

} // namespace

TEST_F(MaintenanceTest, CompactionPasswordsAndBackups)
{
    struct Case {
        const char *what;
        QString password;            // the file's own ("" none)
        std::deque<int> answers;     // message boxes
        std::deque<QString> typed;   // password prompts
        QStringList messages;        // expected texts, in order
        bool compacted;
        bool backupKept;
    };
    const QString fixed = dao::DatabasePassword;
    const Case cases[] = {
        {"no password, keep backup", QString(), {Vb::Yes}, {}, {Done()}, true, true},
        {"fixed password, drop backup", fixed, {Vb::No}, {}, {Done()}, true, false},
        {"another password, No", QStringLiteral("s3cret"), {Vb::No}, {}, {Question()}, false, false},
        {"another password, Yes + empty", QStringLiteral("s3cret"), {Vb::Yes}, {QString()}, {Question()}, false, false},
        {"another password, wrong then right", QStringLiteral("s3cret"), {Vb::Yes, Vb::Yes, Vb::Yes},
         {QStringLiteral("wrong"), QStringLiteral("s3cret")}, {Question(), Question(), Done()}, true, true},
        {"a 1,000-character password", QString(1000, QLatin1Char('k')), {Vb::Yes, Vb::Yes},
         {QString(1000, QLatin1Char('k'))}, {Question(), Done()}, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = MakeDb(QStringLiteral("case.mdb"), c.password.isEmpty() ? QString() : QStringLiteral(";PWD=") + c.password);
        const QByteArray before = Bytes(path);
        prompts = 0;
        promptLabels.clear();
        TypePasswords(c.typed);
        RunCompact(path, c.answers);

        ASSERT_EQ(Script().messages(), c.messages);
        for (const auto &shown : Script().shown) {
            if (shown.text == Done()) {
                EXPECT_EQ(shown.style, 68);
                EXPECT_EQ(shown.title, GetLangString(4504));
            } else {
                EXPECT_EQ(shown.style, 308);
                EXPECT_EQ(shown.title, GetLangString(4508));
            }
        }
        EXPECT_EQ(prompts, int(c.typed.size()));
        for (const QString &label : promptLabels)
            EXPECT_EQ(label, GetLangString(4510) + QStringLiteral(" case"));
        const QString connect = c.password.isEmpty() ? QString() : QStringLiteral(";PWD=") + c.password;
        EXPECT_EQ(Rows(path, connect), 100) << "every row kept, same password";
        if (c.compacted)
            EXPECT_LT(Bytes(path).size(), before.size());
        else
            EXPECT_EQ(Bytes(path), before) << "a refused file is untouched";
        EXPECT_EQ(QFile::exists(Path(QStringLiteral("case.bak"))), c.backupKept);
        if (c.backupKept) {
            EXPECT_EQ(Bytes(Path(QStringLiteral("case.bak"))), before);
        }
        if (c.typed.size() == 2) {
            EXPECT_EQ(DbPassword, QStringLiteral("s3cret")) << "Enter acts as OK and types nothing";
        }
        EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(QLatin1Char(' ')).toStdString();
        delete m_timer;
        m_timer = nullptr;
        QFile::remove(path);
        QFile::remove(Path(QStringLiteral("case.bak")));
    }
}

TEST_F(MaintenanceTest, CompactionReplacesOldBackupAndLeavesStrangersAlone)
{
    const QString path = MakeDb(QStringLiteral("club.mdb"), dao::DefaultConnect());
    const QByteArray before = Bytes(path);
    Write(Path(QStringLiteral("club.bak")), "an older backup");
    // A fixed "new.mdb" in the current folder once was the temporary name.
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(m_root.path());
    Write(Path(QStringLiteral("new.mdb")), "somebody else's file");
    RunCompact(path, {Vb::Yes});
    QDir::setCurrent(oldCwd);

    EXPECT_EQ(Script().messages(), QStringList{Done()});
    EXPECT_EQ(Bytes(Path(QStringLiteral("club.bak"))), before);
    EXPECT_EQ(Bytes(Path(QStringLiteral("new.mdb"))), QByteArray("somebody else's file"));
    EXPECT_EQ(Rows(path, dao::DefaultConnect()), 100);
}

// The backup's name never stands for the file itself nor for another file's backup.
TEST_F(MaintenanceTest, CompactionOfOddNamesKeepsTheFileAndTouchesNoOther)
{
    struct Case {
        const char *name;
        const char *backup;
        int answer;
    };
    const Case cases[] = {
        {"club.mdb", "club.bak", Vb::Yes},
        {"CLUB.MDB", "CLUB.bak", Vb::Yes},
        {"club.db", "club.db.bak", Vb::Yes},
        {"club", "club.bak", Vb::Yes},
        {"club.bak", "club.bak.bak", Vb::No},
        {"club.BAK", "club.BAK.bak", Vb::Yes},
    };
    Write(Path(QStringLiteral("clu.bak")), "the backup of another database");
    Write(Path(QStringLiteral(".bak")), "a file of the folder");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = MakeDb(QLatin1String(c.name), QString());
        const QByteArray before = Bytes(path);
        RunCompact(path, {c.answer});
        EXPECT_EQ(Script().messages(), QStringList{Done()});
        EXPECT_EQ(Rows(path, QString()), 100) << "the compacted file is in place";
        EXPECT_EQ(BackupPathFor(path), Path(QLatin1String(c.backup)));
        if (c.answer == Vb::Yes)
            EXPECT_EQ(Bytes(Path(QLatin1String(c.backup))), before);
        else
            EXPECT_FALSE(QFile::exists(Path(QLatin1String(c.backup))));
        QFile::remove(path);
        QFile::remove(Path(QLatin1String(c.backup)));
    }
    EXPECT_EQ(Bytes(Path(QStringLiteral("clu.bak"))), QByteArray("the backup of another database"));
    EXPECT_EQ(Bytes(Path(QStringLiteral(".bak"))), QByteArray("a file of the folder"));
}

TEST_F(MaintenanceTest, CompactionAndRepairRefuseBadFilesAndTheOpenDatabase)
{
    Write(Path(QStringLiteral("text.mdb")), "Just a text file with a database's name\n");
    Write(Path(QStringLiteral("empty.mdb")), QByteArray());
    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    Write(Path(QStringLiteral("noise.mdb")), noise);
    // A database whose rows cannot all be read: neither tool can copy it.
    const QString damaged = MakeDb(QStringLiteral("damaged.mdb"), dao::DefaultConnect());
    ASSERT_GT(ZeroPages(damaged, "pppppppppp", 0x0D), 0);
    const QString open = CurrentDb->Name();
    const struct {
        QString path;
        const char *errorNumber;     // expected start of the message
    } cases[] = {
        {Path(QStringLiteral("text.mdb")), "Error 3343"},
        {Path(QStringLiteral("empty.mdb")), "Error "},
        {Path(QStringLiteral("noise.mdb")), "Error 3343"},
        {damaged, "Error 3049"},
        {open, "Error 3045"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray before = Bytes(c.path);
        for (bool repair : {false, true}) {
            cmDlg1.FileName = c.path;
            ResetScript();
            if (repair) {
                frmRepair form;
                form.Command1_Click();
            } else {
                frmCompact form;
                form.Command1_Click();
            }
            ASSERT_EQ(Script().shown.size(), 1u);
            EXPECT_TRUE(Script().shown[0].text.startsWith(QLatin1String(c.errorNumber))) << Script().shown[0].text.toStdString();
            // The work is done on hidden copies; the reason names the user's file.
            EXPECT_FALSE(Script().shown[0].text.contains(QLatin1String(".tmp"))) << Script().shown[0].text.toStdString();
            EXPECT_EQ(Script().shown[0].style, Vb::Exclamation);
            if (c.path != open) {
                EXPECT_EQ(Bytes(c.path), before);
            }
            EXPECT_FALSE(QFile::exists(BackupPathFor(c.path)));
            EXPECT_TRUE(Leftovers().isEmpty());
        }
    }
    // The main window's database is still open and usable.
    EXPECT_GE(Cards(true), 0);
}

// Repair of a file on a disk with no room left for its working copy: the
// message says the disk is full and names the user's file, which stays as it
// was, with nothing left beside it.
TEST_F(MaintenanceTest, RepairOnAFullDiskSaysTheDiskIsFull)
{
    const QString built = MakeDb(QStringLiteral("built.mdb"), dao::DefaultConnect(), 60);
    ASSERT_GT(ZeroPages(built, "ZZZZ0001", 0x0A), 0);
    const QByteArray damaged = Bytes(built);
    const QString folder = Path(QStringLiteral("small"));
    QDir().mkpath(folder);
    SmallFileSystem disk(folder, 0, "size=256k");
    if (!disk.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString path = folder + QStringLiteral("/club.mdb");
    Write(path, damaged);
    disk.fill();

    cmDlg1.FileName = path;
    ResetScript();
    {
        frmRepair form;
        form.Command1_Click();
    }
    EXPECT_EQ(Script().messages(), QStringList{QStringLiteral("Error 75: Path/File access error: disk full: '%1'").arg(path)});
    EXPECT_EQ(Bytes(path), damaged);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("club.mdb"), QStringLiteral("filler")}));
}

TEST_F(MaintenanceTest, RepairRebuildsDamagedIndexesKeepingEveryRow)
{
    // Rewrites a name inside its index page only: the index no longer matches its table.
    const auto changeKey = [](const QString &path) {
        QByteArray data = Bytes(path);
        const int pageSize = PageSize(data);
        bool damaged = false;
        for (qsizetype at = data.indexOf("ZZZZ0001"); at >= 0; at = data.indexOf("ZZZZ0001", at + 1)) {
            const qsizetype page = at / pageSize * pageSize;
            if (uchar(data[page == 0 ? 100 : page]) == 0x0A) {   // leaf page of an index
                data[at] = 'A';
                damaged = true;
            }
        }
        Write(path, data);
        return damaged;
    };
    const struct {
        const char *what;
        std::function<bool(const QString &)> damage;
    } cases[] = {
        {"a key changed in an index page", changeKey},
        {"an index page zeroed", [](const QString &path) { return ZeroPages(path, "ZZZZ0001", 0x0A) > 0; }},
        {"a page of a unique key's index zeroed", [](const QString &path) { return ZeroPages(path, "K00001", 0x0A) > 0; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = MakeDb(QStringLiteral("damaged.mdb"), dao::DefaultConnect(), 400);
        std::filesystem::permissions(QFile::encodeName(path).toStdString(), std::filesystem::perms(0640));
        ASSERT_TRUE(c.damage(path));
        const QByteArray data = Bytes(path);

        cmDlg1.FileName = path;
        ResetScript();
        {
            frmRepair form;
            EXPECT_EQ(form.windowTitle(), FormatLangString(GetLangString(22505), {QStringLiteral("damaged")}));
            form.Command1_Click();
        }
        EXPECT_EQ(Script().messages(), QStringList{GetLangString(22502) + QChar(10) + GetLangString(22503)});
        EXPECT_EQ(Script().shown[0].title, GetLangString(22504));
        EXPECT_NE(Bytes(path), data);
        EXPECT_EQ(Rows(path, dao::DefaultConnect()), 200);
        {
            // The indexes answer again, and the password still holds.
            dao::DatabasePtr db = dao::OpenDatabase(path, true, true, dao::DefaultConnect());
            auto cur = db->openCursor(QStringLiteral("SELECT COUNT(*) FROM t WHERE name = 'ZZZZ0001' AND code = 'K00001'"));
            ASSERT_TRUE(cur->next());
            EXPECT_EQ(cur->value(0).toInt(), 1);
            cur.reset();
            db->Close();
        }
        EXPECT_EQ(Mode(path), std::filesystem::perms(0640));
        EXPECT_FALSE(QFile::exists(BackupPathFor(path))) << "no row was lost, so no damaged copy is kept";
        const QByteArray repaired = Bytes(path);
        EXPECT_EQ(repairFile(path).changed, false) << "a healthy file is left as it is";
        EXPECT_EQ(Bytes(path), repaired);
        EXPECT_TRUE(Leftovers().isEmpty());
        QFile::remove(path);
    }
}

TEST_F(MaintenanceTest, CompactionKeepsTheFilesPermissions)
{
    for (const auto mode : {std::filesystem::perms(0600), std::filesystem::perms(0444), std::filesystem::perms(0664)}) {
        SCOPED_TRACE(int(mode));
        const QString path = MakeDb(QStringLiteral("mode.mdb"), QString());
        std::filesystem::permissions(QFile::encodeName(path).toStdString(), mode);
        RunCompact(path, {Vb::No});
        EXPECT_EQ(Script().messages(), QStringList{Done()});
        EXPECT_EQ(Mode(path), mode);
        EXPECT_EQ(Rows(path, QString()), 100);
        std::filesystem::permissions(QFile::encodeName(path).toStdString(), std::filesystem::perms(0600));
        QFile::remove(path);
    }
}

TEST_F(MaintenanceTest, TheWindowStaysWhileTheWorkRuns)
{
    cmDlg1.FileName = MakeDb(QStringLiteral("busy.mdb"), QString(), 6000);
    ResetScript().answers = {Vb::Yes};
    frmCompact form;
    form.show();
    bool running = false, stayed = false, cancelOffered = true;
    QTimer::singleShot(0, &form, [&] {
        running = form.Running();
        cancelOffered = form.Command2->isEnabled();
        PressKey(&form, Qt::Key_Escape);
        form.close();
        stayed = form.isVisible();
    });
    form.Command1_Click();
    EXPECT_TRUE(running);
    EXPECT_TRUE(stayed) << "neither Escape nor the close box ends the window during the work";
    EXPECT_FALSE(cancelOffered);
    EXPECT_EQ(Script().messages(), QStringList{Done()});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Rows(cmDlg1.FileName, QString()), 3000);
}

TEST_F(MaintenanceTest, BusyAnimationAlternatesTwoFrames)
{
    cmDlg1.FileName = MakeDb(QStringLiteral("anim.mdb"), QString());
    frmCompact form;
    ASSERT_TRUE(ImageList1.Contains(QStringLiteral("n_coca")) && ImageList1.Contains(QStringLiteral("l_coca")));
    const QImage first = ImageList1.Picture(QStringLiteral("n_coca"));
    const QImage second = ImageList1.Picture(QStringLiteral("l_coca"));
    ASSERT_NE(first, second);
    for (const QImage &expected : {first, second, first}) {
        form.Timer1_Timer();
        EXPECT_EQ(form.Picture1->pixmap().toImage(), expected);
    }
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_TRUE(form.Timer1->isActive());
}

TEST_F(MaintenanceTest, ConversionOfAFirstVersionFileThenOpenedAsCurrent)
{
    const QString path = Path(QStringLiteral("first.mdb"));
    {
        QFile f(TestSupport::DataDir() + QStringLiteral("/dao/first_version.sql"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        dao::DatabasePtr db = dao::CreateDatabase(path, dao::DefaultConnect());
        db->ExecuteScript(QString::fromUtf8(f.readAll()));
        db->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza]) VALUES ('Stelvio', 24)"));
        db->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso], [Lunghezza]) VALUES ('Giro', 80)"));
        db->Execute(QStringLiteral("INSERT INTO [CampioniPercorsi] ([IDPercorso], [DistParz], [Altezza]) VALUES ('Giro', 1.5, 300)"));
        db->Close();
    }
    const QByteArray before = Bytes(path);
    // Opening it as it is fails: it needs converting first.
    CurrentDb->Close();
    EXPECT_THROW(OpenDatabaseFile(path), VbError);

    cmDlg1.FileName = path;
    ResetScript().answers = {Vb::Yes};
    {
        frmConvert form;
        EXPECT_EQ(form.windowTitle(), FormatLangString(GetLangString(5511), {QStringLiteral("first")}));
        form.Command1_Click();
    }
    EXPECT_EQ(Script().messages(), QStringList{GetLangString(5502) + QChar(10) + GetLangString(5503)});
    EXPECT_EQ(Script().shown[0].style, 68);
    EXPECT_EQ(Bytes(Path(QStringLiteral("first.bak"))), before);
    EXPECT_TRUE(Leftovers().isEmpty());

    ASSERT_NO_THROW(OpenDatabaseFile(path));
    EXPECT_EQ(CurrentDb->TableDefinition(QStringLiteral("CampioniSalite")).FieldCount(), 6);
    EXPECT_EQ(CurrentDb->TableDefinition(QStringLiteral("CampioniPercorsi")).FieldCount(), 6);
    EXPECT_TRUE(CurrentDb->TableExists(QStringLiteral("States")));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso], [DistParz], [Altezza], [image]) VALUES ('Stelvio', 1, 1500, 'x')"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniPercorsi] WHERE [IDPercorso] = 'Giro'")), 1);
    EXPECT_THROW(CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso]) VALUES ('Nowhere')")), VbError)
        << "climb samples belong to a climb";
    CurrentDb->Close();

    // A file already in the current format is left alone, with a message.
    const QByteArray converted = Bytes(path);
    ResetScript();
    {
        frmConvert form;
        form.Command1_Click();
    }
    EXPECT_EQ(Script().messages(), QStringList{FormatLangString(GetLangString(5513), {QStringLiteral("first")})});
    EXPECT_EQ(Bytes(path), converted);
}

// A second copy of the program that writes while a compaction or repair runs
// is refused (3045) until the finished copy has taken the file's place, and
// every row it could commit is in the file afterwards.
TEST_F(MaintenanceTest, CompactionAndRepairKeepOtherWritersOutUntilTheSwap)
{
    for (bool repair : {false, true}) {
        SCOPED_TRACE(repair ? "repair" : "compaction");
        const QString path = MakeDb(QStringLiteral("shared.mdb"), dao::DefaultConnect(), 20000);
        // A damaged index, so the repair too builds a copy and swaps it in.
        if (repair) {
            ASSERT_GT(ZeroPages(path, "ZZZZ0001", 0x0A), 0);
        }
        std::atomic<bool> done{false};
        MaintenanceResult result;
        std::thread worker([&] {
            result = repair ? repairFile(path) : compactFile(path, dao::DefaultConnect());
            done = true;
        });
        // The work holds the file from before its working copy appears.
        while (!done && Leftovers().isEmpty())
            std::this_thread::yield();
        QStringList committed;
        int refused = 0;
        for (int i = 0; !done; ++i) {
            const QString code = QStringLiteral("W%1").arg(i);
            try {
                dao::DatabasePtr other = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
                other->Execute(QStringLiteral("INSERT INTO t (code, name, pad) VALUES (?, ?, ?)"), 0,
                               {code, QStringLiteral("second copy"), QString()});
                other->Close();
                committed << code;
            } catch (const VbError &e) {
                EXPECT_EQ(e.Number(), dao::JetErr::FileInUse) << e.Description().toStdString();
                ++refused;
            }
        }
        worker.join();
        ASSERT_EQ(result.status, MaintenanceResult::Done) << result.description.toStdString();
        EXPECT_GT(refused, 0) << "the second copy never met the work";
        dao::DatabasePtr db = dao::OpenDatabase(path, true, true, dao::DefaultConnect());
        QStringList lost;
        for (const QString &code : committed) {
            auto c = db->openCursor(QStringLiteral("SELECT COUNT(*) FROM t WHERE code = ?"), {code});
            if (!c->next() || c->value(0).toInt() != 1)
                lost << code;
        }
        db->Close();
        EXPECT_TRUE(lost.isEmpty()) << lost.size() << " of " << committed.size() << " committed rows lost";
        EXPECT_EQ(Rows(path, dao::DefaultConnect()), 10000 + committed.size());
        QFile::remove(path);
        QFile::remove(BackupPathFor(path));
    }
}

// Working copies a killed run left beside a file go at the next compaction,
// repair or opening of that file, and the status bar says so; a copy another
// process still holds and files of other names stay.
TEST_F(MaintenanceTest, LeftoversOfKilledRunsGoAtTheNextRunOrOpening)
{
    const QStringList stale = {
        QStringLiteral(".club.mdb.compact-0123456789abcdef.tmp"),
        QStringLiteral(".club.mdb.repair-0123456789ab.tmp"),          // named by an older version
        QStringLiteral(".club.mdb.repair-0123456789ab.tmp-journal"),
        QStringLiteral("..club.mdb.repair-0123456789ab.tmp.rebuild-fedcba9876543210.tmp"),
        QStringLiteral(".club.mdb.convert-00000000000000bb.tmp"),
        QStringLiteral(".club.mdb.bak-00000000000000aa.tmp"),
    };
    const QStringList strangers = {
        QStringLiteral(".club.dat.compact-0123456789abcdef.tmp"),
        QStringLiteral(".club.mdb.compact-not-ours.tmp"),
        QStringLiteral("club.mdb.compact-0123456789abcdef.tmp"),
        QStringLiteral(".club.mdb.compact-0123456789abcdef.tmp.keep"),
    };
    const QString live = QStringLiteral(".club.mdb.compact-1111111111111111.tmp");
    const QString folder = QStringLiteral(".club.mdb.compact-2222222222222222.tmp");
    enum Step { Compact, Repair, Open };
    for (Step step : {Compact, Repair, Open}) {
        SCOPED_TRACE(int(step));
        const QString path = Path(QStringLiteral("club.mdb"));
        ASSERT_TRUE(QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        for (const QString &name : stale + strangers + QStringList{live})
            Write(Path(name), QByteArray(64 * 1024, 'x'));
        ASSERT_TRUE(QDir().mkpath(Path(folder)));
        LockingProcess holder(Path(live));
        ASSERT_TRUE(holder.Locked());

        QStringList statuses;
        const StatusSink before = SetStatusSink([&](const QString &text, bool) { statuses << text; });
        ResetScript().answers = {Vb::No};
        cmDlg1.FileName = path;
        if (step == Compact) {
            frmCompact form;
            form.Command1_Click();
        } else if (step == Repair) {
            frmRepair form;
            form.Command1_Click();
        } else {
            EXPECT_EQ(OpenDb(path), 1);
        }
        SetStatusSink(before);

        for (const QString &name : stale)
            EXPECT_FALSE(QFileInfo::exists(Path(name))) << name.toStdString();
        for (const QString &name : strangers + QStringList{live, folder})
            EXPECT_TRUE(QFileInfo::exists(Path(name))) << name.toStdString();
        EXPECT_TRUE(statuses.contains(FormatLangString(GetLangString(28070), {QString::number(stale.size())})))
            << statuses.join(QLatin1Char('|')).toStdString();
        if (step == Open)
            CloseDb();
        QDir().rmdir(Path(folder));
        for (const QString &name : strangers + QStringList{live, QStringLiteral("club.mdb")})
            QFile::remove(Path(name));
    }
}

namespace {

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray LinkText(const QString &link)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), target.data(), size_t(target.size()));
    return n < 0 ? QByteArray("<not a link>") : target.left(n);
}

using TestFiles::StatOf;

} // namespace

// Chosen through a link (relative, from another folder), each tool works on
// the file the link names: the link stays as it was; the file is compacted,
// repaired or converted where it lies, keeping its owner, group and mode; the
// backup is a regular file beside it with the old content (and "No" removes
// that one); and opening the file through the link clears a working copy a
// killed run left beside the file.
TEST_F(MaintenanceTest, ThroughALinkTheToolsWorkOnTheFileItNames)
{
    const QString data = Path(QStringLiteral("data")), links = Path(QStringLiteral("links"));
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(QDir().mkpath(links));
    const QString file = data + QStringLiteral("/club.mdb"), link = links + QStringLiteral("/club.mdb");
    const QString backup = data + QStringLiteral("/club.bak");
    ASSERT_EQ(::symlink("../data/club.mdb", QFile::encodeName(link).constData()), 0);
    const bool root = ::geteuid() == 0;   // root can give the file to another account

    enum Tool { Compact, Repair, Convert };
    const struct {
        Tool tool;
        int answer;            // keep the backup?
        QString done;          // the closing message
    } cases[] = {
        {Compact, Vb::Yes, Done()},
        {Repair, Vb::Yes, GetLangString(22502) + QChar(10) + GetLangString(22503)},
        {Convert, Vb::No, GetLangString(5502) + QChar(10) + GetLangString(5503)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.tool));
        if (c.tool == Convert) {
            QFile f(TestSupport::DataDir() + QStringLiteral("/dao/first_version.sql"));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            dao::DatabasePtr db = dao::CreateDatabase(file, dao::DefaultConnect());
            db->ExecuteScript(QString::fromUtf8(f.readAll()));
            db->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza]) VALUES ('Stelvio', 24)"));
            db->Close();
        } else {
            MakeDb(QStringLiteral("data/club.mdb"), dao::DefaultConnect());
            if (c.tool == Repair) {
                ASSERT_GT(ZeroPages(file, "ZZZZ0001", 0x0A), 0);
            }
        }
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(file).constData(), 4000, 4100), 0);
        }
        const struct stat old = StatOf(file);
        const QByteArray before = Bytes(file);

        cmDlg1.FileName = link;
        ResetScript().answers = {c.answer};
        if (c.tool == Compact) {
            frmCompact form;
            form.Command1_Click();
        } else if (c.tool == Repair) {
            frmRepair form;
            form.Command1_Click();
        } else {
            frmConvert form;
            form.Command1_Click();
        }
        ASSERT_EQ(Script().messages(), QStringList{c.done});

        EXPECT_EQ(LinkText(link), QByteArray("../data/club.mdb")) << "the link stays as it was";
        EXPECT_NE(Bytes(file), before) << "the file the link names is the one changed";
        if (c.tool == Convert) {
            dao::DatabasePtr db = dao::OpenDatabase(link, true, true, dao::DefaultConnect());
            EXPECT_TRUE(db->TableExists(QStringLiteral("CampioniSalite")));
            db->Close();
        } else {
            EXPECT_EQ(Rows(link, dao::DefaultConnect()), 100);
        }
        const struct stat now = StatOf(file);
        EXPECT_TRUE(S_ISREG(now.st_mode));
        EXPECT_EQ(now.st_mode & 07777, 0640u);
        EXPECT_EQ(now.st_uid, old.st_uid);
        EXPECT_EQ(now.st_gid, old.st_gid);
        const bool backedUp = c.tool == Compact;
        if (backedUp) {
            EXPECT_TRUE(S_ISREG(StatOf(backup).st_mode)) << "the backup is the old file, not a link";
            EXPECT_EQ(Bytes(backup), before);
        }
        EXPECT_EQ(Entries(data), backedUp ? QStringList({QStringLiteral("club.bak"), QStringLiteral("club.mdb")})
                                          : QStringList{QStringLiteral("club.mdb")});
        EXPECT_EQ(Entries(links), QStringList{QStringLiteral("club.mdb")});
        QFile::remove(file);
        QFile::remove(backup);
    }

    // A working copy a killed run left beside the file goes when the file is
    // opened through the link.
    ASSERT_TRUE(QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")), file));
    QFile(file).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString stale = data + QStringLiteral("/.club.mdb.compact-0123456789abcdef.tmp");
    Write(stale, QByteArray(4096, 'x'));
    ResetScript();
    EXPECT_EQ(OpenDb(link), 1);
    CloseDb();
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_EQ(Entries(data), QStringList{QStringLiteral("club.mdb")});
}

// A link another account planted in a shared sticky folder (as /tmp is) is
// not followed: each tool refuses it with error 75 naming the link, before
// anything is read, and the file it names stays as it was with nothing
// beside it.
TEST_F(MaintenanceTest, ALinkAnotherAccountPlantedIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account's link can only be made by root";
    const QString shared = Path(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString file = MakeDb(QStringLiteral("club.mdb"), dao::DefaultConnect());
    ASSERT_GT(ZeroPages(file, "ZZZZ0001", 0x0A), 0);   // the repair too would replace it
    const QString link = shared + QStringLiteral("/club.mdb");
    ASSERT_EQ(::symlink(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), 4001, 4001), 0);
    const QByteArray before = Bytes(file);
    const QStringList around = Entries(m_root.path());

    const std::function<MaintenanceResult()> tools[] = {
        [&] { return compactFile(link, dao::DefaultConnect()); },
        [&] { return repairFile(link); },
        [&] { return convertFile(link); },
    };
    for (const auto &tool : tools) {
        const MaintenanceResult r = tool();
        EXPECT_EQ(r.status, MaintenanceResult::Error);
        EXPECT_EQ(r.number, 75);
        EXPECT_EQ(r.description, QStringLiteral("Path/File access error: link of another user in a shared folder, not followed: '%1'").arg(link));
        EXPECT_EQ(Bytes(file), before);
        EXPECT_EQ(Entries(m_root.path()), around);
        EXPECT_EQ(Entries(shared), QStringList{QStringLiteral("club.mdb")});
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    // Opening a database clears the working copies killed runs left beside
    // it, finding it as the writer does: through such a link, nothing.
    const QString stale = Path(QStringLiteral(".club.mdb.compact-0123456789abcdef.tmp"));
    Write(stale, QByteArray(4096, 'x'));
    EXPECT_EQ(dao::RemoveStaleWorkingCopies(link), 0);
    EXPECT_TRUE(QFileInfo::exists(stale));
    EXPECT_EQ(dao::RemoveStaleWorkingCopies(file), 1);
}

namespace {

// The tools' step hook for the life of the object.
class StepHook {
public:
    explicit StepHook(std::function<void(MaintenanceStep)> hook) { SetMaintenanceHookForTests(std::move(hook)); }
    ~StepHook() { SetMaintenanceHookForTests({}); }
    StepHook(const StepHook &) = delete;
    StepHook &operator=(const StepHook &) = delete;
};

// Every entry of folder with its mode and content (a link: where it leads).
QStringList Snapshot(const QString &folder)
{
    QStringList out;
    for (const QString &name : Entries(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        const struct stat st = StatOf(path);
        out << name + QStringLiteral(" %1 ").arg(st.st_mode, 0, 8)
                   + QString::fromLatin1((S_ISLNK(st.st_mode) ? LinkText(path) : Bytes(path)).toHex().left(4096));
    }
    return out;
}

// A database of the program's first version, which the conversion takes.
void MakeFirstVersion(const QString &path)
{
    QFile f(TestSupport::DataDir() + QStringLiteral("/dao/first_version.sql"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    dao::DatabasePtr db = dao::CreateDatabase(path, dao::DefaultConnect());
    db->ExecuteScript(QString::fromUtf8(f.readAll()));
    db->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza]) VALUES ('Stelvio', 24)"));
    db->Close();
}

} // namespace

// The folder the file was found in (chosen by its own path, or through a
// link to it) is exchanged for a link to another folder right after the
// check: each tool opens, copies, checks, backs up and swaps in the folder it
// found, its working copies there are private (0600, as the file is), and
// the other folder, with a database and a backup of the same names, stays
// exactly as it was.
TEST_F(MaintenanceTest, EveryStepIsInTheFolderFound)
{
    enum Tool { Compact, Repair, Convert };
    for (const bool throughLink : {false, true}) {
        for (const Tool tool : {Compact, Repair, Convert}) {
            SCOPED_TRACE(QStringLiteral("%1, tool %2").arg(throughLink ? "through a link" : "the folder itself").arg(tool).toStdString());
            const QString base = Path(QStringLiteral("case"));
            QDir(base).removeRecursively();
            const QString work = base + QStringLiteral("/work"), sub = work + QStringLiteral("/sub");
            const QString other = base + QStringLiteral("/other");
            // The folder found, by its path without links; moved aside by the exchange.
            const QString foundAt = throughLink ? base + QStringLiteral("/found") : sub;
            const QString found = foundAt + QStringLiteral(".away");
            ASSERT_TRUE(QDir().mkpath(work) && QDir().mkpath(other) && QDir().mkpath(foundAt));
            if (throughLink) {
                ASSERT_EQ(::symlink(QFile::encodeName(foundAt).constData(), QFile::encodeName(sub).constData()), 0);
            }
            const QString path = sub + QStringLiteral("/club.mdb");
            if (tool == Convert) {
                MakeFirstVersion(path);
                MakeFirstVersion(other + QStringLiteral("/club.mdb"));
            } else {
                MakeDb(QStringLiteral("case/work/sub/club.mdb"), dao::DefaultConnect());
                MakeDb(QStringLiteral("case/other/club.mdb"), dao::DefaultConnect(), 60);
                if (tool == Repair) {
                    ASSERT_GT(ZeroPages(path, "ZZZZ0001", 0x0A), 0);
                    ASSERT_GT(ZeroPages(other + QStringLiteral("/club.mdb"), "ZZZZ0001", 0x0A), 0);
                }
            }
            for (const QString &folder : {sub, other}) {
                ASSERT_EQ(::chmod(QFile::encodeName(folder + QStringLiteral("/club.mdb")).constData(), 0600), 0);
                Write(folder + QStringLiteral("/club.bak"), "an older backup");
            }
            ASSERT_EQ(::chmod(QFile::encodeName(other).constData(), 0700), 0);
            const QByteArray before = Bytes(path);
            const QStringList otherBefore = Snapshot(other);

            QStringList copies;   // the working copies in the folder found, with their modes
            StepHook hook([&](MaintenanceStep step) {
                if (step == MaintenanceStep::Found) {
                    ASSERT_EQ(::rename(QFile::encodeName(foundAt).constData(), QFile::encodeName(found).constData()), 0);
                    ASSERT_EQ(::symlink(QFile::encodeName(other).constData(), QFile::encodeName(foundAt).constData()), 0);
                    return;
                }
                for (const QString &name : Entries(found))
                    if (name.endsWith(QLatin1String(".tmp")))
                        copies << name + QStringLiteral(" %1").arg(StatOf(found + QLatin1Char('/') + name).st_mode & 07777, 0, 8);
            });
            const MaintenanceResult r = tool == Compact  ? compactFile(path, dao::DefaultConnect())
                                        : tool == Repair ? repairFile(path)
                                                         : convertFile(path);
            EXPECT_EQ(r.status, MaintenanceResult::Done) << r.description.toStdString();
            EXPECT_EQ(Snapshot(other), otherBefore) << "the other folder stays as it was";
            EXPECT_FALSE(copies.isEmpty());
            for (const QString &copy : copies)
                EXPECT_TRUE(copy.endsWith(QLatin1String(" 600"))) << copy.toStdString();
            const QString file = found + QStringLiteral("/club.mdb"), backup = found + QStringLiteral("/club.bak");
            EXPECT_NE(Bytes(file), before) << "the file found is the one changed";
            EXPECT_EQ(StatOf(file).st_mode & 07777, 0600u);
            EXPECT_EQ(Bytes(backup), tool == Repair ? QByteArray("an older backup") : before);
            EXPECT_EQ(Entries(found), QStringList({QStringLiteral("club.bak"), QStringLiteral("club.mdb")}));
            if (r.backup) {
                // Declined: the backup goes from the folder it was made in.
                EXPECT_TRUE(r.backup->remove());
                EXPECT_EQ(Entries(found), QStringList{QStringLiteral("club.mdb")});
                EXPECT_EQ(Snapshot(other), otherBefore);
            }
        }
    }
}

// A restore (or a sync) renames another database over the file while it is
// compacted: the compaction is refused, the restored file stays alone at its
// name, and the older backup is as it was, not replaced by a second name of
// the restored file.
TEST_F(MaintenanceTest, ACompactionRefusedAsReplacedKeepsTheOlderBackup)
{
    const QString path = MakeDb(QStringLiteral("club.mdb"), dao::DefaultConnect());
    Write(Path(QStringLiteral("club.bak")), "an older backup");
    const QString restored = MakeDb(QStringLiteral("restored.mdb"), dao::DefaultConnect(), 50);
    const QByteArray restoredBytes = Bytes(restored);
    StepHook hook([&](MaintenanceStep step) {
        if (step == MaintenanceStep::CopyBuilt) {
            ASSERT_EQ(::rename(QFile::encodeName(restored).constData(), QFile::encodeName(path).constData()), 0);
        }
    });
    const MaintenanceResult r = compactFile(path, dao::DefaultConnect());
    EXPECT_EQ(r.status, MaintenanceResult::Error);
    EXPECT_EQ(r.description, QStringLiteral("Path/File access error: file replaced meanwhile: '%1'").arg(path));
    EXPECT_EQ(Bytes(Path(QStringLiteral("club.bak"))), QByteArray("an older backup"));
    EXPECT_EQ(Bytes(path), restoredBytes);
    EXPECT_EQ(StatOf(path).st_nlink, 1u);
    EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(QLatin1Char(' ')).toStdString();
}

namespace {

// Another account that exchanges its folder "sub" with a link to target
// (in the folder of its own at folder) without pause, and meanwhile reads
// every file that appears in that folder of its, looking for marker. stop()
// puts the folder back and returns how many files it read marker in.
class ExchangingAccount {
public:
    ExchangingAccount(const QString &folder, const QString &target, uid_t uid, const QByteArray &marker)
        : m_folder(QFile::encodeName(folder)), m_target(QFile::encodeName(target)), m_marker(marker)
    {
        if (::pipe(m_stop) != 0 || ::pipe(m_report) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(m_stop[1]);
            ::close(m_report[0]);
            Run(uid);
        }
        ::close(m_stop[0]);
        ::close(m_report[1]);
    }
    ~ExchangingAccount() { stop(); }
    ExchangingAccount(const ExchangingAccount &) = delete;
    ExchangingAccount &operator=(const ExchangingAccount &) = delete;

    long stop()
    {
        if (m_pid <= 0)
            return m_leaks;
        ::close(m_stop[1]);
        if (::read(m_report[0], &m_leaks, sizeof m_leaks) != ssize_t(sizeof m_leaks))
            m_leaks = -1;
        ::close(m_report[0]);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        return m_leaks;
    }

private:
    // The child: system calls only, on buffers made before the fork.
    [[noreturn]] void Run(uid_t uid)
    {
        ::alarm(60);
        long leaks = 0;
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
            leaks = -2;
        const int dir = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int sub = ::openat(dir, "sub", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (leaks == 0 && (sub < 0 || ::symlinkat(m_target.constData(), dir, "sub.link") != 0))
            leaks = -3;
        for (unsigned long i = 0; leaks >= 0; ++i) {
            ::renameat2(dir, "sub", dir, "sub.link", RENAME_EXCHANGE);
            if (i % 16 != 0)
                continue;
            pollfd stop{m_stop[0], POLLIN, 0};
            if (::poll(&stop, 1, 0) > 0)
                break;
            leaks += Scan(sub);
        }
        struct stat st {};
        if (::fstatat(dir, "sub", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            ::renameat2(dir, "sub", dir, "sub.link", RENAME_EXCHANGE);
        (void)::write(m_report[1], &leaks, sizeof leaks);
        ::_exit(0);
    }
    // How many files of the folder open at sub hold the marker.
    long Scan(int sub)
    {
        static char entries[1 << 15];
        static char data[1 << 16];
        long found = 0;
        ::lseek(sub, 0, SEEK_SET);
        for (;;) {
            const long n = ::syscall(SYS_getdents64, sub, entries, sizeof entries);
            if (n <= 0)
                break;
            for (long at = 0; at < n;) {
                const auto *entry = reinterpret_cast<const dirent64 *>(entries + at);
                at += entry->d_reclen;
                const int fd = ::openat(sub, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
                if (fd < 0)
                    continue;
                size_t kept = 0;
                for (ssize_t got; (got = ::read(fd, data + kept, sizeof data - kept)) > 0;) {
                    const size_t size = kept + size_t(got);
                    if (::memmem(data, size, m_marker.constData(), size_t(m_marker.size()))) {
                        ++found;
                        break;
                    }
                    // The end kept for a marker cut between two reads.
                    kept = std::min(size, size_t(m_marker.size()));
                    std::memmove(data, data + size - kept, kept);
                }
                ::close(fd);
            }
        }
        return found;
    }

    QByteArray m_folder, m_target, m_marker;
    int m_stop[2] = {-1, -1}, m_report[2] = {-1, -1};
    pid_t m_pid = -1;
    long m_leaks = 0;
};

void InsertName(const QString &path, const QString &name)
{
    dao::DatabasePtr db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    db->Execute(QStringLiteral("INSERT INTO t (code, name, pad) VALUES ('M', ?, '')"), 0, {name});
    db->Close();
}

} // namespace

// Another account keeps exchanging its own folder with a link to the user's
// private folder while the user compacts and repairs the database in that
// folder of the other account's: whichever folder each run finds, it works
// there alone. No copy of the private database is ever readable in the
// other account's folder, and the user's own backup is never replaced by
// the other account's file.
TEST_F(MaintenanceTest, AFolderExchangedForALinkMeanwhileGetsNothingPrivate)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account can only be played by root";
    constexpr uid_t kOther = 4001;
    const QString shared = Path(QStringLiteral("shared")), theirs = shared + QStringLiteral("/theirs");
    const QString mine = Path(QStringLiteral("mine"));
    ASSERT_EQ(::chmod(QFile::encodeName(m_root.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir().mkpath(theirs + QStringLiteral("/sub")) && QDir().mkpath(mine));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(mine).constData(), 0700), 0);
    const QString privateDb = MakeDb(QStringLiteral("mine/club.mdb"), dao::DefaultConnect(), 40);
    InsertName(privateDb, QStringLiteral("PRIVATE-MARKER-ROW"));
    ASSERT_EQ(::chmod(QFile::encodeName(privateDb).constData(), 0600), 0);
    Write(mine + QStringLiteral("/club.bak"), "my older backup");
    const QString path = MakeDb(QStringLiteral("shared/theirs/sub/club.mdb"), dao::DefaultConnect(), 40);
    InsertName(path, QStringLiteral("THEIR-MARKER-ROW"));
    for (const QString &entry : {theirs, theirs + QStringLiteral("/sub"), path})
        ASSERT_EQ(::chown(QFile::encodeName(entry).constData(), kOther, kOther), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);

    QStringList wrong;
    int runs = 0;
    {
        ExchangingAccount other(theirs, mine, kOther, "PRIVATE-MARKER-ROW");
        QElapsedTimer clock;
        clock.start();
        for (; runs < 600 && clock.elapsed() < 6000 && wrong.isEmpty(); ++runs) {
            const MaintenanceResult r = runs % 2 ? repairFile(path) : compactFile(path, dao::DefaultConnect());
            if (r.status == MaintenanceResult::Error && r.description.contains(QLatin1String("/proc/")))
                wrong << QStringLiteral("run %1 told a handle: %2").arg(runs).arg(r.description);
            if (Entries(mine) != QStringList({QStringLiteral("club.bak"), QStringLiteral("club.mdb")}))
                wrong << QStringLiteral("run %1 left in the private folder: ").arg(runs) + Entries(mine).join(QLatin1Char(' '));
            if (Bytes(mine + QStringLiteral("/club.bak")).contains("THEIR-MARKER-ROW"))
                wrong << QStringLiteral("run %1 replaced the private backup with the other account's file").arg(runs);
        }
        EXPECT_EQ(other.stop(), 0) << "copies of the private database were readable in the other account's folder";
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
    for (const QString &name : Entries(theirs + QStringLiteral("/sub")))
        EXPECT_FALSE(Bytes(theirs + QStringLiteral("/sub/") + name).contains("PRIVATE-MARKER-ROW")) << name.toStdString();
    EXPECT_EQ(Rows(privateDb, dao::DefaultConnect()), 21) << "the private database keeps every row";
    EXPECT_GT(runs, 20);
}
