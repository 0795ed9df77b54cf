#pragma once
// A test with an empty destination database made from the program's
// template, open and writable, in a folder of its own.
#include "CoreTestSupport.h"
#include "platform/dao/Dao.h"

#include <QFile>
#include <QTemporaryDir>

class DestinationDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("dest.mdb"));
        ASSERT_TRUE(QFile::copy(TestSupport::BinDir() + QStringLiteral("/ZidoVodu.dat"), path));
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    }
    void TearDown() override
    {
        if (db)
            db->Close();
    }

    QTemporaryDir m_dir;
    dao::DatabasePtr db;
};
