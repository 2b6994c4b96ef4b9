#include "tags/MTEAudioFile.h"

#include "tags/MTEAudioCreator.h"
#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTEId3File.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"
#include "util/GlobalFun.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

namespace {

const QString kPictureKey = MTETagKeyMap::id3FrameOf(QStringLiteral("AlbumImg"));

// Only a four-character id of capitals and digits names an ID3v2.4 frame.
bool isValidFrameId(const QByteArray& id) {
    if (id.size() != 4)
        return false;
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

TagLib::ByteVector frameIdOf(const QString& key) {
    const QByteArray id = key.toUtf8();
    if (!isValidFrameId(id))
        return {};
    return TagLib::ByteVector(id.constData(), 4);
}

bool isBlank(const TagLib::String& text) {
    return text.stripWhiteSpace().isEmpty();
}

TagLib::ID3v2::FrameList framesOf(const TagLib::ID3v2::Tag* tag, const TagLib::ByteVector& id) {
    const auto& map = tag->frameListMap();
    const auto found = map.find(id);
    return found == map.end() ? TagLib::ID3v2::FrameList() : found->second;
}

QString userTextName(const TagLib::ID3v2::UserTextIdentificationFrame& frame) {
    return QStringLiteral("TXXX:") + MTETagText::toQString(frame.description());
}

QString userTextValue(const TagLib::ID3v2::UserTextIdentificationFrame& frame) {
    QStringList values = MTETagText::toQStringList(frame.fieldList());
    if (!values.isEmpty())
        values.removeFirst(); // the description
    return MTETagText::joinedValues(values);
}

// An ID3v1 genre number, as ID3v2.3 taggers write it ("(35)", "35", "(35)Refinement"): its
// name. Anything else is a name already.
QString genreName(const QString& text) {
    static const QRegularExpression numbered(
        QStringLiteral("^\\((\\d{1,3}|RX|CR)\\)(.*)$|^(\\d{1,3})$"));
    const QRegularExpressionMatch match = numbered.match(text.trimmed());
    if (!match.hasMatch())
        return text;
    if (!match.captured(2).isEmpty())
        return match.captured(2);
    const QString code = match.captured(1).isEmpty() ? match.captured(3) : match.captured(1);
    if (code == QLatin1String("RX"))
        return QStringLiteral("Remix");
    if (code == QLatin1String("CR"))
        return QStringLiteral("Cover");
    const QString name = MTETagText::toQString(TagLib::ID3v1::genre(code.toInt()));
    return name.isEmpty() ? text : name;
}

// Every value of the frames of one id: each string of each frame, in tag order. ID3v2.4
// frames hold several strings, and ID3v2.3 taggers write several frames.
QStringList textValuesOf(const TagLib::ID3v2::FrameList& frames, bool genres) {
    QStringList values;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
        const QStringList strings = text ? MTETagText::toQStringList(text->fieldList())
                                         : QStringList{MTETagText::toQString(frame->toString())};
        for (const QString& value : strings) {
            if (!value.isEmpty())
                values += genres ? genreName(value) : value;
        }
    }
    values.removeDuplicates();
    return values;
}

// ffmpeg keeps a frame it has no own frame for (the lyrics, a described comment, a track
// total) as user text; that frame would stand beside, or outlive, the value written now.
void removeStaleSpellings(TagLib::ID3v2::Tag* tag, const MTEAudioFile& handler) {
    for (TagLib::ID3v2::Frame* frame : framesOf(tag, "TXXX")) {
        const auto* userText = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (userText &&
            handler.isStaleSpelling(userTextName(*userText),
                                    MTETagText::toQStringList(userText->fieldList()).mid(1)))
            tag->removeFrame(frame);
    }
}

void writeComment(TagLib::ID3v2::Tag* tag, const QVariant& value) {
    tag->removeFrames("COMM");
    if (!MTETagText::hasText(value))
        return;
    auto frame = std::make_unique<TagLib::ID3v2::CommentsFrame>(TagLib::String::UTF8);
    frame->setLanguage("eng");
    frame->setText(MTETagText::toTagString(MTETagText::textOf(value)));
    tag->addFrame(frame.release());
}

void writeLyrics(TagLib::ID3v2::Tag* tag, const QVariant& value) {
    tag->removeFrames("USLT");
    if (!MTETagText::hasText(value))
        return;
    auto frame = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>(TagLib::String::UTF8);
    frame->setText(MTETagText::toTagString(MTETagText::textOf(value)));
    tag->addFrame(frame.release());
}

// Replaces every frame of the id by one UTF-8 frame, so no older duplicate survives; several
// values become the frame's strings.
void writeTextFrame(TagLib::ID3v2::Tag* tag, const TagLib::ByteVector& id, const QVariant& value) {
    tag->removeFrames(id);
    if (!MTETagText::hasText(value))
        return;
    auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(id, TagLib::String::UTF8);
    frame->setText(MTETagText::toTagStringList(MTETagText::valuesOf(value)));
    tag->addFrame(frame.release());
}

// A disc read with its total becomes "n/total" in TPOS, which every reader shows, rather than
// the number alone beside a total of its own.
void writeDisc(TagLib::ID3v2::Tag* tag, const QString& disc) {
    if (!disc.contains(u'/'))
        return;
    const QStringList totals = MTETagKeyMap::totalNames(MTETagKeyMap::discField());
    for (TagLib::ID3v2::Frame* frame : framesOf(tag, "TXXX")) {
        const auto* userText = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (userText &&
            totals.contains(MTETagText::toQString(userText->description()), Qt::CaseInsensitive))
            tag->removeFrame(frame);
    }
    writeTextFrame(tag, frameIdOf(MTETagKeyMap::id3FrameOf(MTETagKeyMap::discField())), disc);
}

void removeEncoderEntries(TagLib::ID3v2::Tag* tag) {
    for (const char* id : {"TXXX", "COMM"}) {
        for (TagLib::ID3v2::Frame* frame : framesOf(tag, id)) {
            TagLib::String description;
            if (const auto* userText =
                    dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame))
                description = userText->description();
            else if (const auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame))
                description = comment->description();
            if (MTETagText::isEncoderEntryName(MTETagText::toQString(description)))
                tag->removeFrame(frame);
        }
    }
}

