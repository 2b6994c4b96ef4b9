#include "tags/MTEFfmpegMetadata.h"

#include "tags/MTETagText.h"

#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace {

struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextCloser>;

FormatContext openInput(const QString& path) {
    // The "file:" prefix keeps a colon in the name from being read as a protocol.
    const QByteArray url = QByteArrayLiteral("file:") + MTETagText::fileName(path);
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, url.constData(), nullptr, nullptr) < 0)
        return nullptr;
    return FormatContext(context);
}

const AVDictionary* streamMetadata(const AVFormatContext* context, AVMediaType type) {
    const int index =
        av_find_best_stream(const_cast<AVFormatContext*>(context), type, -1, -1, nullptr, 0);
    return index < 0 ? nullptr : context->streams[index]->metadata;
}

const AVDictionary* chosenMetadata(const AVFormatContext* context) {
    if (av_dict_count(context->metadata) > 0)
        return context->metadata;
    if (const AVDictionary* audio = streamMetadata(context, AVMEDIA_TYPE_AUDIO);
        av_dict_count(audio) > 0)
        return audio;
    return streamMetadata(context, AVMEDIA_TYPE_VIDEO);
}

// ffmpeg names an attached picture's kind in its "comment": "Cover (front)", "Cover (back)".
int pictureTypeOf(const AVStream* stream) {
    const AVDictionaryEntry* comment = av_dict_get(stream->metadata, "comment", nullptr, 0);
    const QString kind = comment ? QString::fromUtf8(comment->value) : QString();
    if (kind.contains(QLatin1String("front"), Qt::CaseInsensitive))
        return 3;
    return kind.contains(QLatin1String("back"), Qt::CaseInsensitive) ? 4 : 0;
}

} // namespace

// The front cover when one decodes, else the first attached picture that decodes.
void MTEFfmpegMetadata::readCover(const AVFormatContext* context) {
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->attached_pic.size <= 0)
            continue;
        const int type = pictureTypeOf(stream);
        if (!cover.isNull() && type != 3)
            continue;
        const QByteArray bytes = MTETagText::coverBytes(QByteArray(
            reinterpret_cast<const char*>(stream->attached_pic.data), stream->attached_pic.size));
        if (bytes.isNull())
            continue;
        cover = bytes;
        pictureType = type;
        if (type == 3)
            return;
    }
}

MTEFfmpegMetadata::Entries MTEFfmpegMetadata::entriesOf(const AVFormatContext* context) {
    Entries entries;
    const AVDictionary* metadata = chosenMetadata(context);
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(metadata, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        const QString key = QString::fromUtf8(entry->key);
        const QString value = QString::fromUtf8(entry->value);
        if (!key.isEmpty() && !value.isEmpty())
            entries.append({key, value});
    }
    return entries;
}

bool MTEFfmpegMetadata::read(const QString& path) {
    const FormatContext context = openInput(path);
    if (!context)
        return false;
    // Some containers (Ogg among them) only fill in their metadata while reading packets.
    if (av_dict_count(context->metadata) == 0)
        avformat_find_stream_info(context.get(), nullptr);
    entries = entriesOf(context.get());
    readCover(context.get());
    if (context->duration > 0)
        durationSeconds = double(context->duration / AV_TIME_BASE);
    return true;
}
