#include "platform/error/VbError.h"
#include "platform/print/Printer.h"
#include "FileFaults.h"
#include "QtMessages.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <deque>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString PdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Printer, PrintsTextLinesAndPagesToPdf)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("out.pdf"));
    Printer p;
    p.SetOutputFileName(pdf);
    p.SetFontName(QStringLiteral("Times New Roman"));
    p.SetFontSize(12);
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("First line"));
    EXPECT_DOUBLE_EQ(p.CurrentX, 0.0);                       // back to the left edge
    EXPECT_NEAR(p.CurrentY, 1440 + p.TextHeight(), 1e-6);    // and one line down
    p.Line(1440, 3000, 5000, 3000);
    EXPECT_DOUBLE_EQ(p.CurrentX, 5000);
    p.LineTo(5000, 4000);
    EXPECT_DOUBLE_EQ(p.CurrentY, 4000);
    p.Circle(3000, 6000, 500);
    EXPECT_TRUE(p.InDocument());
    p.NewPage();
    EXPECT_EQ(p.Page(), 2);
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("Second page"));
    p.EndDoc();
    EXPECT_FALSE(p.InDocument());

    const QString text = PdfText(pdf);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("First line")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Second page")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Second page")));
}

TEST(Printer, KillDocLeavesNoFile)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("killed.pdf"));
    Printer p;
    p.SetOutputFileName(pdf);
    p.Print(QStringLiteral("never printed"));
    p.KillDoc();
    EXPECT_FALSE(p.InDocument());
    EXPECT_FALSE(QFile::exists(pdf));
    // EndDoc without a document does nothing.
    p.EndDoc();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(Printer, ScalesAndMetrics)
{
    Printer p;
    p.SetOutputFileName(QDir::temp().filePath(QStringLiteral("unused.pdf")));
    p.SetOrientation(Printer::vbPRORPortrait);
    const double w = p.Width(), h = p.Height();
    EXPECT_GT(h, w);
    EXPECT_DOUBLE_EQ(p.ScaleWidth(), w);

    p.SetFontSize(20);
    const double twips = p.TextWidth(QStringLiteral("Hello"));
    const double lineTwips = p.TextHeight(QStringLiteral("Z"));
    EXPECT_GT(twips, 0);
    // A 20 pt line is about 20 pt high: 400 twips, give or take the font's leading.
    EXPECT_GT(lineTwips, 350);
    EXPECT_LT(lineTwips, 600);
    EXPECT_NEAR(p.TextHeight(QStringLiteral("a\nb")), 2 * lineTwips, 1e-6);

    p.SetScaleMode(Printer::vbMillimeters);
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Hello")), twips / 1440.0 * 25.4, 1e-6);
    EXPECT_NEAR(p.ScaleWidth(), w / 1440.0 * 25.4, 1e-6);

    p.Scale(0, 0, 100, 200);
    EXPECT_EQ(p.ScaleMode(), Printer::vbUser);
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Hello")), twips / w * 100, 1e-6);

    p.SetOrientation(Printer::vbPRORLandscape);
    EXPECT_EQ(p.Orientation(), Printer::vbPRORLandscape);
    EXPECT_GT(p.Width(), p.Height());
    EXPECT_THROW(p.SetOrientation(3), VbError);
    EXPECT_THROW(p.Scale(0, 0, 0, 10), VbError);
}

TEST(Printer, SharedInstanceIsOne)
{
    EXPECT_EQ(&SharedPrinter(), &SharedPrinter());
}

namespace {
// No printer installed and a chooser that answers from a list, for a test's length.
class NoPrinter {
public:
    explicit NoPrinter(QStringList printers = {})
        : m_oldList(SetPrinterListProvider([printers] { return printers; })),
          m_oldChooser(SetPdfFileChooser([this](const QString &name) {
              asked << name;
              if (answers.empty())
                  return std::optional<QString>();
              const std::optional<QString> a = answers.front();
              answers.pop_front();
              return a;
          }))
    {
    }
    ~NoPrinter()
    {
        SetPrinterListProvider(m_oldList);
        SetPdfFileChooser(m_oldChooser);
    }
    std::deque<std::optional<QString>> answers;
    QStringList asked;

private:
    PrinterListProvider m_oldList;
    PdfFileChooser m_oldChooser;
};

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

// Without a printer the document goes to the PDF file chosen for it, which
// takes its name only when the document ends: an old file of that name stays
// whole until then, and stays as it was when the print is discarded.
TEST(Printer, WithoutPrinterPrintsToTheChosenPdfFile)
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("Passo Giau.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old file");
    }
    NoPrinter none;
    Printer p;
    none.answers = {pdf, pdf};
    ASSERT_TRUE(p.ChooseOutput(QStringLiteral("Passo Giau")));
    EXPECT_EQ(none.asked, QStringList{QStringLiteral("Passo Giau")});
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("Discarded card"));
    p.KillDoc();
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("Passo Giau.pdf")});
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old file"));
    }

    // Nobody asked first: the first drawing operation asks.
    p.CurrentX = 1440;
    p.CurrentY = 1440;
    p.Print(QStringLiteral("Printed card"));
    EXPECT_EQ(none.asked.size(), 2);
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old file"));   // not yet replaced
    }
    p.EndDoc();
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("Passo Giau.pdf")});
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Printed card")));
    // The next document asks again.
    EXPECT_TRUE(p.OutputFileName().isEmpty());
    EXPECT_FALSE(p.ChooseOutput(QStringLiteral("Next")));
    EXPECT_EQ(none.asked.size(), 3);
}

