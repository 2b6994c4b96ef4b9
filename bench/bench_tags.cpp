// Files with many tag entries: MP3 (user text frames), FLAC (Vorbis comment fields), M4A
// (free-form items) and WMA (attributes), each loaded through the loader and converted with
// tag copy through ConvertOperation into WAV, MPEG-2 Audio, AAC, FLAC and WMA. Each time is
// printed as a ratio to ffprobe (loading) or plain `ffmpeg -i SRC -vn OUT` (converting) on the
// same file in the same run, with how many entries the output lost (goal: at most 2x + 1 s,
// none lost). Usage: bench_tags [entries, default 5000].
#include "engine/ConvertOperation.h"
#include "engine/ConvertOperationDelegate.h"
#include "engine/FFMpegLauncher.h"
#include "engine/LSMediaLoader.h"
#include "engine/LSMediaLoaderDelegate.h"
#include "engine/QVMusicInfo.h"
#include "platform/OperationQueue.h"
#include "shell/QVAppDelegate.h"
#include "tags/MTETagText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "support/BenchSources.h"

#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

struct Output {
    const char* name;
    const char* extension;
    const char* encoder;
};
const Output kOutputs[] = {{"WAV", "wav", "pcm_s16le"},
                           {"MPEG-2 Audio", "mp2", "mp2"},
                           {"AAC", "m4a", "aac"},
                           {"FLAC", "flac", "flac"},
                           {"WMA", "wma", "wmav2"}};
const char* const kSources[] = {"mp3", "flac", "m4a", "wma"};
const QString kFreeForm = QStringLiteral("----:com.apple.iTunes:");

TagLib::String entryName(int i) {
    return MTETagText::toTagString(
        QStringLiteral("Bench Field %1").arg(i, 5, 10, QLatin1Char('0')));
}

TagLib::String entryValue(int i) {
    return MTETagText::toTagString(QStringLiteral("value %1").arg(i));
}

bool addEntries(const QString& path, int count) {
    const QByteArray name = QFile::encodeName(path);
    const QString extension = QFileInfo(path).suffix();
    if (extension == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData());
        for (int i = 0; i < count; ++i)
            file.ID3v2Tag(true)->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
                entryName(i), TagLib::StringList(entryValue(i)), TagLib::String::UTF8));
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
    }
    if (extension == QLatin1String("flac")) {
        TagLib::FLAC::File file(name.constData());
        for (int i = 0; i < count; ++i)
            file.xiphComment(true)->addField(entryName(i).upper(), entryValue(i), false);
        return file.save();
    }
    if (extension == QLatin1String("m4a")) {
        TagLib::MP4::File file(name.constData());
        for (int i = 0; i < count; ++i)
            file.tag()->setItem(MTETagText::toTagString(kFreeForm) + entryName(i),
                                TagLib::StringList(entryValue(i)));
        return file.save();
    }
    TagLib::ASF::File file(name.constData());
    for (int i = 0; i < count; ++i)
        file.tag()->setAttribute(entryName(i), TagLib::ASF::Attribute(entryValue(i)));
    return file.save();
}

// The entries an output holds as name (lower case) to its first value, read with TagLib.
QHash<QString, QString> heldEntries(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const QString extension = QFileInfo(path).suffix();
    QHash<QString, QString> held;
    const auto add = [&held](const TagLib::String& key, const TagLib::String& value) {
        held.insert(MTETagText::toQString(key).toLower(), MTETagText::toQString(value));
    };
    const auto addFrames = [&add](TagLib::ID3v2::Tag* tag) {
        for (const auto* frame : tag ? tag->frameListMap()["TXXX"] : TagLib::ID3v2::FrameList()) {
            const auto* user =
                static_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
            add(user->description(), user->fieldList()[1]);
        }
    };
    if (extension == QLatin1String("wav")) {
        TagLib::RIFF::WAV::File file(name.constData());
        addFrames(file.ID3v2Tag());
    } else if (extension == QLatin1String("mp3") || extension == QLatin1String("mp2")) {
        TagLib::MPEG::File file(name.constData());
        addFrames(file.ID3v2Tag());
    } else if (extension == QLatin1String("flac")) {
        TagLib::FLAC::File file(name.constData());
        for (const auto& [key, values] : file.xiphComment(true)->fieldListMap())
            add(key, values.isEmpty() ? TagLib::String() : values.front());
    } else if (extension == QLatin1String("m4a")) {
        TagLib::MP4::File file(name.constData());
        const TagLib::String freeForm = MTETagText::toTagString(kFreeForm);
        for (const auto& [key, item] : file.tag()->itemMap()) {
            if (key.startsWith(freeForm) && !item.toStringList().isEmpty())
                add(key.substr(freeForm.size()), item.toStringList().front());
        }
    } else {
        TagLib::ASF::File file(name.constData());
        for (const auto& [key, attributes] : file.tag()->attributeListMap())
            add(key, attributes.isEmpty() ? TagLib::String() : attributes.front().toString());
    }
    return held;
}

int lostEntries(const QString& path, int count) {
    const QHash<QString, QString> held = heldEntries(path);
    int lost = 0;
    for (int i = 0; i < count; ++i) {
        if (held.value(MTETagText::toQString(entryName(i)).toLower()) !=
            MTETagText::toQString(entryValue(i)))
            ++lost;
    }
    return lost;
}