bool isTextFrameId(const TagLib::ByteVector& id) {
    return id.startsWith("T") && id != "TXXX";
}

// A re-encoded cover keeps the MIME type ID3 writers have always given JPEG covers.
const char* id3MimeType(const MTETagText::CoverPicture& cover) {
    return cover.reencoded ? "image/jpg" : cover.mimeType();
}

std::unique_ptr<TagLib::ID3v2::AttachedPictureFrame> newCover(const MTETagText::CoverPicture& cover,
                                                              int pictureType) {
    auto frame = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::Type(pictureType));
    frame->setMimeType(id3MimeType(cover));
    frame->setPicture(cover.bytes);
    return frame;
}

// Applies the cover value to the tag. A cover that can be neither re-encoded nor written as
// it is gets left out and logged, and the tag's pictures are left alone: false.
bool writePicture(TagLib::ID3v2::Tag* tag, const QVariantMap& info, int pictureType,
                  const QString& path) {
    const TagLib::ID3v2::FrameList pictures = framesOf(tag, frameIdOf(kPictureKey));
    const bool wantsNone =
        !info.contains(kPictureKey) || MTETagText::isNoPictureMarker(info.value(kPictureKey));
    auto* first = pictures.isEmpty()
                      ? nullptr
                      : dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    if (first)
        qCInfo(lcTags, "size:%d,count:%d", int(first->picture().size()), int(pictures.size()));
    if (wantsNone) {
        if (!pictures.isEmpty())
            tag->removeFrame(pictures.front());
        return true;
    }
    const MTETagText::CoverPicture cover =
        MTETagText::coverPictureOfValue(info.value(kPictureKey), path);
    if (cover.isLeftOut()) {
        MTETagText::logLeftOutCover(cover, path, !pictures.isEmpty());
        return false;
    }
    if (first) {
        first->setType(TagLib::ID3v2::AttachedPictureFrame::Type(pictureType));
        first->setMimeType(id3MimeType(cover));
        first->setPicture(cover.bytes);
        return true;
    }
    if (!pictures.isEmpty())
        tag->removeFrame(pictures.front());
    tag->addFrame(newCover(cover, pictureType).release());
    qCInfo(lcTags, "empty img");
    return true;
}

// The comment is the frame without description, else the first that is no encoder data: a
// described frame such as "iTunNORM" holds numbers for players, not the user's text.
const TagLib::ID3v2::CommentsFrame* chosenComment(const TagLib::ID3v2::FrameList& frames) {
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (!comment)
            continue;
        qCInfo(lcTags, "des-------%s", comment->description().toCString(true));
        qCInfo(lcTags, "com-------%s", comment->text().toCString(true));
        const bool described = !comment->description().isEmpty();
        if (!described && (!chosen || !chosen->description().isEmpty()))
            chosen = comment;
        else if (!chosen &&
                 !MTETagText::isEncoderEntryName(MTETagText::toQString(comment->description())))
            chosen = comment;
    }
    return chosen;
}

} // namespace

