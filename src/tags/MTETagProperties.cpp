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
#include <taglib/uniquefileidentifierframe.h>
#include <taglib/urllinkframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <optional>
#include <vector>

namespace {

using Fields = MTETagProperties::Fields;

// TagLib's names of the entries that describe one encode and are wrong for any other.
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
        dynamic_cast<const UrlLinkFrame*>(frame) ||
        dynamic_cast<const UniqueFileIdentifierFrame*>(frame))
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

// The fields read so far, found by TagLib's name in any letter case.
struct FieldIndex {
    Fields fields;
    QHash<QString, qsizetype> byProperty;
};

void addField(FieldIndex& index, const QString& property, const QString& name, QStringList values) {
    values.removeAll(QString());
    if (values.isEmpty())
        return;
    const auto found = index.byProperty.constFind(property.toUpper());
    if (found == index.byProperty.cend()) {
        values.removeDuplicates();
        index.byProperty.insert(property.toUpper(), index.fields.size());
        index.fields.append({property, name.isEmpty() ? property : name, values});
        return;
    }
    MTECarriedField& field = index.fields[*found];
    for (const QString& value : std::as_const(values)) {
        if (!field.values.contains(value))
            field.values += value;
    }
}

// TagLib's name of a field, or the one the table gives for the spelling ("TMOO", "MUSICBRAINZ
// ALBUM ID").
QString propertyName(const QString& name) {
    const QString property = MTETagKeyMap::propertyOfEntry(name);
    return property.isEmpty() ? name : property;
}

// ffmpeg keeps a user text without description under an empty key, and TagLib reads it as one
// named after its value, holding none: no field of its own.
bool isValuelessUserText(const Entry& entry) {
    return entry.rawName.startsWith(QLatin1String("TXXX:")) && !entry.properties.isEmpty() &&
           std::all_of(entry.properties.begin(), entry.properties.end(), [](const auto& property) {
               return std::all_of(property.second.begin(), property.second.end(),
                                  [](const TagLib::String& v) { return v.isEmpty(); });
           });
}

// A FLAC file's channel mask is its speaker arrangement: ffmpeg reads it as the stream's and
// writes the output's own, which a copy of the source's would contradict.
bool isChannelMask(const QString& entryName) {
    return entryName.compare(QLatin1String("WAVEFORMATEXTENSIBLE_CHANNEL_MASK"),
                             Qt::CaseInsensitive) == 0;
}

// Adds what the source's entry holds beside the managed fields, under TagLib's names; an
// entry TagLib has no name for goes under its own, in capitals.
void addEntry(FieldIndex& fields, const Entry& entry, const MTEAudioFile& source) {
    if (spellsManagedField(entry.rawName, source) ||
        MTETagText::isEncoderEntryName(entry.rawName) || isChannelMask(entry.rawName))
        return;
    if (isValuelessUserText(entry)) {
        qCInfo(lcTags, "a user text of \"%s\" without description or value left out: \"%s\"",
               qPrintable(source.strFilePath), qPrintable(entry.ownName));
        return;
    }
    if (entry.properties.isEmpty() && !entry.ownName.isEmpty() && !entry.ownValues.isEmpty()) {
        addField(fields, propertyName(entry.ownName.toUpper()), entry.ownName, entry.ownValues);
        return;
    }
    for (const auto& [key, values] : entry.properties) {
        const QString property = propertyName(MTETagText::toQString(key));
        // TagLib names iTunes' grouping frame GRP1 "GROUPING", the name the grouping the row
        // manages has elsewhere: such a field goes under the frame's own name.
        const QString name = entry.ownName.isEmpty() && spellsManagedField(property, source)
                                 ? MTETagKeyMap::bareName(entry.rawName)
                                 : entry.ownName;
        if (!values.isEmpty() && !MTETagKeyMap::isEncodeProperty(property))
            addField(fields, property, name, MTETagText::toQStringList(values));
    }
}

// Entries as libavformat reads them: ffmpeg's keys and their texts.
void addFfmpegEntries(FieldIndex& fields, const QList<std::pair<QString, QString>>& entries,
                      const MTEAudioFile& source) {
    for (const auto& [key, value] : entries) {
        TagLib::PropertyMap properties;
        properties.insert(MTETagText::toTagString(propertyName(key).toUpper()),
                          TagLib::StringList(MTETagText::toTagString(value)));
        addEntry(fields, {key, properties, key, {}}, source);
    }
}

