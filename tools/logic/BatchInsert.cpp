#include "tools/logic/BatchInsert.h"

#include "platform/error/VbError.h"

BatchInsert::BatchInsert(dao::Database &db, const QString &table, const QStringList &columns, int groupRows)
    : m_db(db),
      m_head(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(','))
             + QStringLiteral(") VALUES ")),
      m_tuple(QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')')),
      m_columns(int(columns.size())),
      m_groupRows(qMax(1, groupRows))
{
    m_values.reserve(m_columns * m_groupRows);
}

void BatchInsert::add(const QVariantList &row)
{
    if (row.size() != m_columns)
        RaiseError(VbErr::InvalidProcedureCall, QStringLiteral("A row of %1 values for %2 columns.").arg(row.size()).arg(m_columns));
    m_values += row;
    if (++m_rows == m_groupRows)
        flush();
}

void BatchInsert::flush()
{
    if (m_rows == 0)
        return;
    const QVariantList values = std::move(m_values);
    const int rows = m_rows;
    m_values = QVariantList();
    m_values.reserve(m_columns * m_groupRows);
    m_rows = 0;
    statement(rows).execute(values);
}

void BatchInsert::discard()
{
    m_values.clear();
    m_rows = 0;
}

dao::PreparedStatement &BatchInsert::statement(int rows)
{
    dao::PreparedStatementPtr &s = m_statements[rows];
    if (!s) {
        QString sql = m_head;
        for (int i = 0; i < rows; ++i) {
            if (i)
                sql += QLatin1Char(',');
            sql += m_tuple;
        }
        s = m_db.prepare(sql);
    }
    return *s;
}
