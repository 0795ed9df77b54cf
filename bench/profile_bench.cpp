// Profile drawing: redraws at window size with the default options and with
// every option on, a redraw at zoom 10, one read-out move, the settings
// dialog's load and apply. Prints its figures.
#include "core/ProfileGlobals.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/BikeRoutine.h"
#include "profile/DibSection.h"
#include "profile/DrawingFrame.h"
#include "profile/ProfileSvg.h"
#include "profile/ProfileReadout.h"
#include "profile/ProfileRenderer.h"
#include "profile/RegisterWindows.h"
#include "profile/frmAltimetria.h"
#include "profile/frmGraphSettings.h"
#include "core/WindowRegistry.h"
#include "core/DataGlobals.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QPainter>
#include <cmath>
#include <functional>
#include <cstdio>
#include <vector>
#include <algorithm>

namespace {

void HandOff(int n)
{
    ProfileSamples.clear();
    int lo = 1 << 30, hi = -(1 << 30);
    for (int i = 0; i < n; ++i) {
        ProfileSample s;
        s.DistParz = float(i) * 0.01f;
        s.Altezza = int(800 + 600 * std::sin(i / 700.0) + (i % 37) * 3);
        if (i % 500 == 0)
            s.Note = QStringLiteral("Place %1").arg(i);
        ProfileSamples << s;
        lo = std::min(lo, s.Altezza);
        hi = std::max(hi, s.Altezza);
    }
    ProfilePointCount = n;
    ProfileDistance = ProfileSamples.last().DistParz;
    ProfileBase = int(std::nearbyint(lo / 100.0 * 95));
    ProfileSpan = hi - ProfileBase;
    ProfileName = QStringLiteral("Benchmark");
    ProfileSpeed = QStringLiteral("20");
}

ProfileOptions Everything()
{
    ProfileOptions o;
    o.DrawWall = 1;
    o.DrawMarkLine = 1;
    o.MarkLineWidth = 2;
    o.DrawPend = 1;
    o.DrawQRif = 1;
    o.DrawFlag = 0;
    o.Graph_FillStyle = 6;
    o.GradColor1 = 0xFFEEDD;
    o.GradColor2 = 0x88CCFF;
    return o;
}

double TimeRender(const QSize &size, const ProfileOptions &options, int runs)
{
    const ProfileInput in = ProfileInput::FromHandoff();
    QImage image = MakeSurfaceImage(size, Qt::white);
    ProfileOptions o = options;
    RenderProfile(image, Qt::white, o, in, nullptr);   // warm-up
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i) {
        o = options;
        RenderProfile(image, Qt::white, o, in, nullptr);
    }
    return t.nsecsElapsed() / 1e6 / runs;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QSize window(1000, 400);
    std::printf("profile redraw at %dx%d (ms per redraw, us per sample)\n", window.width(), window.height());
    for (int n : {1000, 5000, 20000}) {
        HandOff(n);
        const double d = TimeRender(window, ProfileOptions(), 20);
        const double e = TimeRender(window, Everything(), 20);
        std::printf("  %6d samples: defaults %7.2f ms (%.3f us/sample)   every option %7.2f ms (%.3f us/sample)\n", n, d,
                    d * 1000 / n, e, e * 1000 / n);
    }
    HandOff(20000);
    const double z = TimeRender(QSize(window.width() * 10, window.height()), ProfileOptions(), 5);
    std::printf("  zoom 10 (%dx%d), 20000 samples: %.2f ms\n", window.width() * 10, window.height(), z);

    // One read-out move: the segment walk, the panel texts and the cursor on the overlay.
    DrawingSurface surface;
    surface.resize(window.width() * 10, window.height());
    QImage image = surface.NewImage();
    ProfileOptions o;
    const RenderResult r = RenderProfile(image, Qt::white, o, ProfileInput::FromHandoff(), nullptr);
    surface.SetImage(image);
    const QVector<ProfileSample> samples = ProfileSamples;
    ProfileReadout::Segment seg;
    QElapsedTimer t;
    const int moves = 2000;
    t.start();
    for (int i = 0; i < moves; ++i) {
        const double x = ProfileDistance * (i % 997) / 997.0 + 0.001;
        const ProfileReadout::CursorTexts texts = ProfileReadout::Cursor(samples, x, ProfileSpeed, seg);
        surface.Cls();
        const QPointF a = r.view.ToPixel(r.view.OriginX + x, r.view.OriginY);
        const QPointF b = r.view.ToPixel(r.view.OriginX + x, r.view.OriginY + r.view.span);
        surface.DrawOverlay(QRectF(a, b).normalized().toAlignedRect().adjusted(-2, -2, 2, 2), [&](QPainter &p) {
            p.setPen(Qt::red);
            p.drawLine(a, b);
        });
        (void)texts;
    }
    std::printf("  read-out move, 20000 samples at zoom 10: %.4f ms\n", t.nsecsElapsed() / 1e6 / moves);

