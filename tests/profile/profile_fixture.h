#pragma once
// Settings under a per-test application name, a clean profile hand-off, and
// small hand-off profiles for the renderer and the window.
#include "TestSupport.h"
#include "core/Globals.h"
#include "core/ProfileGlobals.h"
#include "platform/settings/Settings.h"
#include "profile/ProfileOptions.h"
#include "profile/ProfileRenderer.h"

#include <QFile>
#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        ResetProfileGlobals();
        AppName = QStringLiteral("vettaro-profile-") + QString::fromLatin1(
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()).replace(QLatin1Char('/'), QLatin1Char('-'));
        QFile::remove(SettingsFilePath(AppName));
    }
    void TearDown() override
    {
        ResetProfileGlobals();
        ResetGlobals();
    }

    static QString Get(const QString &key) { return GetSetting(AppName, QStringLiteral("Altimetria"), key, QStringLiteral("<missing>")); }
    static void Put(const QString &key, const QString &value) { SaveSetting(AppName, QStringLiteral("Altimetria"), key, value); }

    // A hand-off profile from (km, m, note) triples, with base and span as the cards compute them.
    struct Point {
        float km;
        int m;
        const char *note = "";
        const char *icon = "";
    };
    static void HandOff(const std::vector<Point> &points, const QString &name = QStringLiteral("Test climb"))
    {
        ProfileSamples.clear();
        int lo = INT_MAX, hi = INT_MIN;
        float dist = 0;
        for (const Point &p : points) {
            ProfileSample s;
            s.DistParz = p.km;
            s.Altezza = p.m;
            s.Note = QString::fromUtf8(p.note);
            s.image = QString::fromUtf8(p.icon);
            ProfileSamples << s;
            lo = std::min(lo, p.m);
            hi = std::max(hi, p.m);
            dist = std::max(dist, p.km);
        }
        if (points.empty())
            lo = hi = 0;
        ProfilePointCount = int(points.size());
        ProfileDistance = dist;
        ProfileBase = int(std::nearbyint(lo / 100.0 * 95));
        ProfileSpan = hi - ProfileBase;
        ProfileName = name;
        ProfileTime = QStringLiteral("01:00:00");
        ProfileSpeed = QStringLiteral("20");
        ProfileLength = QStringLiteral("10");
        ProfileClimbRate = QStringLiteral("700");
        ProfileGrade = QStringLiteral("7.0%");
    }
};