// A disk that fills while the document is drawn: the PDF writer's lost
// bytes are found before the file takes its name, the old file stays whole
// and the end of the document says why.
TEST(Printer, AFullDiskKeepsTheOldPdfAndSaysWhy)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(folder);
    SmallFileSystem disk(folder, 0, "size=256k");
    if (!disk.ok())
        GTEST_SKIP() << "this process may not mount a file system";
    const QString pdf = folder + QStringLiteral("/Passo Giau.pdf");
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old file");
    }
    NoPrinter none;
    Printer p;
    none.answers = {pdf};
    ASSERT_TRUE(p.ChooseOutput(QStringLiteral("Passo Giau")));
    for (int line = 0; line < 40; ++line) {
        p.CurrentX = 1440;
        p.CurrentY = 1440 + line * 300;
        p.Print(QStringLiteral("Passo Giau, hairpin %1").arg(line));
    }
    disk.fill();
    QString why;
    try {
        p.EndDoc();
    } catch (const VbError &e) {
        why = e.Description();
    }
    EXPECT_TRUE(why.contains(QStringLiteral("disk full"))) << why.toStdString();
    EXPECT_TRUE(why.contains(pdf)) << why.toStdString();
    EXPECT_EQ(Entries(folder), (QStringList{QStringLiteral("filler"), QStringLiteral("Passo Giau.pdf")}));
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old file"));
}

// A PDF file chosen in a folder that does not exist, cannot be written or is
// on a read-only file system: the document fails with the printer error and,
// on a line of its own, the file writer's cause and obstacle; the next
// document asks for a file again. A file set by the program that cannot be
// opened says why the same way. The file is found unwritable before anything
// is painted, so Qt's painter says nothing on the terminal.
TEST(Printer, AFileThatCannotBeOpenedSaysWhy)
{
    QTemporaryDir dir;
    const QString locked = QDir(dir.path()).filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool lockedHolds = ::access(QFile::encodeName(locked).constData(), W_OK) != 0;   // root writes anyway
    const QString readOnly = QDir(dir.path()).filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    SmallFileSystem readOnlyDisk(readOnly, MS_RDONLY);
    const struct {
        QString file;
        QString cause;
        QString obstacle;   // the path the message names
        bool holds;
    } cases[] = {
        {QDir(dir.path()).filePath(QStringLiteral("missing/Passo Giau.pdf")), QStringLiteral("folder not found"),
         QDir(dir.path()).filePath(QStringLiteral("missing/Passo Giau.pdf")), true},
        {QDir(locked).filePath(QStringLiteral("Passo Giau.pdf")), QStringLiteral("folder not writable"), locked, lockedHolds},
        {QDir(readOnly).filePath(QStringLiteral("Passo Giau.pdf")), QStringLiteral("read-only"),
         QDir(readOnly).filePath(QStringLiteral("Passo Giau.pdf")), readOnlyDisk.ok()},
    };
    QtMessages qt;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (!c.holds)
            continue;
        const QString expected = QStringLiteral("Printer error\nPath/File access error: %1: '%2'").arg(c.cause, c.obstacle);
        NoPrinter none;
        Printer p;
        none.answers = {c.file};
        ASSERT_TRUE(p.ChooseOutput(QStringLiteral("Passo Giau")));
        try {
            p.Print(QStringLiteral("card"));
            ADD_FAILURE() << "printed";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), Printer::ErrPrinter);
            EXPECT_EQ(e.Description(), expected);
        }
        EXPECT_FALSE(p.InDocument());
        EXPECT_FALSE(p.ChooseOutput(QStringLiteral("Passo Giau")));
        EXPECT_EQ(none.asked.size(), 2) << "the next print asks again";

        p.SetOutputFileName(c.file);
        try {
            p.Print(QStringLiteral("card"));
            ADD_FAILURE() << "printed";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Description(), expected);
        }
        p.SetOutputFileName(QString());
    }
    EXPECT_TRUE(qt.said.filter(QStringLiteral("QPainter")).isEmpty()) << qt.said.join(QLatin1Char('\n')).toStdString();
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

