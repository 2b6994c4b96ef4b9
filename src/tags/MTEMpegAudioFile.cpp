#include "tags/MTEMpegAudioFile.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEId3File.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"
#include "tags/MTEXiphTags.h"

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/textidentificationframe.h>

#include <QSet>

namespace {

bool hasID3v2Frames(TagLib::ID3v2::Tag* tag) {
    return tag && !tag->frameList().isEmpty();
}

// Every text of every frame of the tag: each string of a text frame, a comment's or the
// lyrics' text.
QSet<QString> textsOf(const TagLib::ID3v2::Tag* tag) {
    QSet<QString> texts;
    for (const TagLib::ID3v2::Frame* frame : tag ? tag->frameList() : TagLib::ID3v2::FrameList()) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
        const QStringList strings = text ? MTETagText::toQStringList(text->fieldList())
                                         : QStringList{MTETagText::toQString(frame->toString())};
        for (const QString& string : strings)
            texts.insert(string.trimmed());
    }
    return texts;
}

QSet<QString> textsOf(const TagLib::RIFF::Info::Tag* info) {
    QSet<QString> texts;
    for (const auto& [id, text] : info->fieldListMap())
        texts.insert(MTETagText::toQString(text).trimmed());
    return texts;
}

QSet<QString> textsOf(const QList<std::pair<QByteArray, QString>>& chunks) {
    QSet<QString> texts;
    for (const auto& [id, text] : chunks)
        texts.insert(text);
    return texts;
}

QString infoField(const TagLib::RIFF::Info::Tag* tag, const QString& id) {
    return MTETagText::toQString(tag->fieldText(id.toLatin1().constData()));
}

} // namespace

bool MTEMpegAudioFile::dumpMediaAttribInfo() {
    switch (container()) {
    case MTEContainer::Flac:
        return dumpFlacFile();
    case MTEContainer::OggVorbis:
    case MTEContainer::OggOpus:
        return MTEXiphTags::readOgg(*this, container());
    case MTEContainer::Asf:
        return MTEAsfTags::read(*this);
    default:
        return dumpId3File();
    }
}

bool MTEMpegAudioFile::dumpId3File() {
    MTEId3File file(strFilePath,
                    container() == MTEContainer::None ? MTEContainer::Mp3 : container(), true);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a readable file for ID3 tags: %s", qPrintable(strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        dAudioLength = properties->lengthInSeconds();
    if (TagLib::ID3v2::Tag* tag = file.tag(false); hasID3v2Frames(tag)) {
        dumpID3V2Info(tag);
        const auto chunks = file.aiffTextChunks();
        readAiffChunks(chunks);
        takeWhatTagLibMissed(textsOf(tag) + textsOf(chunks));
    } else if (const TagLib::RIFF::Info::Tag* info = file.infoTag(); info && !info->isEmpty()) {
        dumpRiffInfo(info);
        takeWhatTagLibMissed(textsOf(info));
    } else if (const auto chunks = file.aiffTextChunks(); !chunks.isEmpty()) {
        dumpAiffChunks(chunks);
        takeWhatTagLibMissed(textsOf(chunks));
    } else {
        qCInfo(lcTags, "tag version 1...,read id3v1 information");
        dumpID3V1Info(file.id3v1Tag());
        takeWhatTagLibMissed({});
    }
    return true;
}

// A WAV file's INFO chunk, as ffmpeg and many recorders write it.
void MTEMpegAudioFile::dumpRiffInfo(const TagLib::RIFF::Info::Tag* info) {
    for (auto it = dicMap.cbegin(); it != dicMap.cend(); ++it) {
        for (const QString& id : MTETagKeyMap::riffInfoIds(it.key())) {
            if (const QString value = infoField(info, id); !value.isEmpty()) {
                dicReadInfo.insert(it.value().toString(), value);
                break;
            }
        }
    }
    eumID3Version = MTEID3VersionNone;
    strTagVersion = QStringLiteral("RIFF INFO");
}

// An AIFF file's text chunks, read as FFmpeg reads them; several comments are several values.
void MTEMpegAudioFile::dumpAiffChunks(const QList<std::pair<QByteArray, QString>>& chunks) {
    readAiffChunks(chunks);
    eumID3Version = MTEID3VersionNone;
    strTagVersion = QStringLiteral("AIFF Chunks");
}

void MTEMpegAudioFile::readAiffChunks(const QList<std::pair<QByteArray, QString>>& chunks) {
    for (auto it = dicMap.cbegin(); it != dicMap.cend(); ++it) {
        const QByteArray id = MTETagKeyMap::aiffChunkId(it.key()).toLatin1();
        const QString key = it.value().toString();
        if (id.isEmpty() || MTETagText::hasText(dicReadInfo.value(key)))
            continue;
        QStringList values;
        for (const auto& [chunk, text] : chunks) {
            if (chunk == id && !values.contains(text))
                values += text;
        }
        if (!values.isEmpty())
            storeValues(key, values);
    }
}

bool MTEMpegAudioFile::dumpFlacFile() {
    TagLib::FLAC::File file(MTETagText::fileName(strFilePath).constData(),
                            TagLib::ID3v2::FrameFactory::instance(), true,
                            TagLib::AudioProperties::Average);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a readable FLAC file: %s", qPrintable(strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        dAudioLength = properties->lengthInSeconds();
    if (file.hasID3v2Tag() && hasID3v2Frames(file.ID3v2Tag(false))) {
        dumpID3V2Info(file.ID3v2Tag(false));
        takeWhatTagLibMissed(textsOf(file.ID3v2Tag(false)));
    } else if (MTEXiphTags::hasTags(file)) {
        MTEXiphTags::readFlac(file, *this); // takes what TagLib missed itself
    } else {
        qCInfo(lcTags, "tag version 1...,read id3v1 information");
        dumpID3V1Info(file.hasID3v1Tag() ? file.ID3v1Tag(false) : nullptr);
        takeWhatTagLibMissed({});
    }
    return true;
}

MTETagWriteResult MTEMpegAudioFile::saveID3AttribPath(int mode, const QString& path) {
    qCInfo(lcTags, "MPEG Save attrib information");
    const QString target = targetPathForMode(mode, path);
    if (target.isEmpty())
        return MTETagWriteResult::Failed;
    // A copy of the handler's own file (modes 1 and 2) is of the handler's kind.
    const MTEContainer kind =
        mode == 0 && target != strFilePath ? MTEAudioCreator::containerOfPath(target) : container();
    switch (kind) {
    case MTEContainer::Flac:
    case MTEContainer::OggVorbis:
    case MTEContainer::OggOpus:
        return MTEXiphTags::write(target, kind, *this);
    case MTEContainer::Asf:
        return MTEAsfTags::write(target, *this);
    default:
        return saveID3V2Info(target);
    }
}

std::shared_ptr<MTEAudioFile> MTEMpegAudioFile::copy() const {
    return std::make_shared<MTEMpegAudioFile>(*this);
}