MTEAudioFile::MTEAudioFile() {
    initProperties();
}

MTEAudioFile::~MTEAudioFile() = default;

MTEContainer MTEAudioFile::container() const {
    if (eumContainer != MTEContainer::None || strFilePath.isEmpty())
        return eumContainer;
    return MTEAudioCreator::containerOfPath(strFilePath);
}

QString MTEAudioFile::strArtist() const {
    return getValueForKey(QStringLiteral("Artist")).toString();
}

QString MTEAudioFile::keyOf(const QString& logicalName) const {
    return logicalName.isEmpty() ? QString() : dicMap.value(logicalName).toString();
}

QVariant MTEAudioFile::valueIn(const QVariantMap& tags, const QString& logicalName) const {
    const QString key = keyOf(logicalName);
    return key.isEmpty() ? QVariant() : tags.value(key);
}

QVariant MTEAudioFile::getValueForKey(const QString& logicalName) const {
    return valueIn(dicReadInfo, logicalName);
}

void MTEAudioFile::initProperties() {
    for (auto it = dicMap.cbegin(); it != dicMap.cend(); ++it) {
        const QString key = it.value().toString();
        if (it.key() == QLatin1String("AlbumImg"))
            dicReadInfo.insert(key, MTETagText::noPictureMarker());
        else
            dicReadInfo.insert(key, QString());
    }
    eumFileType = MTEFileTypeOther;
    dAudioLength = 0.0;
}

void MTEAudioFile::restoreFromLocalFile() {
    const int fileType = eumFileType;
    dicReadInfo.clear();
    initProperties();
    eumFileType = fileType; // the handler's class fixes its family
    dumpMediaAttribInfo();
}

bool MTEAudioFile::dumpMediaAttribInfo() {
    return true;
}

MTETagWriteResult MTEAudioFile::saveID3AttribPath(int, const QString&) {
    return MTETagWriteResult::Failed; // the base writes nothing
}

void MTEAudioFile::dumpID3V1Info(const TagLib::ID3v1::Tag* tag) {
    if (!tag || (isBlank(tag->title()) && isBlank(tag->artist()) && isBlank(tag->album()) &&
                 isBlank(tag->comment()) && isBlank(tag->genre()) && tag->year() == 0 &&
                 tag->track() == 0)) {
        qCInfo(lcTags, "none id3v1 tag or id3v2 tag found!");
        eumID3Version = MTEID3VersionNone;
        strTagVersion = QStringLiteral("ID3 Unkown");
        return;
    }
    eumID3Version = MTEID3Version1;
    strTagVersion = QStringLiteral("ID3 V1.1");
    const auto store = [this](const char* name, const QString& value) {
        const QString key = keyOf(QLatin1String(name));
        if (!key.isEmpty())
            dicReadInfo.insert(key, value);
    };
    store("Title", MTETagText::toQString(tag->title()));
    store("Artist", MTETagText::toQString(tag->artist()));
    store("Album", MTETagText::toQString(tag->album()));
    store("Comment", MTETagText::toQString(tag->comment()));
    store("Genre", MTETagText::toQString(tag->genre()));
    store("Date", QString::number(tag->year()));
    store("Track", QString::number(tag->track()));
}