namespace {
// The new file a write of path killed midway leaves behind: a child process
// writes it through the writer and is killed before it commits.
QString KilledWrite(const QString &path)
{
    int said[2];
    if (::pipe(said) != 0)
        return QString();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(said[0]);
        ::alarm(30);
        FileWrite::SafeFileWriter out(path);
        const QByteArray temp = out.write(QByteArrayLiteral("%PDF-1.4 half a card")) ? QFile::encodeName(out.temporaryPath())
                                                                                       : QByteArray();
        (void)::write(said[1], temp.constData(), size_t(temp.size()));
        ::close(said[1]);
        for (;;)
            ::pause();
    }
    ::close(said[1]);
    QByteArray temp;
    char buffer[4096];
    for (ssize_t n; pid > 0 && (n = ::read(said[0], buffer, sizeof buffer)) > 0;)
        temp.append(buffer, n);
    ::close(said[0]);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return QFile::decodeName(temp);
}

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}
} // namespace

// A print to a file goes through the file writer: what a killed write of the
// same file left is cleared away, nothing but the writer's hidden new file
// stands beside the target while the document is drawn, a replaced file keeps
// its mode, and a link of the user's to a file elsewhere stays a link, the
// file it names being the one printed.
TEST(Printer, PdfFilesGoThroughTheWriter)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("prints")), archive = dir.filePath(QStringLiteral("archive"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(archive));
    const QString pdf = folder + QStringLiteral("/Passo Giau.pdf");
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old file");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(pdf).constData(), 0640), 0);
    const QString leftover = KilledWrite(pdf);
    ASSERT_FALSE(leftover.isEmpty());
    ASSERT_TRUE(QFileInfo::exists(leftover));

    NoPrinter none;
    Printer p;
    const QString real = archive + QStringLiteral("/Stelvio.pdf"), link = folder + QStringLiteral("/Stelvio.pdf");
    none.answers = {pdf, link};
    ASSERT_TRUE(p.ChooseOutput(QStringLiteral("Passo Giau")));
    p.Print(QStringLiteral("Printed card"));
    // Cleared when the print opened its file (whose new file may take the
    // killed write's name again).
    QFile killed(leftover);
    EXPECT_TRUE(!killed.open(QIODevice::ReadOnly) || !killed.readAll().startsWith("%PDF-1.4 half a card"));
    const QStringList drawing = Entries(folder);
    EXPECT_EQ(drawing.size(), 2) << drawing.join(QLatin1Char(' ')).toStdString();
    for (const QString &name : drawing)
        EXPECT_TRUE(name == QLatin1String("Passo Giau.pdf") || name.startsWith(QLatin1Char('.'))) << name.toStdString();
    p.EndDoc();
    EXPECT_EQ(Entries(folder), QStringList{QStringLiteral("Passo Giau.pdf")});
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Printed card")));
    EXPECT_EQ(ModeOf(pdf), mode_t(0640));

    {
        QFile old(real);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old file");
    }
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(p.ChooseOutput(QStringLiteral("Stelvio")));
    p.Print(QStringLiteral("Linked card"));
    p.EndDoc();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(PdfText(real).contains(QStringLiteral("Linked card")));
    EXPECT_EQ(Entries(archive), QStringList{QStringLiteral("Stelvio.pdf")});
    EXPECT_EQ(Entries(folder), (QStringList{QStringLiteral("Passo Giau.pdf"), QStringLiteral("Stelvio.pdf")}));
}

// A cancelled file name prints nothing; a printer that is installed, or an
// output file set by the program, is used without asking.
TEST(Printer, CancelledFileAndInstalledPrinter)
{
    QTemporaryDir dir;
    {
        NoPrinter none;
        Printer p;
        EXPECT_FALSE(p.ChooseOutput(QStringLiteral("Card")));
        try {
            p.Print(QStringLiteral("never"));
            ADD_FAILURE() << "no error";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), VbErr::CancelError);
        }
        EXPECT_FALSE(p.InDocument());

        const QString set = QDir(dir.path()).filePath(QStringLiteral("set.pdf"));
        p.SetOutputFileName(set);
        EXPECT_TRUE(p.ChooseOutput(QStringLiteral("Card")));
        EXPECT_EQ(none.asked.size(), 2);
        EXPECT_EQ(p.OutputFileName(), set);

        // The chosen folder cannot be written: the printer error, nothing left behind.
        p.SetOutputFileName(QString());
        none.answers = {QDir(dir.path()).filePath(QStringLiteral("missing/card.pdf"))};
        try {
            p.Print(QStringLiteral("never"));
            ADD_FAILURE() << "no error";
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), Printer::ErrPrinter);
        }
        EXPECT_TRUE(Entries(dir.path()).isEmpty());
    }
    NoPrinter installed({QStringLiteral("Office")});
    Printer p;
    EXPECT_TRUE(p.ChooseOutput(QStringLiteral("Card")));
    EXPECT_TRUE(installed.asked.isEmpty());
    EXPECT_TRUE(p.OutputFileName().isEmpty());
}
