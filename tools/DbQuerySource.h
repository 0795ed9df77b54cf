#pragma once
// The program's row source for the table-printing control: a forward,
// read-only cursor over the open database. The query is Jet SQL, translated
// like every query; anything that is not a query that reads (DELETE, UPDATE,
// INSERT, DDL, ATTACH, a writing PRAGMA, a second statement) is refused before
// it runs, with the database layer's message.
#include "LumoTabPrt/src/LumoTabPrt.h"
#include "platform/dao/Dao.h"

class DbQuerySource : public lumo::QuerySource {
public:
    explicit DbQuerySource(dao::DatabasePtr db) : m_db(std::move(db)) {}
    std::unique_ptr<lumo::RowCursor> open(const QString &sql, QString *error) override;

    static lumo::ColType ColumnType(dao::FieldType type);

private:
    dao::DatabasePtr m_db;
};
