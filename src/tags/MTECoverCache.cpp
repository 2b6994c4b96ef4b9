#include "tags/MTECoverCache.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <mutex>

namespace {

struct CoverStore {
    std::mutex mutex;
    QMultiHash<size_t, QByteArray> covers;
    qsizetype purgeAt = 64;
};

CoverStore& store() {
    static CoverStore instance;
    return instance;
}

// A cover only the store still refers to belongs to no row.
void dropUnused(CoverStore& covers) {
    for (auto it = covers.covers.begin(); it != covers.covers.end();) {
        if (it.value().isDetached())
            it = covers.covers.erase(it);
        else
            ++it;
    }
    covers.purgeAt = std::max<qsizetype>(64, 2 * covers.covers.size());
}

} // namespace

QByteArray MTECoverCache::sharedCover(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return bytes;
    const size_t key = qHash(bytes);
    CoverStore& covers = store();
    std::lock_guard lock(covers.mutex);
    for (auto it = covers.covers.constFind(key); it != covers.covers.cend() && it.key() == key;
         ++it) {
        if (it.value() == bytes)
            return it.value();
    }
    if (covers.covers.size() >= covers.purgeAt)
        dropUnused(covers);
    covers.covers.insert(key, bytes);
    return bytes;
}
