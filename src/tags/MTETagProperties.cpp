#include "tags/MTETagProperties.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEId3File.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/urllinkframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

namespace {

using Fields = MTETagProperties::Fields;

// TagLib's names of the entries that describe one encode and are wrong for any other.
const QStringList kEncodeNames{QStringLiteral("ENCODER"), QStringLiteral("ENCODING"),
                               QStringLiteral("ENCODERSETTINGS"), QStringLiteral("LENGTH")};
const QString kFreeFormMean = QStringLiteral("----:com.apple.iTunes:");

// One entry of a tag: its name in the file ("TXXX:desc", a Vorbis field, an MP4 item, an ASF
// attribute), what TagLib reads it as, and the name and values it has of its own where it
// names itself (a user text, a free-form item, a Vorbis field, an ASF attribute).
struct Entry {
    QString rawName;
    TagLib::PropertyMap properties;
    QString ownName;
    QStringList ownValues;
};

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The entry spells a field the tag copy moves as one: a managed name of any family, one of
// the file's own spellings of it, a part of the track.
bool spellsManagedField(const QString& rawName, const MTEAudioFile& file) {
    return !file.fieldOfEntryName(rawName).isEmpty();
}

const TagLib::MP4::ItemMap& entriesOf(const TagLib::MP4::Tag& tag) {
    return tag.itemMap();
}

const TagLib::ASF::AttributeListMap& entriesOf(const TagLib::ASF::Tag& tag) {
    return tag.attributeListMap();
}

const TagLib::Ogg::FieldListMap& entriesOf(const TagLib::Ogg::XiphComment& comment) {
    return comment.fieldListMap();
}

// What TagLib reads a text or link frame as, through a tag of its own holding a copy of it.
TagLib::PropertyMap propertiesOf(const TagLib::ID3v2::Frame* frame) {
    TagLib::ID3v2::Tag alone;
    std::unique_ptr<TagLib::ID3v2::Frame> copy(
        TagLib::ID3v2::FrameFactory::instance()->createFrame(frame->render(), alone.header()));
    if (!copy)
        return {};
    alone.addFrame(copy.release());
    return alone.properties();
}

Entry entryOf(const TagLib::ID3v2::Frame* frame) {
    using namespace TagLib::ID3v2;
    Entry entry{MTETagText::toQString(TagLib::String(frame->frameID(), TagLib::String::Latin1)),
                {},
                {},
                {}};
    if (const auto* user = dynamic_cast<const UserTextIdentificationFrame*>(frame)) {
        entry.ownName = MTETagText::toQString(user->description());
        entry.rawName = QStringLiteral("TXXX:") + entry.ownName;
    }
    if (dynamic_cast<const TextIdentificationFrame*>(frame) ||
        dynamic_cast<const UrlLinkFrame*>(frame))
        entry.properties = propertiesOf(frame);
    return entry;
}

Entry entryOf(const TagLib::String& name, const TagLib::StringList& values) {
    TagLib::PropertyMap properties;
    properties.insert(name, values);
    const QString field = MTETagText::toQString(name);
    return {field, properties, field, MTETagText::toQStringList(values)};
}

Entry entryOf(const TagLib::String& name, const TagLib::MP4::Item& item) {
    TagLib::MP4::Tag alone;
    alone.setItem(name, item);
    const QString rawName = MTETagText::toQString(name);
    const bool freeForm = rawName.startsWith(QLatin1String("----:"));
    return {rawName, alone.properties(), freeForm ? MTETagKeyMap::bareName(rawName) : QString(),
            MTETagText::toQStringList(item.toStringList())};
}

Entry entryOf(const TagLib::String& name, const TagLib::ASF::AttributeList& attributes) {
    TagLib::ASF::Tag alone;
    alone.setAttribute(name, attributes);
    QStringList values;
    for (const TagLib::ASF::Attribute& attribute : attributes) {
        if (attribute.type() == TagLib::ASF::Attribute::UnicodeType)
            values += MTETagText::toQString(attribute.toString());
    }
    const QString attributeName = MTETagText::toQString(name);
    return {attributeName, alone.properties(), attributeName, values};
}

void addField(Fields& fields, const QString& property, const QString& name,
              const QStringList& values) {
    for (MTECarriedField& field : fields) {
        if (!sameName(field.property, property))
            continue;
        for (const QString& value : values) {
            if (!field.values.contains(value))
                field.values += value;
        }
        return;
    }
    fields.append({property, name.isEmpty() ? property : name, values});
}

// Adds what the source's entry holds beside the managed fields, under TagLib's names; an
// entry TagLib has no name for goes under its own, in capitals.
void addEntry(Fields& fields, const Entry& entry, const MTEAudioFile& source) {
    if (spellsManagedField(entry.rawName, source) || MTETagText::isEncoderEntryName(entry.rawName))
        return;
    if (entry.properties.isEmpty() && !entry.ownName.isEmpty() && !entry.ownValues.isEmpty()) {
        addField(fields, entry.ownName.toUpper(), entry.ownName, entry.ownValues);
        return;
    }
    for (const auto& [key, values] : entry.properties) {
        const QString property = MTETagText::toQString(key);
        if (!values.isEmpty() && !kEncodeNames.contains(property, Qt::CaseInsensitive))
            addField(fields, property, entry.ownName, MTETagText::toQStringList(values));
    }
}

// FFmpeg's generic names, as TagLib names them.
QString propertyNameOfFfmpegKey(const QString& key) {
    if (sameName(key, QStringLiteral("disc")))
        return QStringLiteral("DISCNUMBER");
    return key.toUpper();
}

void addFfmpegEntries(Fields& fields, const MTEAudioFile& source) {
    const QString pictureKey = source.dicMap.value(QStringLiteral("AlbumImg")).toString();
    for (auto it = source.dicReadInfo.cbegin(); it != source.dicReadInfo.cend(); ++it) {
        if (it.key() == pictureKey || !MTETagText::hasText(it.value()))
            continue;
        TagLib::PropertyMap properties;
        properties.insert(MTETagText::toTagString(propertyNameOfFfmpegKey(it.key())),
                          TagLib::StringList(MTETagText::toTagString(it.value().toString())));
        addEntry(fields, {it.key(), properties, it.key(), {}}, source);
    }
}

template <class Map>
void addMapEntries(Fields& fields, const Map& map, const MTEAudioFile& source) {
    for (const auto& [name, value] : map)
        addEntry(fields, entryOf(name, value), source);
}

// A source's entries as read; repeated WMA attributes in the order of the file.
template <class Tag> const auto& sourceEntries(const Tag& tag, const MTEAudioFile&) {
    return entriesOf(tag);
}

TagLib::ASF::AttributeListMap sourceEntries(const TagLib::ASF::Tag& tag,
                                            const MTEAudioFile& source) {
    return MTEAsfTags::attributesInFileOrder(&tag, source.strFilePath);
}

template <class File> Fields fieldsOfFile(const MTEAudioFile& source) {
    Fields fields;
    File file(MTETagText::fileName(source.strFilePath).constData(), false);
    if (file.isValid() && file.tag())
        addMapEntries(fields, sourceEntries(*file.tag(), source), source);
    return fields;
}

Fields fieldsOfFlac(const MTEAudioFile& source) {
    Fields fields;
    TagLib::FLAC::File file(MTETagText::fileName(source.strFilePath).constData(), false);
    if (const TagLib::Ogg::XiphComment* comment =
            file.isValid() ? file.xiphComment(false) : nullptr)
        addMapEntries(fields, entriesOf(*comment), source);
    return fields;
}

Fields fieldsOfId3(const MTEAudioFile& source) {
    Fields fields;
    MTEId3File file(source.strFilePath, source.container(), false);
    if (const TagLib::ID3v2::Tag* tag = file.tag(false)) {
        for (const TagLib::ID3v2::Frame* frame : tag->frameList())
            addEntry(fields, entryOf(frame), source);
    }
    return fields;
}

// The tag's entries that stand for the field (under its TagLib name or its own spelling),
// never one that spells a managed field.
bool standsFor(const Entry& entry, const MTECarriedField& field, const MTEAudioFile& output) {
    if (spellsManagedField(entry.rawName, output))
        return false;
    const QString bare = MTETagKeyMap::bareName(entry.rawName);
    if (sameName(bare, field.name) || sameName(bare, field.property))
        return true;
    for (const auto& [key, values] : entry.properties) {
        if (sameName(MTETagText::toQString(key), field.property))
            return true;
    }
    return false;
}

// A field goes in where the tag lacks it, and in place of what stands for it when it has
// several values: ffmpeg's copy keeps only the first.
bool takesField(bool present, const MTECarriedField& field) {
    return !present || field.values.size() > 1;
}

// The names of the map's entries that stand for the field.
template <class Map>
TagLib::StringList namesStandingFor(const Map& map, const MTECarriedField& field,
                                    const MTEAudioFile& output) {
    TagLib::StringList names;
    for (const auto& [name, value] : map) {
        if (standsFor(entryOf(name, value), field, output))
            names.append(name);
    }
    return names;
}

TagLib::ASF::AttributeList asfTexts(const QStringList& values) {
    TagLib::ASF::AttributeList attributes;
    for (const QString& value : values)
        attributes.append(TagLib::ASF::Attribute(MTETagText::toTagString(value)));
    return attributes;
}

std::unique_ptr<TagLib::ID3v2::Frame> id3FrameOf(const MTECarriedField& field,
                                                 const MTEAudioFile& output) {
    const TagLib::StringList values = MTETagText::toTagStringList(field.values);
    std::unique_ptr<TagLib::ID3v2::Frame> frame(
        TagLib::ID3v2::Frame::createTextualFrame(MTETagText::toTagString(field.property), values));
    if (frame && !spellsManagedField(entryOf(frame.get()).rawName, output))
        return frame;
    return std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
        MTETagText::toTagString(field.name), values, TagLib::String::UTF8);
}

