// A job printed to PDF, read back with the poppler tools.
#include "LumoTestSupport.h"

#include "LumoTabPrt/src/clsStampante.h"

#include <QDate>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumotest;

namespace {
QString RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

ReplayResult PrintToPdf(const clsStampante &list, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::PageSizeId(list.RealWidth() > 20000 ? QPageSize::A2 : QPageSize::A4)));
    return list.AttuaStampaStampante(printer);
}
}

TEST(Pdf, AThreePageJob)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("climbs.pdf"));
    lumo::MemorySource rows = Climbs(150);
    rows.rows[1][0] = QStringLiteral("Passo dell'Erbe \"alto\"");
    lumo::PrintOptions options;
    options.FootText = QStringLiteral("vettaro 1.0");
    auto cursor = rows.cursor();
    const lumo::JobResult job = lumo::RunJob(options, *cursor, QStringLiteral("Climbs Data|Profile"), nullptr);
    ASSERT_EQ(job.status, lumo::JobStatus::Done);
    ASSERT_EQ(job.pages, 3);
    const ReplayResult r = PrintToPdf(*job.list, path);
    ASSERT_TRUE(r.ok()) << int(r.failure);
    EXPECT_EQ(r.pagesDrawn, 3);

    const QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\b")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Climbs Data - Profile")))) << info.toStdString();

    const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3) << text.toStdString();
    const QString date = QStringLiteral("Stampa del ") + QDate::currentDate().toString(QStringLiteral("dd/MM/yy"));
    for (int p = 0; p < 3; ++p) {
        const QString &page = pages.at(p);
        EXPECT_TRUE(page.contains(QStringLiteral("Climbs Data"))) << "title on page " << p + 1;
        EXPECT_TRUE(page.contains(QRegularExpression(QStringLiteral("Nome Salita\\s+Lunghezza\\s+Quota Iniziale"))))
            << "head row on page " << p + 1 << "\n" << page.left(600).toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("Pag. %1").arg(p + 1))) << p + 1;
        EXPECT_TRUE(page.contains(date)) << page.right(300).toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("vettaro 1.0")));
    }
    EXPECT_TRUE(pages.at(0).contains(QStringLiteral("Passo dell'Erbe \"alto\"")));
    EXPECT_TRUE(pages.at(0).contains(QRegularExpression(QStringLiteral("Salita 3\\s+5.50\\s+202\\s+1,206\\s+Lombardia"))))
        << pages.at(0).left(1500).toStdString();
    EXPECT_TRUE(pages.at(2).contains(QStringLiteral("Salita 150")));
}

TEST(Pdf, AnA2SheetAndAnUnwritableFile)
{
    lumo::MemorySource rows = Climbs(120);
    auto cursor = rows.cursor();
    const lumo::JobResult job = lumo::RunJob(lumo::PrintOptions(), *cursor, QStringLiteral("A2"), nullptr,
                                             QPageLayout(QPageSize(QPageSize::A2), QPageLayout::Portrait, QMarginsF()));
    ASSERT_EQ(job.status, lumo::JobStatus::Done);
    EXPECT_EQ(job.pages, 1) << "120 rows fit on one A2 sheet";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a2.pdf"));
    ASSERT_TRUE(PrintToPdf(*job.list, path).ok());
    const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Salita 120"))) << "the rows beyond 57.8 cm are on the sheet";
    EXPECT_TRUE(text.contains(QStringLiteral("Pag. 1")));

    const ReplayResult failed = PrintToPdf(*job.list, QStringLiteral("/nonexistent-folder/x.pdf"));
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.failure, ReplayResult::Failure::Open);
}
