#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

class QLabel;

// Row covers made ready to show, for the detail view and the metadata editor. Rows keep
// covers encoded, and a large picture takes long to decode, so each cover is decoded once,
// off the main thread, and the result kept in a bounded cache. Every object shares the same
// two decoding threads. Only the cover asked for last is decoded when a thread comes free:
// the others asked for meanwhile are skipped. Used on the main thread. The object may go
// while its decode runs: the decoding threads never touch it, and a result that reaches the
// main thread after it has gone is dropped.
class QVCoverThumbnails : public QObject {
    Q_OBJECT
public:
    // The identity of a cover value: the shared copy of its encoded bytes, or the image it
    // holds. A default key stands for no picture.
    using Key = std::pair<int, quint64>;
    enum class Fitting {
        // An image of exactly the size, the cover fitted and centred on a transparent canvas.
        Canvas,
        // Encoded covers decoded to fit inside the size, keeping their shape and never
        // enlarged (an invalid size: at their own size); covers held as images are handed
        // back at once as they are.
        Shrunk,
    };
    using Show = std::function<void(const QImage& picture)>;
    static constexpr int kCachedCovers = 64;

    explicit QVCoverThumbnails(const QSize& size, QObject* parent = nullptr);
    QVCoverThumbnails(const QSize& size, Fitting fitting, int cachedCovers,
                      QObject* parent = nullptr);
    // A running decode ends on its own and delivers nothing; those still waiting never start.
    ~QVCoverThumbnails() override;

    static Key keyOf(const QVariant& cover);

    // Hands show the cover's picture (null when the value holds no usable picture) at once
    // when it is known. Otherwise show gets a null picture at once and the picture once it
    // is decoded, unless another cover is asked for meanwhile.
    void showCover(const QVariant& cover, Show show);
    // The same as the label's pixmap.
    void showCoverIn(const QVariant& cover, QLabel* label);
    // True until every decode asked for has been delivered or skipped.
    bool isDecoding() const { return !_pending.isEmpty(); }

    // Waits up to msecs (-1: for as long as it takes) until no decode of any object runs or
    // waits to run; true when none does. Their results may still wait in the event queue.
    static bool waitForAllDecodes(int msecs = -1);

private:
    using Ticket = std::shared_ptr<std::atomic<bool>>; // false: the decode may be skipped
    struct Entry {
        QVariant cover; // holds the bytes, so no other cover can take their address
        QImage thumbnail;
        ~Entry(); // a large picture goes on a decoding thread
    };

    static QImage fittedCover(const QVariant& cover, const QSize& size, Fitting fitting);
    void want(const Key& key);
    void startDecode(const Key& key, const QVariant& cover);
    void finishDecode(const Key& key, const QVariant& cover, const QImage& thumbnail, bool skipped);

    QSize _size;
    Fitting _fitting;
    QCache<Key, Entry> _cache;
    QHash<Key, Ticket> _pending;
    Key _wanted;
    Show _show; // for the cover wanted
};