void setEntry(TagLib::MP4::Tag* tag, const TagLib::String& name, const TagLib::MP4::Item& item) {
    tag->setItem(name, item);
}

void setEntry(TagLib::ASF::Tag* tag, const TagLib::String& name,
              const TagLib::ASF::AttributeList& attributes) {
    tag->setAttribute(name, attributes);
}

// Sets the field under the one item or attribute TagLib knows for its name; false when it
// knows none, or one that spells a managed field.
template <class Tag>
bool setByTagLibName(Tag* tag, const MTECarriedField& field, const MTEAudioFile& output) {
    Tag alone;
    TagLib::PropertyMap properties;
    properties.insert(MTETagText::toTagString(field.property),
                      MTETagText::toTagStringList(field.values));
    alone.setProperties(properties);
    const auto& entries = entriesOf(alone);
    if (entries.size() != 1 ||
        spellsManagedField(MTETagText::toQString(entries.begin()->first), output))
        return false;
    setEntry(tag, entries.begin()->first, entries.begin()->second);
    return true;
}

} // namespace

Fields MTETagProperties::unmanagedOf(const MTEAudioFile& source) {
    switch (source.container()) {
    case MTEContainer::None: {
        Fields fields;
        addFfmpegEntries(fields, source);
        return fields;
    }
    case MTEContainer::Flac:
        return fieldsOfFlac(source);
    case MTEContainer::OggVorbis:
        return fieldsOfFile<TagLib::Ogg::Vorbis::File>(source);
    case MTEContainer::OggOpus:
        return fieldsOfFile<TagLib::Ogg::Opus::File>(source);
    case MTEContainer::Asf:
        return fieldsOfFile<TagLib::ASF::File>(source);
    case MTEContainer::Mp4:
        return fieldsOfFile<TagLib::MP4::File>(source);
    default:
        return fieldsOfId3(source);
    }
}

