#include "tags/MTEId3File.h"

#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <QStringDecoder>

#include <taglib/aifffile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

namespace {

// Text chunks longer than this are no tags worth reading into memory.
constexpr unsigned kMaxTextChunkBytes = 1 << 20;

// An AIFF file whose text chunks can be read beside its ID3 chunk.
class AiffFile : public TagLib::RIFF::AIFF::File {
public:
    using File::File;

    QList<std::pair<QByteArray, QString>> textChunks() {
        QList<std::pair<QByteArray, QString>> chunks;
        const QStringList textIds = MTETagKeyMap::aiffChunkIds();
        for (unsigned i = 0; i < chunkCount(); ++i) {
            const TagLib::ByteVector id = chunkName(i);
            if (!textIds.contains(QString::fromLatin1(id.data(), qsizetype(id.size()))))
                continue;
            if (chunkDataSize(i) > kMaxTextChunkBytes) {
                qCWarning(lcTags, "skipped an AIFF text chunk of %u bytes", chunkDataSize(i));
                continue;
            }
            const TagLib::ByteVector data = chunkData(i);
            const QString text = textOf(QByteArray(data.data(), qsizetype(data.size())));
            if (!text.isEmpty())
                chunks.append({QByteArray(id.data(), qsizetype(id.size())), text});
        }
        return chunks;
    }

private:
    // The chunks hold plain text, which writers fill with UTF-8 or Latin-1 and often end
    // with NULs.
    static QString textOf(QByteArray bytes) {
        bytes.truncate(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(bytes);
        return (utf8.hasError() ? QString::fromLatin1(bytes) : text).trimmed();
    }
};

// TagLib takes an empty or foreign file for a RIFF file without chunks, and "saves" nothing
// into it.
bool startsAsItsKind(TagLib::File& file, MTEContainer container) {
    if (container != MTEContainer::Wav && container != MTEContainer::Aiff)
        return true;
    file.seek(0);
    return file.readBlock(4) == (container == MTEContainer::Aiff ? "FORM" : "RIFF");
}

} // namespace

MTEId3File::MTEId3File(const QString& path, MTEContainer container, bool readAudioProperties)
    : _container(container) {
    const QByteArray name = MTETagText::fileName(path);
    constexpr auto accuracy = TagLib::AudioProperties::Average;
    switch (container) {
    case MTEContainer::Wav:
        _file = std::make_unique<TagLib::RIFF::WAV::File>(name.constData(), readAudioProperties,
                                                          accuracy);
        break;
    case MTEContainer::Aiff:
        _file = std::make_unique<AiffFile>(name.constData(), readAudioProperties, accuracy);
        break;
    default:
        _file = std::make_unique<TagLib::MPEG::File>(name.constData(),
                                                     TagLib::ID3v2::FrameFactory::instance(),
                                                     readAudioProperties, accuracy);
        break;
    }
    _valid = _file->isValid() && startsAsItsKind(*_file, container);
}

MTEId3File::~MTEId3File() = default;

bool MTEId3File::isValid() const {
    return _valid;
}

TagLib::ID3v2::Tag* MTEId3File::tag(bool create) {
    if (!isValid())
        return nullptr;
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(_file.get()))
        return create || wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(_file.get()))
        return create || aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
    auto* mpeg = static_cast<TagLib::MPEG::File*>(_file.get());
    return create || mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag(create) : nullptr;
}

TagLib::ID3v1::Tag* MTEId3File::id3v1Tag() {
    auto* mpeg = isValid() ? dynamic_cast<TagLib::MPEG::File*>(_file.get()) : nullptr;
    return mpeg && mpeg->hasID3v1Tag() ? mpeg->ID3v1Tag(false) : nullptr;
}

TagLib::RIFF::Info::Tag* MTEId3File::infoTag() {
    auto* wav = isValid() ? dynamic_cast<TagLib::RIFF::WAV::File*>(_file.get()) : nullptr;
    return wav && wav->hasInfoTag() ? wav->InfoTag() : nullptr;
}

QList<std::pair<QByteArray, QString>> MTEId3File::aiffTextChunks() {
    auto* aiff = isValid() ? dynamic_cast<AiffFile*>(_file.get()) : nullptr;
    return aiff ? aiff->textChunks() : QList<std::pair<QByteArray, QString>>();
}

const TagLib::AudioProperties* MTEId3File::audioProperties() const {
    return isValid() ? _file->audioProperties() : nullptr;
}

bool MTEId3File::createsTagOnWrite() const {
    return _container == MTEContainer::Mp2 || _container == MTEContainer::Wav ||
           _container == MTEContainer::Aiff;
}

bool MTEId3File::save() {
    if (!isValid())
        return false;
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(_file.get()))
        return wav->save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripOthers,
                         TagLib::ID3v2::v4);
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(_file.get()))
        return aiff->save(TagLib::ID3v2::v4);
    return static_cast<TagLib::MPEG::File*>(_file.get())
        ->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}
