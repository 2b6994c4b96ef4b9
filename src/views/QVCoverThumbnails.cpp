#include "views/QVCoverThumbnails.h"

#include "tags/MTECoverDecoder.h"
#include "views/QVImageScale.h"

namespace {
enum KeyKind { NoPicture, EncodedBytes, Image };
// Two decodes at most at once: a cover may take a quarter of a gigabyte while it decodes.
constexpr int kDecodingThreads = 2;
} // namespace

QVCoverThumbnails::QVCoverThumbnails(const QSize& side, QObject* parent)
    : QObject(parent), _side(side) {
    _pool.setMaxThreadCount(kDecodingThreads);
}

QVCoverThumbnails::~QVCoverThumbnails() {
    _pool.clear();
    for (const Ticket& ticket : std::as_const(_pending))
        ticket->store(false);
    _pool.waitForDone();
}

QVCoverThumbnails::Key QVCoverThumbnails::keyOf(const QVariant& cover) {
    switch (cover.metaType().id()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = cover.toByteArray();
        if (!bytes.isEmpty())
            return {EncodedBytes, quintptr(bytes.constData())};
        break;
    }
    case QMetaType::QImage: {
        const QImage image = cover.value<QImage>();
        if (!image.isNull())
            return {Image, quint64(image.cacheKey())};
        break;
    }
    default:
        break;
    }
    return {NoPicture, 0};
}

std::optional<QImage> QVCoverThumbnails::thumbnail(const QVariant& cover) {
    const Key key = keyOf(cover);
    want(key);
    if (key == Key{NoPicture, 0})
        return QImage();
    if (const Entry* entry = _cache.object(key))
        return entry->thumbnail;
    if (const auto pending = _pending.constFind(key); pending != _pending.cend())
        pending.value()->store(true);
    else
        startDecode(key, cover);
    return std::nullopt;
}

void QVCoverThumbnails::want(const Key& key) {
    if (key == _wanted)
        return;
    if (const auto pending = _pending.constFind(_wanted); pending != _pending.cend())
        pending.value()->store(false);
    _wanted = key;
}

QImage QVCoverThumbnails::scaledCover(const QVariant& cover, const QSize& side) {
    const QImage picture = cover.metaType().id() == QMetaType::QByteArray
                               ? MTECoverDecoder::decodeBytes(cover.toByteArray(), side).image
                               : cover.value<QImage>();
    return QVImageScale::scaledImageToFitSize(picture, QSizeF(side));
}

void QVCoverThumbnails::startDecode(const Key& key, const QVariant& cover) {
    const Ticket ticket = std::make_shared<std::atomic<bool>>(true);
    _pending.insert(key, ticket);
    // This object waits for the pool before it goes, so the job may post to it.
    _pool.start([this, key, cover, ticket, side = _side] {
        const bool skipped = !ticket->load();
        const QImage thumbnail = skipped ? QImage() : scaledCover(cover, side);
        QMetaObject::invokeMethod(
            this,
            [this, key, cover, thumbnail, skipped] {
                finishDecode(key, cover, thumbnail, skipped);
            },
            Qt::QueuedConnection);
    });
}

void QVCoverThumbnails::finishDecode(const Key& key, const QVariant& cover, const QImage& thumbnail,
                                     bool skipped) {
    _pending.remove(key);
    if (skipped) {
        if (key == _wanted)
            startDecode(key, cover);
        return;
    }
    // Images go by a serial number that is never reused; bytes by their address.
    const QVariant held = key.first == EncodedBytes ? cover : QVariant();
    _cache.insert(key, std::make_unique<Entry>(Entry{held, thumbnail}).release());
    emit thumbnailReady(key, thumbnail);
}