// A field the tag holds already keeps the spelling it has there (ffmpeg's copy of the source's
// own); a new one goes under TagLib's name for it.
void MTETagProperties::write(TagLib::ID3v2::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    for (const MTECarriedField& field : output.carriedFields) {
        TagLib::ID3v2::FrameList present;
        for (TagLib::ID3v2::Frame* frame : tag->frameList()) {
            if (standsFor(entryOf(frame), field, output))
                present.append(frame);
        }
        if (!takesField(!present.isEmpty(), field))
            continue;
        const auto* user =
            present.isEmpty()
                ? nullptr
                : dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(present.front());
        std::unique_ptr<TagLib::ID3v2::Frame> frame =
            user ? std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
                       user->description(), MTETagText::toTagStringList(field.values),
                       TagLib::String::UTF8)
                 : id3FrameOf(field, output);
        for (TagLib::ID3v2::Frame* old : present)
            tag->removeFrame(old);
        tag->addFrame(frame.release());
    }
}

void MTETagProperties::write(TagLib::Ogg::XiphComment* comment, const MTEAudioFile& output) {
    if (!comment)
        return;
    for (const MTECarriedField& field : output.carriedFields) {
        const TagLib::StringList present = namesStandingFor(comment->fieldListMap(), field, output);
        QString name = spellsManagedField(field.property, output) ? field.name : field.property;
        if (!present.isEmpty())
            name = MTETagText::toQString(present.front());
        if (!takesField(!present.isEmpty(), field) || spellsManagedField(name, output))
            continue;
        for (const TagLib::String& old : present)
            comment->removeFields(old);
        for (const QString& value : field.values)
            comment->addField(MTETagText::toTagString(name), MTETagText::toTagString(value), false);
    }
}

void MTETagProperties::write(TagLib::MP4::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    for (const MTECarriedField& field : output.carriedFields) {
        const TagLib::StringList present = namesStandingFor(tag->itemMap(), field, output);
        if (!takesField(!present.isEmpty(), field))
            continue;
        for (const TagLib::String& old : present)
            tag->removeItem(old);
        const TagLib::StringList values = MTETagText::toTagStringList(field.values);
        if (!present.isEmpty() && MTETagText::toQString(present.front()).startsWith(u"----:"))
            tag->setItem(present.front(), values);
        else if (!setByTagLibName(tag, field, output))
            tag->setItem(MTETagText::toTagString(kFreeFormMean + field.name), values);
    }
}

void MTETagProperties::write(TagLib::ASF::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    for (const MTECarriedField& field : output.carriedFields) {
        const TagLib::StringList present = namesStandingFor(tag->attributeListMap(), field, output);
        if (!takesField(!present.isEmpty(), field))
            continue;
        for (const TagLib::String& old : present)
            tag->removeItem(old);
        if (!present.isEmpty())
            tag->setAttribute(present.front(), asfTexts(field.values));
        else if (!setByTagLibName(tag, field, output))
            tag->setAttribute(MTETagText::toTagString(field.name), asfTexts(field.values));
    }
}
