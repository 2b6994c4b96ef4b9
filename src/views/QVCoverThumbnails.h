#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <QVariant>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>

// Row covers scaled to fit a square, for the detail view. Rows keep covers encoded, and a
// large picture takes long to decode, so each cover is decoded once, on a thread of this
// object's own, and the scaled picture kept in a bounded cache. Only the cover asked for
// last is decoded when a thread comes free: the others asked for meanwhile are skipped.
// Used on the main thread; the decoding threads never touch this object.
class QVCoverThumbnails : public QObject {
    Q_OBJECT
public:
    // The identity of a cover value: the shared copy of its encoded bytes, or the image it
    // holds. A default key stands for no picture.
    using Key = std::pair<int, quint64>;
    static constexpr int kCachedCovers = 64;

    explicit QVCoverThumbnails(const QSize& side, QObject* parent = nullptr);
    // Waits for the decode that is running, if any; those still waiting never start.
    ~QVCoverThumbnails() override;

    static Key keyOf(const QVariant& cover);

    // The cover's scaled picture when it is known (null when the value holds no usable
    // picture). Otherwise nothing, and thumbnailReady follows once it is decoded.
    std::optional<QImage> thumbnail(const QVariant& cover);
    // True until every decode asked for has been delivered or skipped.
    bool isDecoding() const { return !_pending.isEmpty(); }

signals:
    void thumbnailReady(QVCoverThumbnails::Key key, const QImage& thumbnail);

private:
    using Ticket = std::shared_ptr<std::atomic<bool>>; // false: the decode may be skipped
    struct Entry {
        QVariant cover; // holds the bytes, so no other cover can take their address
        QImage thumbnail;
    };

    static QImage scaledCover(const QVariant& cover, const QSize& side);
    void want(const Key& key);
    void startDecode(const Key& key, const QVariant& cover);
    void finishDecode(const Key& key, const QVariant& cover, const QImage& thumbnail, bool skipped);

    QSize _side;
    QCache<Key, Entry> _cache{kCachedCovers};
    QHash<Key, Ticket> _pending;
    Key _wanted;
    QThreadPool _pool;
};