// The texts of a file whose tags only libavformat read.
QList<std::pair<QString, QString>> textsRead(const MTEAudioFile& source) {
    const QString pictureKey = source.keyOf(QStringLiteral("AlbumImg"));
    QList<std::pair<QString, QString>> texts;
    for (auto it = source.dicReadInfo.cbegin(); it != source.dicReadInfo.cend(); ++it) {
        if (it.key() != pictureKey && MTETagText::hasText(it.value()))
            texts.append({it.key(), it.value().toString()});
    }
    return texts;
}

template <class Map>
void addMapEntries(FieldIndex& fields, const Map& map, const MTEAudioFile& source) {
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

template <class File> void addFieldsOfFile(FieldIndex& fields, const MTEAudioFile& source) {
    File file(MTETagText::fileName(source.strFilePath).constData(), false);
    if (file.isValid() && file.tag())
        addMapEntries(fields, sourceEntries(*file.tag(), source), source);
}

void addFieldsOfFlac(FieldIndex& fields, const MTEAudioFile& source) {
    TagLib::FLAC::File file(MTETagText::fileName(source.strFilePath).constData(), false);
    if (const TagLib::Ogg::XiphComment* comment =
            file.isValid() ? file.xiphComment(false) : nullptr)
        addMapEntries(fields, entriesOf(*comment), source);
}

void addFieldsOfId3(FieldIndex& fields, const MTEAudioFile& source) {
    MTEId3File file(source.strFilePath, source.container(), false);
    if (const TagLib::ID3v2::Tag* tag = file.tag(false)) {
        for (const TagLib::ID3v2::Frame* frame : tag->frameList())
            addEntry(fields, entryOf(frame), source);
    }
}

// A tag's entries by every name they answer to, lower-cased: their own, each TagLib name
// they hold and the field the table of spellings gives for either. Entries that spell a
// managed field are left out. Built once for a write, so each field finds its entries at once.
template <class Handle> class EntryIndex {
public:
    void add(const Handle& handle, const Entry& entry, const MTEAudioFile& output) {
        if (spellsManagedField(entry.rawName, output))
            return;
        QStringList names{MTETagKeyMap::bareName(entry.rawName)};
        for (const auto& [key, values] : entry.properties)
            names += MTETagText::toQString(key);
        for (const QString& name : QStringList(names))
            names += MTETagKeyMap::propertyOfEntry(name);
        const qsizetype position = _entries.size();
        _entries.append({handle, entry.rawName});
        for (const QString& name : std::as_const(names)) {
            if (name.isEmpty())
                continue;
            QList<qsizetype>& positions = _byName[name.toLower()];
            if (positions.isEmpty() || positions.back() != position)
                positions.append(position);
        }
    }

    // The entries that stand for the field, in tag order; each is handed out once, as the
    // write removes or replaces it.
    QList<std::pair<Handle, QString>> take(const MTECarriedField& field) {
        QList<qsizetype> positions = _byName.value(field.property.toLower());
        positions += _byName.value(field.name.toLower());
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        QList<std::pair<Handle, QString>> found;
        for (qsizetype position : std::as_const(positions)) {
            if (!_taken.contains(position))
                found.append(_entries[position]);
            _taken.insert(position);
        }
        return found;
    }

private:
    QList<std::pair<Handle, QString>> _entries;
    QHash<QString, QList<qsizetype>> _byName;
    QSet<qsizetype> _taken;
};

template <class Map>
EntryIndex<TagLib::String> indexOf(const Map& map, const MTEAudioFile& output) {
    EntryIndex<TagLib::String> index;
    for (const auto& [name, value] : map)
        index.add(name, entryOf(name, value), output);
    return index;
}

using Present = QList<std::pair<TagLib::String, QString>>;

// The name a field goes under: the format's own for a field the table of spellings knows;
// any other keeps the spelling the tag has (ffmpeg's copy of the source's own).
template <class Handle>
QString nameToWrite(const QList<std::pair<Handle, QString>>& present, const MTECarriedField& field,
                    const QString& ownName) {
    if (present.isEmpty() || !MTETagKeyMap::propertyOfEntry(field.property).isEmpty())
        return ownName;
    return present.front().second;
}

// The tag keeps what stands for the field when that is one value under the name it goes
// under (ffmpeg's copy of it); otherwise the field replaces it: ffmpeg keeps only the first
// of several values, and spells some fields its own way ("TMOO", "artist-sort").
template <class Handle>
bool keepsPresent(const QList<std::pair<Handle, QString>>& present, const MTECarriedField& field,
                  const QString& name) {
    return !present.isEmpty() && field.values.size() < 2 &&
           std::all_of(present.begin(), present.end(),
                       [&name](const auto& entry) { return sameName(entry.second, name); });
}

// The entry of the tag under the name, whose spelling the field keeps; null for none.
const TagLib::String* presentNamed(const Present& present, const QString& name) {
    for (const auto& [handle, entryName] : present) {
        if (sameName(entryName, name))
            return &handle;
    }
    return nullptr;
}

// A field the table knows is written under its name there where TagLib has none.
QString tableName(const QString& name, const QString& fallback) {
    return name.isEmpty() ? fallback : name;
}

TagLib::ASF::AttributeList asfTexts(const QStringList& values) {
    TagLib::ASF::AttributeList attributes;
    for (const QString& value : values)
        attributes.append(TagLib::ASF::Attribute(MTETagText::toTagString(value)));
    return attributes;
}

std::unique_ptr<TagLib::ID3v2::Frame> id3FrameOf(const MTECarriedField& field,
                                                 const MTEAudioFile& output,
                                                 const TagLib::String& presentDescription) {
    const TagLib::StringList values = MTETagText::toTagStringList(field.values);
    const QString userText = MTETagKeyMap::id3UserTextOfProperty(field.property);
    if (!userText.isEmpty() || !presentDescription.isEmpty())
        return std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
            presentDescription.isEmpty() ? MTETagText::toTagString(userText) : presentDescription,
            values, TagLib::String::UTF8);
    std::unique_ptr<TagLib::ID3v2::Frame> frame(
        TagLib::ID3v2::Frame::createTextualFrame(MTETagText::toTagString(field.property), values));
    if (frame && !spellsManagedField(entryOf(frame.get()).rawName, output))
        return frame;
    return std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
        MTETagText::toTagString(field.name), values, TagLib::String::UTF8);
}