void MTEAudioFile::dumpID3V2Info(const TagLib::ID3v2::Tag* tag) {
    if (!tag)
        return;
    majorVersion = int(tag->header()->majorVersion());
    revisionNumber = int(tag->header()->revisionNumber());
    tagSize = int(tag->header()->tagSize());
    strTagVersion = QStringLiteral("ID3 V2.%1.%2").arg(majorVersion).arg(revisionNumber);
    qCDebug(lcTags, "comments : %s", tag->comment().toCString(false));

    for (const QVariant& value : dicMap) {
        const QString key = value.toString();
        if (key == kPictureKey)
            continue;
        const TagLib::ByteVector id = frameIdOf(key);
        if (id.isEmpty())
            continue;
        const TagLib::ID3v2::FrameList frames = framesOf(tag, id);
        if (frames.isEmpty())
            continue;
        qCInfo(lcTags, "framelist count : %u", frames.size());
        if (id == "COMM") {
            if (const TagLib::ID3v2::CommentsFrame* comment = chosenComment(frames)) {
                dicReadInfo.insert(key, MTETagText::toQString(comment->text()));
                fileSpellings.commentDescription = MTETagText::toQString(comment->description());
            }
        } else if (id == "USLT") {
            // Each frame overwrites the one before: the last of the lyrics stays.
            dicReadInfo.insert(key, MTETagText::toQString(frames.back()->toString()));
        } else {
            storeValues(key, textValuesOf(frames, id == "TCON"));
        }
    }

    const TagLib::ID3v2::FrameList userTexts = framesOf(tag, "TXXX");
    for (const TagLib::ID3v2::Frame* frame : userTexts) {
        if (const auto* userText =
                dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame))
            adoptOtherSpelling(userTextName(*userText), userTextValue(*userText));
    }
    // The total of a field in a user text of its own.
    const auto userTotal = [&userTexts](const QString& field) {
        const QStringList names = MTETagKeyMap::totalNames(field);
        for (const QString& name : names) {
            for (const TagLib::ID3v2::Frame* frame : userTexts) {
                const auto* userText =
                    dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
                if (userText && MTETagText::toQString(userText->description())
                                        .compare(name, Qt::CaseInsensitive) == 0)
                    return userTextValue(*userText);
            }
        }
        return QString();
    };
    const QString track = QStringLiteral("Track");
    if (const QString key = keyOf(track); dicReadInfo.contains(key))
        dicReadInfo.insert(
            key, MTETagText::numberWithTotal(dicReadInfo.value(key).toString(), userTotal(track)));
    const QString disc = MTETagKeyMap::discField();
    const TagLib::ID3v2::FrameList discs = framesOf(tag, frameIdOf(MTETagKeyMap::id3FrameOf(disc)));
    if (!discs.isEmpty())
        strDiscNumber = MTETagText::numberWithTotal(
            MTETagText::toQString(discs.front()->toString()), userTotal(disc));
    readPicture(tag);
    eumID3Version = MTEID3Version2;
}

// The front cover when there is one that decodes, else the first picture that decodes.
void MTEAudioFile::readPicture(const TagLib::ID3v2::Tag* tag) {
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    QByteArray chosenCover;
    for (const TagLib::ID3v2::Frame* frame : framesOf(tag, frameIdOf(kPictureKey))) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        const QByteArray cover =
            picture ? MTETagText::coverBytes(picture->picture()) : QByteArray();
        if (cover.isNull() ||
            (chosen && picture->type() != TagLib::ID3v2::AttachedPictureFrame::FrontCover))
            continue;
        chosen = picture;
        chosenCover = cover;
        if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
            break;
    }
    if (!chosen)
        return;
    dicReadInfo.insert(kPictureKey, chosenCover);
    iPictureType = int(chosen->type());
}

MTETagWriteResult MTEAudioFile::saveID3V2Info(const QString& path) {
    const MTEContainer kind =
        path == strFilePath ? container() : MTEAudioCreator::containerOfPath(path);
    const bool id3Chunk = kind == MTEContainer::Wav || kind == MTEContainer::Aiff;
    MTEId3File file(path, id3Chunk || kind == MTEContainer::Mp2 ? kind : MTEContainer::Mp3, true);
    TagLib::ID3v2::Tag* tag = file.tag(file.createsTagOnWrite());
    if (!tag) {
        qCWarning(lcTags, "failed to dump id3v2tag...");
        return MTETagWriteResult::Failed;
    }
    const bool pictureWritten = writeID3V2Tag(tag, path);
    // Saving ID3v2.4 alone strips the ID3v1 and APE tags, so no stale value comes back.
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the ID3v2 tag of %s", qPrintable(path));
    return tagWriteResultOf(saved, pictureWritten);
}

bool MTEAudioFile::writeID3V2Tag(TagLib::ID3v2::Tag* tag, const QString& path) const {
    removeStaleSpellings(tag, *this);
    for (auto it = dicReadInfo.cbegin(); it != dicReadInfo.cend(); ++it) {
        const QString& key = it.key();
        if (key == kPictureKey)
            continue;
        const TagLib::ByteVector id = frameIdOf(key);
        if (id.isEmpty()) {
            qCWarning(lcTags, "skipped tag key that is no frame id: %s", qPrintable(key));
            continue;
        }
        if (!MTETagText::isTextValue(it.value())) {
            qCWarning(lcTags, "skipped %s: its value is no text", qPrintable(key));
            continue;
        }
        if (id == "COMM")
            writeComment(tag, it.value());
        else if (id == "USLT")
            writeLyrics(tag, it.value());
        else if (isTextFrameId(id))
            writeTextFrame(tag, id, it.value());
        else
            qCWarning(lcTags, "skipped frame %s: not a text frame", qPrintable(key));
    }
    if (bRemovesEncoderEntries)
        removeEncoderEntries(tag);
    MTETagProperties::write(tag, *this);
    writeDisc(tag, strDiscNumber);
    return writePicture(tag, dicReadInfo, iPictureType, path);
}

