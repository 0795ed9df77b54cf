#pragma once
// Inserting many rows into one table through a few prepared statements: the
// rows are sent in groups, each group one multi-row INSERT. Every execution
// of an INSERT sets up again what its constraints need (the type checks of the
// schema build a small lookup table each time), so one execution per group
// instead of one per row is what makes a copy of thousands of samples fast.
// The rows land in the order they were added, as with one INSERT per row.
#include "platform/dao/Dao.h"

#include <QStringList>
#include <QVariantList>

#include <unordered_map>

class BatchInsert {
public:
    // table and columns as they go into the SQL text ("[CampioniSalite]",
    // "[IDPercorso]" ...); groupRows rows at most per execution.
    BatchInsert(dao::Database &db, const QString &table, const QStringList &columns, int groupRows = 100);

    // Adds one row (one value per column); a full group is sent at once.
    void add(const QVariantList &row);
    // Sends the rows still waiting. Call before anything else reads or
    // changes the table.
    void flush();
    // Forgets the rows still waiting (after an error, or an abort).
    void discard();

private:
    dao::PreparedStatement &statement(int rows);

    dao::Database &m_db;
    QString m_head;        // "INSERT INTO [t] ([a],[b]) VALUES "
    QString m_tuple;       // "(?,?)"
    int m_columns;
    int m_groupRows;
    std::unordered_map<int, dao::PreparedStatementPtr> m_statements;   // by row count
    QVariantList m_values;
    int m_rows = 0;
};
