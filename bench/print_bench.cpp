// Table printing: layout of large in-memory tables, replay of single pages of
// a long job at the preview's zoom sizes, and the whole job to PDF. Prints its
// figures; asserts nothing.
#include "LumoTabPrt/src/LumoTabPrt.h"
#include "LumoTabPrt/src/clsStampante.h"
#include "LumoTabPrt/src/frmPreView.h"

#include <QComboBox>
#include <QScrollBar>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {
// CPU time of the process: the machine may be shared, wall time is shown too.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double PeakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

lumo::MemorySource Table(int rows, int cols)
{
    lumo::MemorySource s;
    for (int c = 0; c < cols; ++c) {
        const lumo::ColType t = c % 3 == 0 ? lumo::ColType::Text : c % 3 == 1 ? lumo::ColType::Integer
                                                                               : lumo::ColType::Real;
        s.columns.append({QStringLiteral("Campo %1").arg(c + 1), t});
    }
    s.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QVector<QVariant> row;
        row.reserve(cols);
        for (int c = 0; c < cols; ++c) {
            if (c % 3 == 0)
                row.append(QStringLiteral("Salita %1 %2").arg(r).arg(c));
            else if (c % 3 == 1)
                row.append(qlonglong(r) * 37 + c);
            else
                row.append(r * 0.125 + c);
        }
        s.rows.append(row);
    }
    return s;
}

lumo::JobResult Layout(const char *what, int rows, int cols)
{
    lumo::MemorySource src = Table(rows, cols);
    auto cursor = src.cursor();
    QElapsedTimer t;
    t.start();
    const double cpu0 = CpuMs();
    lumo::JobResult r = lumo::RunJob(lumo::PrintOptions(), *cursor, QStringLiteral("Benchmark|Profile"), nullptr);
    const double cpu = CpuMs() - cpu0;
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("layout %-12s %8.1f ms (cpu %8.1f ms)  %5d pages  %5.1f commands/row  peak RSS %6.1f MB\n", what,
                ms, cpu, r.pages, double(r.list->GetNrCmds()) / rows, PeakRssMb());
    return r;
}
}

int main(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    lumo::JobResult first = Layout("10000 x 12", 10000, 12);
    // print_bench --pdf FILE also writes that job as a PDF, to look at.
    const QStringList args = QCoreApplication::arguments();
    const qsizetype pdfArg = args.indexOf(QStringLiteral("--pdf"));
    if (pdfArg > 0 && pdfArg + 1 < args.size()) {
        QPrinter out(QPrinter::HighResolution);
        out.setOutputFormat(QPrinter::PdfFormat);
        out.setOutputFileName(args.at(pdfArg + 1));
        const ReplayResult r = first.list->AttuaStampaStampante(out);
        std::printf("wrote %s: %d pages (%s)\n", qPrintable(args.at(pdfArg + 1)), r.pagesDrawn, r.ok() ? "ok" : "failed");
    }
    first = {};
    Layout("100000 x 4", 100000, 4);

    // A job of about 500 pages.
    lumo::JobResult job = Layout("500 pages", 29600, 6);
    const clsStampante &list = *job.list;
    QVector<qint32> starts;
    const qint32 pages = list.GetNrPagine(starts);
    std::printf("job of %d pages, %d commands\n", pages, list.GetNrCmds());

    // The preview's sheet: 15 twips to a screen pixel, times the zoom factor.
    const double zooms[] = {0.965, 1.5, 2.0, 3.5, 4.0};
    for (int z = 0; z < 5; ++z) {
        const int w = int(list.RealWidth() / 15.0 * zooms[z]);
        const int h = int(list.RealHeight() / 15.0 * zooms[z]);
        QImage sheet(w, h, QImage::Format_RGB32);
        std::printf("ZOOM %d (%4dx%4d):", z + 1, w, h);
        {
            // Glyphs at a new size are rasterised once; time the pages after that.
            QPainter warm(&sheet);
            list.AttuaStampaPicture(warm, starts.at(pages - 2));
        }
        for (int page : {0, pages / 2, pages - 1}) {
            const int reps = 5;
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < reps; ++i) {
                sheet.fill(Qt::white);
                QPainter p(&sheet);
                list.AttuaStampaPicture(p, starts.at(page));
            }
            std::printf("  page %3d %6.2f ms", page + 1, t.nsecsElapsed() / 1e6 / reps);
        }
        std::printf("\n");
    }

    // The preview window paints only the part of the sheet it shows.
    {
        frmPreView preview;
        preview.resize(1200, 900);
        preview.Load(job.list, nullptr);
        preview.show();
        QApplication::processEvents();
        for (int z = 0; z < 5; ++z) {
            preview.cboZoom->setCurrentIndex(z);
            preview.Relayout();
            std::printf("preview ZOOM %d:", z + 1);
            for (int page : {0, pages - 1}) {
                preview.scrPagina->setValue(page);
                preview.picFoglio->repaint();   // glyphs of this size once
                const int reps = 5;
                QElapsedTimer t;
                t.start();
                for (int i = 0; i < reps; ++i)
                    preview.picFoglio->repaint();
                std::printf("  page %3d %6.2f ms", page + 1, t.nsecsElapsed() / 1e6 / reps);
            }
            std::printf("  peak RSS %.1f MB\n", PeakRssMb());
        }
        preview.hide();
    }

    QTemporaryDir dir;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(dir.filePath(QStringLiteral("job.pdf")));
    QElapsedTimer t;
    t.start();
    const ReplayResult r = list.AttuaStampaStampante(pdf);
    std::printf("whole job to PDF: %d pages in %.1f ms (%s), %.1f MB file, peak RSS %.1f MB\n", r.pagesDrawn,
                t.nsecsElapsed() / 1e6, r.ok() ? "ok" : "failed",
                QFileInfo(dir.filePath(QStringLiteral("job.pdf"))).size() / 1e6, PeakRssMb());
    return 0;
}