    // The settings dialog over a profile window showing 20,000 samples: its
    // load, and one Apply with the redraw it makes. Settings go to a folder
    // of the benchmark's own.
    QTemporaryDir work;
    {
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QDir(work.path()).filePath(QStringLiteral("config")).toLocal8Bit());
        const QString oldApp = AppName;
        AppName = QStringLiteral("vettaro-bench");
        HandOff(20000);
        RegisterProfileWindows();
        auto *profile = qobject_cast<frmAltimetria *>(WindowRegistry::Load(QStringLiteral("frmAltimetria")));
        profile->show();
        QApplication::processEvents();
        // After the stored placement the first show applies.
        profile->resize(window.width() + 12, window.height() + 112);
        QApplication::processEvents();
        std::vector<double> loads, applies;
        for (int k = 0; k < 7; ++k) {
            QElapsedTimer lt;
            lt.start();
            frmGraphSettings dialog;
            loads.push_back(lt.nsecsElapsed() / 1e6);
            lt.restart();
            dialog.cmdApply_Click();
            applies.push_back(lt.nsecsElapsed() / 1e6);
        }
        std::sort(loads.begin(), loads.end());
        std::sort(applies.begin(), applies.end());
        std::printf("settings dialog over a 20000-sample profile (%dx%d drawing), median of 7\n",
                    profile->Picture1()->width(), profile->Picture1()->height());
        std::printf("  load %7.2f ms   apply with redraw %7.2f ms\n", loads[3], applies[3]);
        WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
        AppName = oldApp;
        if (oldConfig.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    // SVG from an open database, written to a file.
    AppPath = QDir(work.path()).filePath(QStringLiteral("bin"));
    QDir().mkpath(AppPath + QStringLiteral("/Icons"));
    QFile::copy(QStringLiteral(VETTARO_BIN_DIR "/ZidoVodu.dat"), AppPath + QStringLiteral("/ZidoVodu.dat"));
    OpenDatabaseFile(QDir(work.path()).filePath(QStringLiteral("bench.dat")));
    std::printf("SVG profile from the database to a file\n");
    for (int n : {1000, 5000, 20000}) {
        const QString name = QStringLiteral("Climb %1").arg(n);
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza]) VALUES (?, ?)"), 0, {name, n / 100.0});
        CurrentDb->BeginTrans();
        for (int i = 0; i < n; ++i)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso], [DistParz], [Altezza]) VALUES (?, ?, ?)"), 0,
                               {name, i * 0.01, int(800 + 600 * std::sin(i / 700.0) + (i % 37) * 3)});
        CurrentDb->CommitTrans();
        ProfileSvg::Request r;
        r.name = name;
        r.width = 1000;
        r.height = 400;
        ProfileOptions o;
        const QString file = QDir(work.path()).filePath(QStringLiteral("p.svg"));
        QElapsedTimer st;
        const int runs = 5;
        st.start();
        for (int k = 0; k < runs; ++k) {
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(ProfileSvg::Write(*CurrentDb, r, o));
        }
        const double ms = st.nsecsElapsed() / 1e6 / runs;
        std::printf("  %6d samples: %7.2f ms (%.3f us/sample)\n", n, ms, ms * 1000 / n);
    }
    CurrentDb->Close();

    // The picture types of a 1000 x 400 drawing.
    QImage drawing = MakeSurfaceImage(window, Qt::white);
    HandOff(5000);
    ProfileOptions po;
    RenderProfile(drawing, Qt::white, po, ProfileInput::FromHandoff(), nullptr);
    std::printf("pictures of a %dx%d drawing\n", window.width(), window.height());
    auto timeIt = [&](const char *what, const std::function<void()> &f) {
        QElapsedTimer pt;
        pt.start();
        for (int k = 0; k < 5; ++k)
            f();
        std::printf("  %-5s %7.2f ms\n", what, pt.nsecsElapsed() / 1e6 / 5);
    };
    const QString base = QDir(work.path()).filePath(QStringLiteral("pic"));
    timeIt("BMP", [&] { drawing.convertToFormat(QImage::Format_RGB888).save(base + QStringLiteral(".bmp"), "BMP"); });
    timeIt("JPEG", [&] {
        cDIBSection dib;
        dib.CreateFromPicture(drawing);
        SaveDibToJpeg(dib, base + QStringLiteral(".jpg"), 90);
    });
    AppPath = QStringLiteral(VETTARO_BIN_DIR);
    timeIt("PNG", [&] {
        drawing.convertToFormat(QImage::Format_RGB888).save(base + QStringLiteral(".bmp"), "BMP");
        BmpToPng(base + QStringLiteral(".bmp"));
    });
    return 0;
}
