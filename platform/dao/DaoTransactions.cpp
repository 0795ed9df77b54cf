// Transactions of a database and of the workspace (every connection of the
// calling thread).
#include "platform/dao/DaoDetail.h"

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <vector>

namespace dao {

using namespace detail;

void Database::BeginTrans()
{
    Conn &c = d->conn();
    execRaw(c.h, c.transDepth == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT t%1").arg(c.transDepth));
    ++c.transDepth;
}

namespace {
// Ends the innermost transaction level. A COMMIT can fail and leave the
// transaction open (a deferred constraint): the level is then kept, so the
// caller's Rollback still ends it instead of finding no transaction and
// leaving every later change uncommitted.
void commitLevel(Conn &c)
{
    --c.transDepth;
    try {
        execRaw(c.h, c.transDepth == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE t%1").arg(c.transDepth));
    } catch (...) {
        if (!sqlite3_get_autocommit(c.h)) ++c.transDepth;
        throw;
    }
}
} // namespace

void Database::CommitTrans()
{
    Conn &c = d->conn();
    if (c.transDepth == 0)
        RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    commitLevel(c);
}

void Database::Rollback()
{
    Conn &c = d->conn();
    if (c.transDepth == 0)
        RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    --c.transDepth;
    // An interrupted statement, or one that ran out of memory or disk, may
    // have rolled the whole transaction back already: nothing is left to end.
    if (sqlite3_get_autocommit(c.h)) {
        c.transDepth = 0;
        return;
    }
    if (c.transDepth == 0) execRaw(c.h, QStringLiteral("ROLLBACK"));
    else execRaw(c.h, QStringLiteral("ROLLBACK TO t%1; RELEASE t%1").arg(c.transDepth));
}

bool Database::InTransaction() const { return d->conn().transDepth > 0; }

// ------------------------------------------------------------------ workspace

namespace {
// A workspace transaction spans the connections of the thread that begins it:
// a worker's connections are its own.
std::vector<std::weak_ptr<Conn>> &workspaceTrans()
{
    thread_local std::vector<std::weak_ptr<Conn>> t;
    return t;
}
void forEachOpen(const std::function<void(Conn &)> &fn)
{
    for (const auto &c : threadConnections())
        if (c->h) fn(*c);
}
} // namespace

Workspace &Workspace::Default()
{
    static Workspace w;
    return w;
}

void Workspace::BeginTrans()
{
    forEachOpen([](Conn &c) {
        execRaw(c.h, c.transDepth == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT t%1").arg(c.transDepth));
        ++c.transDepth;
    });
    workspaceTrans().clear();
    for (const auto &c : threadConnections())
        workspaceTrans().push_back(c);
}

void Workspace::CommitTrans()
{
    bool any = false;
    for (auto &w : workspaceTrans())
        if (auto c = w.lock(); c && c->h && c->transDepth > 0) {
            any = true;
            commitLevel(*c);
        }
    workspaceTrans().clear();
    if (!any) RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
}

void Workspace::Rollback()
{
    bool any = false;
    for (auto &w : workspaceTrans())
        if (auto c = w.lock(); c && c->h && c->transDepth > 0) {
            any = true;
            --c->transDepth;
            if (c->transDepth == 0) execRaw(c->h, QStringLiteral("ROLLBACK"));
            else execRaw(c->h, QStringLiteral("ROLLBACK TO t%1; RELEASE t%1").arg(c->transDepth));
        }
    workspaceTrans().clear();
    if (!any) RaiseError(3034, QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
}

} // namespace dao
