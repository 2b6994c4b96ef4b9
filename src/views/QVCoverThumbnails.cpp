#include "views/QVCoverThumbnails.h"

#include "platform/MainThreadQueue.h"
#include "platform/PoolHandOver.h"
#include "tags/MTECoverDecoder.h"
#include "views/QVImageScale.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QThreadPool>

namespace {
enum KeyKind { NoPicture, EncodedBytes, Image };
// Two decodes at most at once: a cover may take a quarter of a gigabyte while it decodes.
constexpr int kDecodingThreads = 2;

QThreadPool& decodingPool() {
    static QThreadPool pool;
    static const bool ready = [] {
        pool.setMaxThreadCount(kDecodingThreads);
        // No decode may outlive the application whose image plugins it uses.
        qAddPostRoutine([] {
            pool.clear();
            pool.waitForDone();
        });
        return true;
    }();
    (void)ready;
    return pool;
}

void runOnDecodingThread(std::function<void()> work) {
    PoolHandOver::start(decodingPool(), std::move(work));
}

// Freeing a picture of a quarter of a gigabyte takes a thread 10 to 50 ms: the main thread
// lets such pictures go on a decoding thread.
constexpr qsizetype kLetGoElsewhereBytes = qsizetype(16) * 1024 * 1024;
} // namespace

QVCoverThumbnails::Entry::~Entry() {
    if (thumbnail.sizeInBytes() >= kLetGoElsewhereBytes && !QCoreApplication::closingDown())
        runOnDecodingThread([picture = std::move(thumbnail)] {});
}

QVCoverThumbnails::QVCoverThumbnails(const QSize& size, QObject* parent)
    : QVCoverThumbnails(size, Fitting::Canvas, kCachedCovers, parent) {}

QVCoverThumbnails::QVCoverThumbnails(const QSize& size, Fitting fitting, int cachedCovers,
                                     QObject* parent)
    : QObject(parent), _size(size), _fitting(fitting), _cache(cachedCovers) {
    decodingPool();
}

QVCoverThumbnails::~QVCoverThumbnails() {
    for (const Ticket& ticket : std::as_const(_pending))
        ticket->store(false);
}

bool QVCoverThumbnails::waitForAllDecodes(int msecs) {
    return decodingPool().waitForDone(msecs);
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

void QVCoverThumbnails::showCover(const QVariant& cover, Show show) {
    const Key key = keyOf(cover);
    want(key);
    _show = show;
    if (key == Key{NoPicture, 0})
        return show(QImage());
    if (key.first == Image && _fitting == Fitting::Shrunk)
        return show(cover.value<QImage>());
    if (const Entry* entry = _cache.object(key))
        return show(entry->thumbnail);
    if (const auto pending = _pending.constFind(key); pending != _pending.cend())
        pending.value()->store(true);
    else
        startDecode(key, cover);
    show(QImage());
}

void QVCoverThumbnails::showCoverIn(const QVariant& cover, QLabel* label) {
    showCover(cover, [label = QPointer<QLabel>(label)](const QImage& picture) {
        if (!label)
            return;
        if (picture.isNull())
            label->clear();
        else
            label->setPixmap(QPixmap::fromImage(picture));
    });
}

void QVCoverThumbnails::want(const Key& key) {
    if (key == _wanted)
        return;
    if (const auto pending = _pending.constFind(_wanted); pending != _pending.cend())
        pending.value()->store(false);
    _wanted = key;
}

QImage QVCoverThumbnails::fittedCover(const QVariant& cover, const QSize& size, Fitting fitting) {
    const QImage picture = cover.metaType().id() == QMetaType::QByteArray
                               ? MTECoverDecoder::decodeBytes(cover.toByteArray(), size).image
                               : cover.value<QImage>();
    return fitting == Fitting::Canvas ? QVImageScale::scaledImageToFitSize(picture, QSizeF(size))
                                      : picture;
}

void QVCoverThumbnails::startDecode(const Key& key, const QVariant& cover) {
    const Ticket ticket = std::make_shared<std::atomic<bool>>(true);
    _pending.insert(key, ticket);
    runOnDecodingThread([owner = QPointer<QVCoverThumbnails>(this), key, cover, ticket,
                         size = _size, fitting = _fitting] {
        const bool skipped = !ticket->load();
        const QImage thumbnail = skipped ? QImage() : fittedCover(cover, size, fitting);
        // Looked at only on the main thread: a result for an object that has gone is dropped.
        MainThreadQueue::post([owner, key, cover, thumbnail, skipped] {
            if (owner)
                owner->finishDecode(key, cover, thumbnail, skipped);
        });
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
    if (key == _wanted && _show) {
        const Show show = _show; // it may ask for another cover
        show(thumbnail);
    }
}