void MTEAudioFile::saveID3V1Info(TagLib::ID3v1::Tag* tag) const {
    if (!tag)
        return;
    const auto text = [this](const char* name) {
        return MTETagText::toTagString(getValueForKey(QLatin1String(name)).toString());
    };
    tag->setTitle(text("Title"));
    tag->setArtist(text("Artist"));
    tag->setAlbum(text("Album"));
    tag->setComment(text("Comment"));
    tag->setGenre(text("Genre"));
    tag->setYear(getValueForKey(QStringLiteral("Date")).toString().toUInt());
    tag->setTrack(getValueForKey(QStringLiteral("Track")).toString().toUInt());
}

std::shared_ptr<MTEAudioFile> MTEAudioFile::copy() const {
    return std::make_shared<MTEAudioFile>(*this);
}

QVariantMap MTEAudioFile::encodeWithCoder() const {
    return {{QStringLiteral("dicMap"), dicMap}, {QStringLiteral("dicReadInfo"), dicReadInfo}};
}

std::shared_ptr<MTEAudioFile> MTEAudioFile::initWithCoder(const QVariantMap& coder) {
    const QVariantMap map = coder.value(QStringLiteral("dicMap")).toMap();
    const int fileType = MTETagKeyMap::fileTypeOfMap(map);
    std::shared_ptr<MTEAudioFile> file = MTEAudioCreator::makeHandlerOfType(fileType);
    file->eumFileType = fileType;
    file->dicMap = map;
    file->dicReadInfo = coder.value(QStringLiteral("dicReadInfo")).toMap();
    return file;
}

void MTEAudioFile::storeValues(const QString& key, const QStringList& values) {
    if (values.size() > 1)
        dicValueLists.insert(key, values);
    else
        dicValueLists.remove(key);
    dicReadInfo.insert(key, MTETagText::joinedValues(values));
}

void MTEAudioFile::takeWhatTagLibMissed(QSet<QString> valuesRead) {
    std::optional<MTEFfmpegMetadata> reading;
    if (!ffmpegEntries) {
        if (!reading.emplace().read(strFilePath))
            return;
        ffmpegEntries = reading->entries;
    }
    for (const QVariant& value : std::as_const(dicReadInfo)) {
        if (MTETagText::isTextValue(value)) {
            for (const QString& text : MTETagText::valuesOf(value))
                valuesRead.insert(text.trimmed());
        }
    }
    for (const QString& part : strDiscNumber.split(u'/'))
        valuesRead.insert(part.trimmed());
    // ffmpeg joins several values of one field with ';'.
    const auto isRead = [&valuesRead](const QString& value) {
        const QStringList parts = value.split(u';');
        return std::all_of(parts.begin(), parts.end(), [&valuesRead](const QString& part) {
            return valuesRead.contains(part.trimmed());
        });
    };
    int missed = 0;
    for (const auto& [key, value] : std::as_const(*ffmpegEntries)) {
        if (!isRead(value) && takeMissedEntry(key, value))
            ++missed;
    }
    if (!missed)
        return;
    qCInfo(lcTags, "%d tags of %s read through libavformat, which TagLib's reading missed", missed,
           qPrintable(strFilePath));
    takeFfmpegCover(reading);
}

bool MTEAudioFile::takeMissedEntry(const QString& key, const QString& value) {
    if (MTETagText::isEncoderEntryName(key) || MTETagKeyMap::isEncodeProperty(key))
        return false;
    const QString field = fieldOfEntryName(key);
    if (field.isEmpty() && MTETagKeyMap::propertyOfEntry(key) == MTETagKeyMap::discField()) {
        if (!strDiscNumber.isEmpty())
            return false;
        strDiscNumber = value;
        return true;
    }
    if (field.isEmpty()) {
        ffmpegOnlyEntries.append({key, value});
        return true;
    }
    // A part of the field (a total), or a value of its own beside the one TagLib read.
    const QString familyKey = keyOf(field);
    if (MTETagKeyMap::totalNames(field).contains(MTETagKeyMap::bareName(key),
                                                 Qt::CaseInsensitive) ||
        familyKey.isEmpty() || MTETagText::hasText(dicReadInfo.value(familyKey)))
        return false;
    dicReadInfo.insert(familyKey, value);
    return true;
}