class LoadWaiter : public LSMediaLoaderDelegate {
public:
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray> medias,
                                                     std::shared_ptr<LSMediaIndexSet> failed,
                                                     quint64) override {
        std::lock_guard lock(_mutex);
        _loaded = medias && failed && failed->empty();
        _done = true;
        _finished.notify_all();
    }
    bool wait() {
        std::unique_lock lock(_mutex);
        _finished.wait(lock, [this] { return _done; });
        _done = false;
        return _loaded;
    }

private:
    std::mutex _mutex;
    std::condition_variable _finished;
    bool _done = false;
    bool _loaded = false;
};

class JobWaiter : public ConvertOperationDelegate {
public:
    void didConvertOperationFinish(ConvertOperation* op) override {
        succeeded = op->musicToConvert()->mediaInfo->eumCvtState.load() == LSConvertStateSucceeded;
    }
    bool succeeded = false;
};

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

std::shared_ptr<QVMusicInfo> load(LSMediaLoader& loader, LoadWaiter& waiter, const QString& path,
                                  double* time) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = path;
    QElapsedTimer timer;
    timer.start();
    loader.loadMediasWithMediaArray({row});
    const bool loaded = waiter.wait();
    *time = seconds(timer);
    return loaded ? row : nullptr;
}

// Converts the loaded row with tag copy; the output's path, empty when the job failed.
QString convert(const std::shared_ptr<QVMusicInfo>& row, const Output& output,
                const QString& folder, double* time) {
    LSMedia& media = *row->mediaInfo;
    media.strOutFileName = QStringLiteral("tagged");
    media.strOutFileExt = QLatin1String(output.extension);
    media.vOACodecName = QLatin1String(output.encoder);
    media.dAOBitrate = 128;
    media.eumCvtState.store(LSConvertStateWaiting);
    JobWaiter waiter;
    auto op = ConvertOperation::initWithMedia(row);
    op->setStrOutFilePath(folder);
    op->setDelegate(&waiter);
    OperationQueue queue;
    QElapsedTimer timer;
    timer.start();
    queue.addOperation(op);
    while (!queue.isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    *time = seconds(timer);
    return waiter.succeeded ? op->strOutFilePath() : QString();
}

double timeProgram(const QString& program, const QStringList& arguments) {
    QElapsedTimer timer;
    timer.start();
    if (!BenchSources::runToEnd(program, arguments))
        return -1.0;
    return seconds(timer);
}

// Prints one measurement; false when it misses the goal.
bool printRow(const QString& what, double ours, double theirs, int lost) {
    const bool met = ours <= 2.0 * theirs + 1.0 && lost == 0;
    std::printf("%-24s %8.2f s %8.2f s %7.1fx  lost %d%s\n", qPrintable(what), ours, theirs,
                ours / theirs, lost, met ? "" : "  (GOAL MISSED)");
    std::fflush(stdout);
    return met;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;
    const QString ffmpeg = FFMpegLauncher::ffmpegPath();
    const QString ffprobe = QFileInfo(ffmpeg).dir().filePath(QStringLiteral("ffprobe"));
    if (ffmpeg.isEmpty() || count <= 0) {
        std::fprintf(stderr, "no ffmpeg program, or no entry count\n");
        return 1;
    }
    QVAppDelegate::prepareMusicTagMapInfo();
    gShouldCopyMetadata.store(true);
    QTemporaryDir folder;
    LoadWaiter loadWaiter;
    LSMediaLoader loader;
    loader.setDelegate(&loadWaiter);
    std::printf("%d entries per source; ours, baseline, ratio\n", count);
    int failures = 0;
    for (const char* extension : kSources) {
        const QString source = folder.filePath(QStringLiteral("source.") + extension);
        // The loader refuses sources shorter than three seconds.
        if (!BenchSources::runToEnd(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"),
                                             QStringLiteral("-f"), QStringLiteral("lavfi"),
                                             QStringLiteral("-i"),
                                             QStringLiteral("sine=duration=4"), source}) ||
            !addEntries(source, count)) {
            std::fprintf(stderr, "could not make %s\n", qPrintable(source));
            return 1;
        }
        double loadTime = 0.0;
        const auto row = load(loader, loadWaiter, source, &loadTime);
        const double probeTime =
            timeProgram(ffprobe, {QStringLiteral("-v"), QStringLiteral("quiet"),
                                  QStringLiteral("-show_format"), source});
        if (!row) {
            std::fprintf(stderr, "%s did not load\n", qPrintable(source));
            return 1;
        }
        failures += !printRow(QStringLiteral("load %1").arg(extension), loadTime, probeTime, 0);
        for (const Output& output : kOutputs) {
            const QString out =
                folder.filePath(QStringLiteral("%1-%2").arg(extension, output.extension));
            QDir().mkpath(out);
            double ours = 0.0;
            const QString converted = convert(row, output, out, &ours);
            const double plain = timeProgram(
                ffmpeg, {QStringLiteral("-v"), QStringLiteral("quiet"), QStringLiteral("-y"),
                         QStringLiteral("-i"), source, QStringLiteral("-vn"),
                         out + QStringLiteral("/plain.") + output.extension});
            const int lost = converted.isEmpty() ? count : lostEntries(converted, count);
            failures += !printRow(QStringLiteral("%1 -> %2").arg(extension, output.name), ours,
                                  plain, lost);
        }
    }
    std::printf("tags_goal_missed=%d\n", failures);
    return 0;
}
