#include "tools/DbQuerySource.h"

#include "platform/error/VbError.h"

#include <QTime>

namespace {
class DbCursor : public lumo::RowCursor {
public:
    explicit DbCursor(dao::ReadCursorPtr cursor) : m_cursor(std::move(cursor))
    {
        for (int c = 0; c < m_cursor->columnCount(); ++c)
            m_columns.append({m_cursor->columnName(c), DbQuerySource::ColumnType(m_cursor->columnType(c))});
    }
    ~DbCursor() override { close(); }

    QVector<lumo::Column> columns() const override { return m_columns; }

    bool next(QVector<QVariant> &row) override
    {
        if (!m_cursor)
            return false;
        try {
            if (!m_cursor->next()) {
                close();
                return false;
            }
            row.resize(m_columns.size());
            for (int c = 0; c < m_columns.size(); ++c) {
                QVariant v = m_cursor->value(c);
                if (v.typeId() == QMetaType::QTime)
                    v = v.toTime().toString(QStringLiteral("hh:mm:ss"));
                row[c] = v;
            }
            return true;
        } catch (const VbError &e) {
            m_error = QStringLiteral("Error %1: %2").arg(e.Number()).arg(e.Description());
        } catch (const std::exception &e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
        close();
        return false;
    }

    QString error() const override { return m_error; }

private:
    void close()
    {
        if (!m_cursor)
            return;
        // Runs after an error (whose text is kept) and from the destructor:
        // a cursor that fails to close has nothing more to report.
        try {
            m_cursor->close();
        } catch (const VbError &) {
        }
        m_cursor.reset();
    }

    dao::ReadCursorPtr m_cursor;
    QVector<lumo::Column> m_columns;
    QString m_error;
};
}

lumo::ColType DbQuerySource::ColumnType(dao::FieldType type)
{
    switch (type) {
    case dao::dbBoolean: return lumo::ColType::Boolean;
    case dao::dbByte:
    case dao::dbInteger:
    case dao::dbLong: return lumo::ColType::Integer;
    case dao::dbCurrency: return lumo::ColType::Currency;
    case dao::dbSingle:
    case dao::dbDouble: return lumo::ColType::Real;
    case dao::dbDate: return lumo::ColType::DateTime;
    case dao::dbText: return lumo::ColType::Text;
    case dao::dbMemo: return lumo::ColType::Memo;
    case dao::dbTime: return lumo::ColType::Other;
    }
    return lumo::ColType::Other;
}

std::unique_ptr<lumo::RowCursor> DbQuerySource::open(const QString &sql, QString *error)
{
    try {
        if (!m_db)
            throw VbError(dao::JetErr::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
        return std::make_unique<DbCursor>(m_db->openCursor(sql));
    } catch (const VbError &e) {
        if (error)
            *error = e.Description();
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
    }
    return nullptr;
}