// The one item or attribute TagLib knows for the field's name; none when it knows none, or
// one that spells a managed field.
template <class Tag>
auto tagLibEntry(const MTECarriedField& field, const MTEAudioFile& output)
    -> std::optional<std::remove_cvref_t<decltype(*entriesOf(std::declval<Tag>()).begin())>> {
    Tag alone;
    TagLib::PropertyMap properties;
    properties.insert(MTETagText::toTagString(field.property),
                      MTETagText::toTagStringList(field.values));
    alone.setProperties(properties);
    const auto& entries = entriesOf(alone);
    if (entries.size() != 1 ||
        spellsManagedField(MTETagText::toQString(entries.begin()->first), output))
        return std::nullopt;
    return *entries.begin();
}

} // namespace

Fields MTETagProperties::unmanagedOf(const MTEAudioFile& source) {
    FieldIndex fields;
    switch (source.container()) {
    case MTEContainer::None:
        addFfmpegEntries(fields, textsRead(source), source);
        break;
    case MTEContainer::Flac:
        addFieldsOfFlac(fields, source);
        break;
    case MTEContainer::OggVorbis:
        addFieldsOfFile<TagLib::Ogg::Vorbis::File>(fields, source);
        break;
    case MTEContainer::OggOpus:
        addFieldsOfFile<TagLib::Ogg::Opus::File>(fields, source);
        break;
    case MTEContainer::Asf:
        addFieldsOfFile<TagLib::ASF::File>(fields, source);
        break;
    case MTEContainer::Mp4:
        addFieldsOfFile<TagLib::MP4::File>(fields, source);
        break;
    default:
        addFieldsOfId3(fields, source);
        break;
    }
    addFfmpegEntries(fields, source.ffmpegOnlyEntries, source);
    return fields.fields;
}