void MTEAudioFile::takeFfmpegCover(std::optional<MTEFfmpegMetadata>& reading) {
    const QString pictureKey = keyOf(QStringLiteral("AlbumImg"));
    if (pictureKey.isEmpty() || !MTETagText::isNoPictureMarker(dicReadInfo.value(pictureKey)))
        return;
    if (!reading && !reading.emplace().read(strFilePath))
        return;
    if (!reading->cover.isNull()) {
        dicReadInfo.insert(pictureKey, reading->cover);
        iPictureType = reading->pictureType;
    }
}

void MTEAudioFile::adoptOtherSpelling(const QString& entryName, const QString& value) {
    const QString key = keyOf(MTETagKeyMap::logicalNameOfEntry(entryName));
    if (!key.isEmpty() && key != entryName && !value.isEmpty() &&
        !MTETagText::hasText(dicReadInfo.value(key)))
        dicReadInfo.insert(key, value);
}

QString MTEAudioFile::fieldOfEntryName(const QString& entryName) const {
    return MTETagKeyMap::fieldOfEntry(entryName, fileSpellings);
}

bool MTEAudioFile::isStaleSpelling(const QString& entryName, const QStringList& values) const {
    const QString logicalName = fieldOfEntryName(entryName);
    if (logicalName.isEmpty())
        return false;
    if (untouchedNames.contains(logicalName))
        return isSecondSpelling(entryName, values, logicalName);
    const QStringList keys = writtenKeysOf(logicalName);
    return !keys.contains(entryName) &&
           std::any_of(keys.begin(), keys.end(),
                       [this](const QString& key) { return dicReadInfo.contains(key); });
}

// ffmpeg's copy keeps a field under its own key where the output's format has another name
// for it ("author", "date", "lyrics-eng" as ID3 user texts or WMA attributes, "AUTHOR" beside
// "ARTIST" in Vorbis comments), and under the source's spelling where it knows none
// ("ORGANIZATION", "WM/Lyrics"). MP4 files keep the items other readers look in
// (MTETagKeyMap::mp4CopyKey).
bool MTEAudioFile::isSecondSpelling(const QString& entryName, const QStringList& values,
                                    const QString& logicalName) const {
    const MTEContainer kind = container();
    const QVariant value = dicReadInfo.value(keyOf(logicalName));
    if (kind == MTEContainer::Mp4 || kind == MTEContainer::None || !MTETagText::hasText(value))
        return false;
    QStringList ownNames{keyOf(logicalName)};
    if (kind == MTEContainer::Flac || kind == MTEContainer::OggVorbis ||
        kind == MTEContainer::OggOpus)
        ownNames = MTETagKeyMap::xiphFieldNames(logicalName);
    else if (kind == MTEContainer::Asf)
        ownNames = QStringList{MTETagKeyMap::asfName(logicalName)};
    return !ownNames.contains(entryName, Qt::CaseInsensitive) &&
           MTETagText::holdsOnly(MTETagText::valuesOf(value), values);
}

QStringList MTEAudioFile::writtenKeysOf(const QString& logicalName) const {
    QStringList keys;
    if (const QString key = keyOf(logicalName); !key.isEmpty())
        keys += key;
    if (eumFileType == MTEFileTypeM4A) {
        if (const QString key = MTETagKeyMap::mp4CopyKey(logicalName); !key.isEmpty())
            keys += key;
    }
    return keys;
}

QString MTEAudioFile::targetPathForMode(int mode, const QString& path) const {
    if (mode == 0)
        return path;
    if ((mode != 1 && mode != 2) || path.isEmpty()) {
        if (mode != 1 && mode != 2)
            qCInfo(lcTags, "oops......");
        return strFilePath;
    }
    qCInfo(lcTags, "Create new file and save to new location...:%s", qPrintable(path));
    const QString target =
        GlobalFun::makeSureFullPathIdenticalAndHaveExtention(path, QStringLiteral("mp3"));
    QFile::remove(target); // the reservation is an empty file; the copy takes its place
    QFile source(strFilePath);
    if (target.isEmpty() || !source.copy(target)) {
        qCWarning(lcTags, "copy file error:%s", qPrintable(source.errorString()));
        return {};
    }
    return target;
}
