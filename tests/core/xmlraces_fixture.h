#pragma once
// A real database for the exchange-file tests: the program's template copied
// into a temporary folder and opened as CurrentDb through the data layer.
#include "TestSupport.h"
#include "core/Globals.h"
#include "platform/dao/Dao.h"
#include "platform/xml/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

struct TestSample {
    QVariant distance;
    QVariant height;
    QVariant note;     // invalid QVariant = null
};

class ExchangeDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString templatePath = TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat");
        ASSERT_TRUE(QFile::exists(templatePath)) << "build the template first: " << templatePath.toStdString();
        m_dbPath = m_dir.filePath(QStringLiteral("test.dat"));
        ASSERT_TRUE(QFile::copy(templatePath, m_dbPath));
        QFile(m_dbPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        CurrentDb = dao::OpenDatabase(m_dbPath, true, false, dao::DefaultConnect());
        m_oldAppName = AppName;
        AppName = QStringLiteral("VettaroExchangeTest");
        QDir().mkpath(outDir());
    }

    void TearDown() override
    {
        if (CurrentDb && CurrentDb->IsOpen())
            CurrentDb->Close();
        CurrentDb.reset();
        AppName = m_oldAppName;
        xml::SetInternetConnectedOverride(std::nullopt);
    }

    QString outDir() const { return m_dir.filePath(QStringLiteral("out")); }
    QString outFile(const QString &name) const { return QDir(outDir()).filePath(name); }
    // Files in the output folder (a partial or temporary file would show here).
    QStringList outFiles() const { return QDir(outDir()).entryList(QDir::Files | QDir::Hidden); }

    void addClimb(const QString &name, const QVariant &length, const QVariant &start, const QVariant &end,
                  const QVariant &city, const std::vector<TestSample> &samples)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, "
                                          "Quotafinale, Località, Provincia, Regione, Stato, Url) "
                                          "VALUES (?,?,?,?,?,?,?,?,?)"),
                           0, {name, length, start, end, city, QStringLiteral("Cuneo"),
                               QStringLiteral("Piemonte"), QStringLiteral("Italia"),
                               QStringLiteral("https://example.org/?a=1&b=2")});
        addSamples(QStringLiteral("[CampioniSalite]"), name, samples);
    }

    void addRoute(const QString &name, const QVariant &length, const std::vector<TestSample> &samples)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] (IDPercorso, Lunghezza, Località) VALUES (?,?,?)"),
                           0, {name, length, QStringLiteral("Bra")});
        addSamples(QStringLiteral("[CampioniPercorsi]"), name, samples);
    }

    void addSamples(const QString &table, const QString &name, const std::vector<TestSample> &samples)
    {
        for (const TestSample &s : samples)
            CurrentDb->Execute(QStringLiteral("INSERT INTO ") + table
                                   + QStringLiteral(" (IDPercorso, DistParz, Altezza, Note) VALUES (?,?,?,?)"),
                               0, {name, s.distance, s.height, s.note});
    }

    // Rows of a query as lists of values.
    std::vector<QVariantList> rows(const QString &sql, const QVariantList &params = {})
    {
        std::vector<QVariantList> out;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot, 0, params);
        while (!rs->AtEOF()) {
            QVariantList row;
            for (int i = 0; i < rs->FieldCount(); ++i)
                row << rs->Value(i);
            out.push_back(row);
            rs->MoveNext();
        }
        rs->Close();
        return out;
    }

    int countOf(const QString &table, const QString &name)
    {
        return rows(QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE IDPercorso=?"), {name})
            .front().front().toInt();
    }

    static QByteArray ReadAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void WriteAll(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    QString m_dbPath;
    QString m_oldAppName;
};