void MTETagProperties::write(TagLib::ID3v2::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    EntryIndex<TagLib::ID3v2::Frame*> index;
    // Frames go while they are walked; a copy of TagLib's list would own them.
    const std::vector<TagLib::ID3v2::Frame*> frames(tag->frameList().begin(),
                                                    tag->frameList().end());
    for (TagLib::ID3v2::Frame* frame : frames) {
        const Entry entry = entryOf(frame);
        if (output.bRemovesEncoderEntries && isValuelessUserText(entry)) {
            qCInfo(lcTags, "a user text without description or value removed: \"%s\"",
                   qPrintable(entry.ownName));
            tag->removeFrame(frame);
            continue;
        }
        index.add(frame, entry, output);
    }
    for (const MTECarriedField& field : output.carriedFields) {
        const auto present = index.take(field);
        std::unique_ptr<TagLib::ID3v2::Frame> frame = id3FrameOf(field, output, {});
        const QString name = nameToWrite(present, field, entryOf(frame.get()).rawName);
        if (keepsPresent(present, field, name))
            continue;
        for (const auto& [old, oldName] : present) {
            const auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(old);
            if (user && sameName(oldName, name))
                frame = id3FrameOf(field, output, user->description());
        }
        for (const auto& [old, oldName] : present)
            tag->removeFrame(old);
        tag->addFrame(frame.release());
    }
}

void MTETagProperties::write(TagLib::Ogg::XiphComment* comment, const MTEAudioFile& output) {
    if (!comment)
        return;
    EntryIndex<TagLib::String> index = indexOf(comment->fieldListMap(), output);
    for (const MTECarriedField& field : output.carriedFields) {
        const Present present = index.take(field);
        const QString name =
            nameToWrite(present, field,
                        spellsManagedField(field.property, output) ? field.name : field.property);
        if (spellsManagedField(name, output) || keepsPresent(present, field, name))
            continue;
        for (const auto& [old, oldName] : present)
            comment->removeFields(old);
        for (const QString& value : field.values)
            comment->addField(MTETagText::toTagString(name), MTETagText::toTagString(value), false);
    }
}

void MTETagProperties::write(TagLib::MP4::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    EntryIndex<TagLib::String> index = indexOf(tag->itemMap(), output);
    for (const MTECarriedField& field : output.carriedFields) {
        const Present present = index.take(field);
        const auto own = tagLibEntry<TagLib::MP4::Tag>(field, output);
        const QString tableItem = MTETagKeyMap::mp4ItemOfProperty(field.property);
        const QString ownName =
            own ? MTETagText::toQString(own->first)
                : tableName(tableItem.startsWith(u"----:") ? tableItem : QString(),
                            kFreeFormMean + field.name);
        QString name = nameToWrite(present, field, ownName);
        if (!name.startsWith(u"----:") && !sameName(name, ownName))
            name = ownName; // a field TagLib names otherwise than the item the tag has
        if (keepsPresent(present, field, name))
            continue;
        const TagLib::String* kept = presentNamed(present, name);
        const TagLib::String item = kept ? *kept : MTETagText::toTagString(name);
        for (const auto& [old, oldName] : present)
            tag->removeItem(old);
        if (own && sameName(name, ownName))
            tag->setItem(item, own->second);
        else
            tag->setItem(item, MTETagText::toTagStringList(field.values));
    }
}

void MTETagProperties::write(TagLib::ASF::Tag* tag, const MTEAudioFile& output) {
    if (!tag)
        return;
    EntryIndex<TagLib::String> index = indexOf(tag->attributeListMap(), output);
    for (const MTECarriedField& field : output.carriedFields) {
        const Present present = index.take(field);
        const auto own = tagLibEntry<TagLib::ASF::Tag>(field, output);
        const QString ownName =
            own ? MTETagText::toQString(own->first)
                : tableName(MTETagKeyMap::asfNameOfProperty(field.property), field.name);
        const QString name = nameToWrite(present, field, ownName);
        if (keepsPresent(present, field, name))
            continue;
        const TagLib::String* kept = presentNamed(present, name);
        const TagLib::String attribute = kept ? *kept : MTETagText::toTagString(name);
        for (const auto& [old, oldName] : present)
            tag->removeItem(old);
        if (own && !kept)
            tag->setAttribute(own->first, own->second);
        else
            tag->setAttribute(attribute, asfTexts(field.values));
    }
}
