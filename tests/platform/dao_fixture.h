#pragma once
// A fresh copy of the built template database for each test.
#include "CoreTestSupport.h"
#include "platform/dao/Dao.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#define EXPECT_JET_ERROR(statement, number)                                          \
    do {                                                                            \
        try {                                                                       \
            statement;                                                              \
            ADD_FAILURE() << "no error raised, expected " << (number);              \
        } catch (const VbError &e_) {                                               \
            EXPECT_EQ(e_.Number(), (number)) << e_.Description().toStdString();     \
        }                                                                           \
    } while (0)

class DaoTemplate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("test.mdb"));
        ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), m_path))
            << "build the vettaro_template target first";
        QFile(m_path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db = dao::OpenDatabase(m_path, true, false, dao::DefaultConnect());
    }
    void TearDown() override
    {
        if (db) db->Close();
    }
    QString path() const { return m_path; }
    QString tempPath(const QString &name) const { return m_dir.filePath(name); }

    // A small fixture: two athletes, two climbs with samples, one route, times.
    void fill()
    {
        db->Execute("INSERT INTO [Dati Personali] (IDPersonale, Cognome, Nome, Peso, Pesobici, Fqped, Circonfruota) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?)", 0, {"A1", "Rossi", "Mario", 60.0, 10.0, 70, 2.12});
        db->Execute("INSERT INTO [Dati Personali] (IDPersonale, Cognome, Nome, Peso, Pesobici, Fqped, Circonfruota) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?)", 0, {"B2", "Bianchi", "Anna", 50.0, 8.0, 80, 2.1});
        db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Località) VALUES (?, ?, ?, ?, ?)",
                    0, {"Stelvio", 10.0, 500, 1500, "Bormio"});
        db->Execute("INSERT INTO [Dati Salite] (IDPercorso, Lunghezza, Quotainiziale, Quotafinale, Località) VALUES (?, ?, ?, ?, ?)",
                    0, {"Mortirolo", 5.0, 1000, 1500, "Mazzo"});
        db->Execute("INSERT INTO [Dati Percorsi] (IDPercorso, Lunghezza) VALUES (?, ?)", 0, {"Giro lago", 100.0});
        for (double d : {0.0, 2.5, 5.0})
            db->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza, Note) VALUES (?, ?, ?, ?)", 0,
                        {"Stelvio", d, int(500 + d * 100), QString("km %1").arg(d)});
        db->Execute("INSERT INTO CampioniSalite (IDPercorso, DistParz, Altezza) VALUES (?, ?, ?)", 0, {"Mortirolo", 0.0, 1000});
        auto time = [&](const char *who, const char *climb, QDate day, QTime t, int front, int rear) {
            db->Execute("INSERT INTO [Tempi Salita] (IDPersonale, IDPercorso, Data, Tempo, Anteriore, Posteriore) "
                        "VALUES (?, ?, ?, ?, ?, ?)", 0, {who, climb, day, t, front, rear});
        };
        time("A1", "Stelvio", QDate(2005, 1, 2), QTime(1, 0, 0), 39, 21);
        time("A1", "Stelvio", QDate(2005, 6, 1), QTime(0, 50, 0), 39, 23);
        time("B2", "Stelvio", QDate(2005, 3, 1), QTime(1, 40, 0), 30, 25);
        time("A1", "Mortirolo", QDate(2005, 7, 1), QTime(0, 30, 0), 39, 25);
        db->Execute("INSERT INTO [Tempi Allenamento] (IDPersonale, IDPercorso, Data, Tempo) VALUES (?, ?, ?, ?)", 0,
                    {"A1", "Giro lago", QDate(2005, 5, 5), QTime(4, 0, 0)});
    }

    dao::DatabasePtr db;

private:
    QTemporaryDir m_dir;
    QString m_path;
};
