#include "tags/MTETagProperties.h"

#include "tags/MTEAudioFile.h"
#include "tags/MTEId3File.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

using Map = MTETagProperties::Map;

// What TagLib names a managed frame that no family spells so (ID3v2's TIT1), and the
// entries that describe one encode and are wrong for any other.
const QStringList kManagedTagLibNames{QStringLiteral("WORK")};
const QStringList kEncodeNames{QStringLiteral("ENCODER"), QStringLiteral("ENCODING"),
                               QStringLiteral("ENCODERSETTINGS"), QStringLiteral("LENGTH")};

std::unique_ptr<TagLib::File> openFile(const QString& path, MTEContainer container) {
    const QByteArray name = MTETagText::fileName(path);
    switch (container) {
    case MTEContainer::Flac:
        return std::make_unique<TagLib::FLAC::File>(name.constData(), false);
    case MTEContainer::OggVorbis:
        return std::make_unique<TagLib::Ogg::Vorbis::File>(name.constData(), false);
    case MTEContainer::OggOpus:
        return std::make_unique<TagLib::Ogg::Opus::File>(name.constData(), false);
    case MTEContainer::Asf:
        return std::make_unique<TagLib::ASF::File>(name.constData(), false);
    case MTEContainer::Mp4:
        return std::make_unique<TagLib::MP4::File>(name.constData(), false);
    default:
        return nullptr;
    }
}

TagLib::PropertyMap propertiesOfFile(const QString& path, MTEContainer container) {
    if (container == MTEContainer::Mp3 || container == MTEContainer::Mp2 ||
        container == MTEContainer::Wav || container == MTEContainer::Aiff) {
        MTEId3File file(path, container, false);
        return file.isValid() ? file.file()->properties() : TagLib::PropertyMap();
    }
    const std::unique_ptr<TagLib::File> file = openFile(path, container);
    return file && file->isValid() ? file->properties() : TagLib::PropertyMap();
}

TagLib::StringList tagStrings(const QStringList& values) {
    TagLib::StringList list;
    for (const QString& value : values)
        list.append(MTETagText::toTagString(value));
    return list;
}

// The properties the tag's own map lacks.
TagLib::PropertyMap missingFrom(const TagLib::PropertyMap& present, const Map& properties) {
    TagLib::PropertyMap missing;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const TagLib::String key = MTETagText::toTagString(it.key());
        if (!present.contains(key) && !it.value().isEmpty())
            missing.insert(key, tagStrings(it.value()));
    }
    return missing;
}

// FFmpeg's generic names, as TagLib names them.
QString propertyNameOfFfmpegKey(const QString& key) {
    if (key.compare(QLatin1String("disc"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("DISCNUMBER");
    return key.toUpper();
}

} // namespace

bool MTETagProperties::isManaged(const QString& propertyName, const MTEAudioFile& source) {
    const QString name = propertyName.toUpper();
    return !source.fieldOfEntryName(name).isEmpty() ||
           !MTETagKeyMap::fieldOfEntry(name.section(u':', 0, 0)).isEmpty() ||
           kManagedTagLibNames.contains(name) || kEncodeNames.contains(name) ||
           MTETagText::isEncoderEntryName(name);
}

Map MTETagProperties::unmanagedOf(const MTEAudioFile& source) {
    Map unmanaged;
    const auto add = [&](const QString& name, const QStringList& values) {
        if (!values.isEmpty() && !isManaged(name, source))
            unmanaged.insert(name, values);
    };
    const MTEContainer container = source.container();
    if (container == MTEContainer::None) {
        const QString pictureKey = source.dicMap.value(QStringLiteral("AlbumImg")).toString();
        for (auto it = source.dicReadInfo.cbegin(); it != source.dicReadInfo.cend(); ++it) {
            if (it.key() != pictureKey && MTETagText::hasText(it.value()))
                add(propertyNameOfFfmpegKey(it.key()), {it.value().toString()});
        }
        return unmanaged;
    }
    const TagLib::PropertyMap properties = propertiesOfFile(source.strFilePath, container);
    for (const auto& [name, values] : properties) {
        QStringList texts;
        for (const TagLib::String& value : values)
            texts += MTETagText::toQString(value);
        add(MTETagText::toQString(name), texts);
    }
    return unmanaged;
}

void MTETagProperties::addMissing(TagLib::ID3v2::Tag* tag, const Map& properties) {
    if (!tag || properties.isEmpty())
        return;
    const TagLib::PropertyMap missing = missingFrom(tag->properties(), properties);
    for (const auto& [name, values] : missing) {
        if (TagLib::ID3v2::Frame* frame = TagLib::ID3v2::Frame::createTextualFrame(name, values))
            tag->addFrame(frame);
    }
}

void MTETagProperties::addMissing(TagLib::Ogg::XiphComment* comment, const Map& properties) {
    if (!comment || properties.isEmpty())
        return;
    const TagLib::PropertyMap missing = missingFrom(comment->properties(), properties);
    for (const auto& [name, values] : missing) {
        for (const TagLib::String& value : values)
            comment->addField(name, value, false);
    }
}

void MTETagProperties::addMissing(TagLib::MP4::Tag* tag, const Map& properties) {
    if (!tag || properties.isEmpty())
        return;
    // TagLib knows each property's MP4 item; a tag of its own shows which.
    TagLib::MP4::Tag items;
    items.setProperties(missingFrom(tag->properties(), properties));
    for (const auto& [name, item] : items.itemMap()) {
        if (!tag->contains(name))
            tag->setItem(name, item);
    }
}

void MTETagProperties::addMissing(TagLib::ASF::Tag* tag, const Map& properties) {
    if (!tag || properties.isEmpty())
        return;
    TagLib::ASF::Tag attributes;
    attributes.setProperties(missingFrom(tag->properties(), properties));
    for (const auto& [name, values] : attributes.attributeListMap()) {
        if (!tag->contains(name))
            tag->setAttribute(name, values);
    }
}
