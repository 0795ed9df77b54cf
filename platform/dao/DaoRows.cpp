// The recordsets still reading rows, by connection: a change to the file first
// has them read what they still hold.
#include "platform/dao/DaoRows.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace dao::detail {

namespace {

// Recordsets still reading, by connection; reached from every thread that
// has connections, so only under its mutex, and never while one drains.
std::mutex &lazyMutex()
{
    static std::mutex m;
    return m;
}

std::unordered_map<sqlite3 *, std::vector<std::weak_ptr<Storage>>> &lazyCursors()
{
    static std::unordered_map<sqlite3 *, std::vector<std::weak_ptr<Storage>>> m;
    return m;
}

} // namespace

void registerLazy(const std::shared_ptr<Storage> &st)
{
    const std::lock_guard<std::mutex> lock(lazyMutex());
    auto &v = lazyCursors()[st->h];
    v.erase(std::remove_if(v.begin(), v.end(), [](const std::weak_ptr<Storage> &w) {
                auto p = w.lock();
                return !p || p->done;
            }), v.end());
    v.push_back(st);
}

void drainLazy(sqlite3 *h)
{
    std::vector<std::weak_ptr<Storage>> list;
    {
        const std::lock_guard<std::mutex> lock(lazyMutex());
        auto &m = lazyCursors();
        const auto it = m.find(h);
        if (it == m.end()) return;
        list = std::move(it->second);
        m.erase(it);
    }
    for (const auto &w : list)
        if (auto p = w.lock()) p->drain();
}

quint32 nextStorageId()
{
    static std::atomic<quint32> n{0};
    return ++n;
}

} // namespace dao::detail
