#include "tags/MTETagCopy.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTETagCopyPlan.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <algorithm>

namespace {

bool isAllZeros(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'0'; });
}

// An ID3v1 tag stores "no year" and "no track" as 0, which reads as "0"; written out it
// would become the year "0000" and track 0.
bool isZeroNumber(const QString& logicalName, const QVariant& value) {
    if (!MTETagText::isTextValue(value))
        return false;
    const QString text = value.toString().trimmed();
    if (logicalName == QLatin1String("Track"))
        return isAllZeros(text.section(u'/', 0, 0).trimmed());
    return isAllZeros(text);
}

// Drops what must not reach a fresh encode: the source encoder's own data, and the zero
// year and track of an ID3v1 tag (an empty text, so no such frame survives either).
QVariantMap withoutStaleEntries(QVariantMap tags, int toType) {
    const QString family = MTETagKeyMap::destinationFamilyOfFileType(toType);
    for (auto it = tags.begin(); it != tags.end();) {
        if (MTETagText::isEncoderEntryName(it.key()))
            it = tags.erase(it);
        else
            ++it;
    }
    for (const char* name : {"Date", "Track"}) {
        const QString key = MTETagKeyMap::keyForName(family, QLatin1String(name));
        if (!key.isEmpty() && tags.contains(key) &&
            isZeroNumber(QLatin1String(name), tags.value(key)))
            tags.insert(key, QString());
    }
    return tags;
}

bool isSameValue(const QVariant& a, const QVariant& b) {
    if (MTETagText::isTextValue(a) && MTETagText::isTextValue(b))
        return a.toString() == b.toString();
    return a == b;
}

// The logical names whose row value is the one the source read; a name the source's family
// lacks cannot be edited in the row. Without the source's reading every name counts as
// changed.
QSet<QString> untouchedNames(const QVariantMap& row, int sourceFileType,
                             const MTEAudioFile* source) {
    QSet<QString> names;
    if (!source)
        return names;
    const QVariantMap family =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(sourceFileType));
    for (const QString& name : MTETagKeyMap::familyMap(QStringLiteral("mpeg")).keys()) {
        const QString key = family.value(name).toString();
        if (key.isEmpty() || isSameValue(row.value(key), source->dicReadInfo.value(key)))
            names.insert(name);
    }
    return names;
}

// MP4 items that other readers find a field in beside the "m4a" table (the grouping the table
// lacks) take the row's value: a changed field's
// always, so none keeps the old one; an untouched field's where ffmpeg's copy left none (the
// writer keeps the copy's item otherwise).
void addMp4CopyItems(QVariantMap& tags, const QVariantMap& row, int sourceFileType,
                     const QSet<QString>& untouched) {
    const QString sourceFamily = MTETagKeyMap::sourceFamilyOfFileType(sourceFileType);
    for (const QString& name : MTETagKeyMap::familyMap(QStringLiteral("mpeg")).keys()) {
        const QString copyKey = MTETagKeyMap::mp4CopyKey(name);
        const QString sourceKey = MTETagKeyMap::keyForName(sourceFamily, name);
        if (copyKey.isEmpty() || !row.contains(sourceKey))
            continue;
        if (!untouched.contains(name) || !tags.contains(copyKey))
            tags.insert(copyKey, row.value(sourceKey));
    }
}

// What the source read beside a field's text goes to the output for the fields the row left
// as read: each of several values, the cover's picture type. The disc with its total, which
// ffmpeg's copy splits, goes always.
void takeUntouchedValues(QVariantMap& row, const MTEAudioFile& source, int sourceFileType,
                         MTEAudioFile& output) {
    const QVariantMap family =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(sourceFileType));
    for (auto it = family.cbegin(); it != family.cend(); ++it) {
        const QString key = it.value().toString();
        if (output.untouchedNames.contains(it.key()) && source.dicValueLists.contains(key))
            row.insert(key, source.dicValueLists.value(key));
    }
    if (output.untouchedNames.contains(QStringLiteral("AlbumImg")))
        output.iPictureType = source.iPictureType;
    if (source.strDiscNumber.contains(u'/'))
        output.strDiscNumber = source.strDiscNumber;
}

// A field the source's family has no key for (an MP4 file's grouping) goes to the output as
// the file spelt it, untouched, where the output's family has one.
void addFieldsTheSourceFamilyLacks(QVariantMap& tags, const QVariantMap& row, int fromType,
                                   int toType) {
    const QVariantMap source =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(fromType));
    const QVariantMap destination =
        MTETagKeyMap::familyMap(MTETagKeyMap::destinationFamilyOfFileType(toType));
    for (auto name = destination.cbegin(); name != destination.cend(); ++name) {
        if (source.contains(name.key()) || tags.contains(name.value().toString()))
            continue;
        for (auto entry = row.cbegin(); entry != row.cend(); ++entry) {
            if (MTETagKeyMap::fieldOfEntry(entry.key()) == name.key() &&
                MTETagText::hasText(entry.value())) {
                tags.insert(name.value().toString(), entry.value());
                break;
            }
        }
    }
}

// The fields outside the managed names that the tag copy writes itself: those ffmpeg's copy
// does not give the output whole, and those the table of spellings knows, which ffmpeg may
// spell otherwise than the output's format does (the writers keep its copy where it does not).
MTETagProperties::Fields carriedFields(const MTEAudioFile& source, const MTETagCopyPlan& plan) {
    MTETagProperties::Fields fields = MTETagProperties::unmanagedOf(source);
    const bool options = plan.writer == MTETagCopyPlan::Writer::Options;
    fields.removeIf([&plan, options](const MTECarriedField& field) {
        return plan.ffmpegKeepsWhole(field) &&
               (options || MTETagKeyMap::propertyOfEntry(field.property).isEmpty());
    });
    return fields;
}

// Each field of the row with its text (empty: none, or cleared).
QList<std::pair<QString, QString>> rowFields(const QVariantMap& row, int sourceFileType) {
    const QVariantMap family =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(sourceFileType));
    QList<std::pair<QString, QString>> fields;
    for (auto it = family.cbegin(); it != family.cend(); ++it) {
        const QVariant value = row.value(it.value().toString());
        if (it.key() == QLatin1String("AlbumImg") || !row.contains(it.value().toString()) ||
            !MTETagText::isTextValue(value))
            continue;
        const bool zero = isZeroNumber(it.key(), value);
        fields.append({it.key(), zero ? QString() : MTETagText::textOf(value)});
    }
    return fields;
}

// ffmpeg's "-metadata key=value" splits at the first '=': a key that holds one can be neither
// set nor cleared.
void addMetadataOption(QStringList& arguments, const QString& key, const QString& value) {
    if (key.contains(u'=')) {
        qCWarning(lcTags,
                  "the tag \"%s\" cannot be set or cleared through ffmpeg, whose metadata option "
                  "splits at '='; it stays as ffmpeg copies it",
                  qPrintable(key));
        return;
    }
    arguments << QStringLiteral("-metadata") << key + u'=' + value;
}

// TagLib writes no CAF files: ffmpeg takes every field of the row (each replacing
// every spelling of it in the source's tags), the disc, and the fields no row manages where
// its copy misses them or keeps only the first of their values; several values joined.
QStringList optionArguments(const QVariantMap& row, int sourceFileType, const MTEAudioFile* source,
                            const MTETagCopyPlan& plan) {
    const QSet<QString> untouched = untouchedNames(row, sourceFileType, source);
    QStringList arguments;
    for (const auto& [name, text] : rowFields(row, sourceFileType)) {
        const bool changed = !untouched.contains(name);
        if (!changed && text.isEmpty())
            continue; // nothing the row shows; what ffmpeg copies stays
        const QString key = MTETagKeyMap::keyForName(QStringLiteral("ffmpeg"), name);
        for (const auto& [sourceKey, value] : std::as_const(plan.sourceTags)) {
            const QString field = source ? source->fieldOfEntryName(sourceKey)
                                         : MTETagKeyMap::fieldOfEntry(sourceKey);
            // An untouched field keeps another spelling only where it holds a value of its own
            // ("author" or "ORGANIZATION" beside the same "artist" or "publisher" go).
            if (field == name && sourceKey.compare(key, Qt::CaseInsensitive) != 0 &&
                (changed || MTETagText::holdsOnly({text}, {value})))
                addMetadataOption(arguments, sourceKey, QString());
        }
        addMetadataOption(arguments, key, text);
    }
    if (!source)
        return arguments;
    QSet<QString> written;
    if (!source->strDiscNumber.isEmpty()) {
        const QString disc = MTETagKeyMap::ffmpegKeyOfProperty(MTETagKeyMap::discField());
        addMetadataOption(arguments, disc, source->strDiscNumber);
        written.insert(disc);
    }
    for (const MTECarriedField& field : carriedFields(*source, plan)) {
        const QString ffmpegKey = MTETagKeyMap::ffmpegKeyOfProperty(field.property);
        const QString key = ffmpegKey.isEmpty() ? field.name : ffmpegKey;
        if (written.contains(key.toLower()))
            continue; // the disc, which goes with its total
        written.insert(key.toLower());
        for (const auto& [sourceKey, value] : std::as_const(plan.sourceTags)) {
            if (sourceKey.compare(key, Qt::CaseInsensitive) != 0 &&
                MTETagKeyMap::propertyOfEntry(sourceKey) == field.property)
                addMetadataOption(arguments, sourceKey, QString()); // ffmpeg's other spelling
        }
        addMetadataOption(arguments, key, MTETagText::joinedValues(field.values));
    }
    return arguments;
}

} // namespace

MTETagWriteResult MTETagCopy::handleMetadataSave(const QVariantMap& dicToMetadata,
                                                 int sourceFileType, const QString& outputPath,
                                                 const MTEAudioFile* source) {
    const std::shared_ptr<MTEAudioFile> output =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(outputPath, false);
    if (!output) {
        qCWarning(lcTags, "no output file to write tags into: %s", qPrintable(outputPath));
        return MTETagWriteResult::Failed;
    }
    const MTETagCopyPlan plan = MTETagCopyPlan::of(source, outputPath);
    if (plan.writer != MTETagCopyPlan::Writer::TagLib)
        return MTETagWriteResult::Written; // by ffmpeg through ffmpegArguments(), or no tags
    output->untouchedNames = untouchedNames(dicToMetadata, sourceFileType, source);
    if (source) {
        output->fileSpellings = source->fileSpellings;
        output->carriedFields = carriedFields(*source, plan);
    }
    QVariantMap row = dicToMetadata;
    if (source)
        takeUntouchedValues(row, *source, sourceFileType, *output);
    QVariantMap tags = convertMetadataFromTypeToType(row, sourceFileType, output->eumFileType);
    if (sourceFileType != output->eumFileType)
        addFieldsTheSourceFamilyLacks(tags, row, sourceFileType, output->eumFileType);
    if (output->eumFileType == MTEFileTypeM4A)
        addMp4CopyItems(tags, row, sourceFileType, output->untouchedNames);
    output->dicReadInfo = withoutStaleEntries(tags, output->eumFileType);
    output->bRemovesEncoderEntries = true;
    return output->saveID3AttribPath(0, outputPath);
}

QStringList MTETagCopy::ffmpegArguments(const QVariantMap& dicToMetadata, int sourceFileType,
                                        const QString& outputPath, const MTEAudioFile* source) {
    const MTETagCopyPlan plan = MTETagCopyPlan::of(source, outputPath);
    if (plan.aiffId3Chunk) {
        // ffmpeg's AIFF muxer writes the title, author, copyright and comment into chunks of
        // their own, which readers prefer to the ID3 chunk the tags are written into.
        QStringList arguments{QStringLiteral("-write_id3v2"), QStringLiteral("1")};
        for (const QString& key : MTETagKeyMap::aiffMuxerKeys())
            arguments << QStringLiteral("-metadata") << key + u'=';
        return arguments;
    }
    if (plan.writer == MTETagCopyPlan::Writer::Options)
        return optionArguments(dicToMetadata, sourceFileType, source, plan);
    return overlongValueArguments(outputPath, source);
}

// ffmpeg's WMA muxer writes a header that no longer reads when a value is longer than it can
// size: such values stay out of its copy, and the tag copy writes them. A key that holds '='
// cannot be cleared by name, so then the copy is dropped and the rest of it passed again.
// ffmpeg copies a text that is no valid UTF-8 as it is (a WMA header then no longer reads);
// libavformat reads each bad byte as U+FFFD, and its copy is given the text so mended.
QStringList MTETagCopy::overlongValueArguments(const QString& outputPath,
                                               const MTEAudioFile* source) {
    const MTETagCopyPlan plan = MTETagCopyPlan::of(source, outputPath);
    QStringList arguments;
    if (plan.rebuildsFfmpegCopy)
        arguments << QStringLiteral("-map_metadata") << QStringLiteral("-1");
    for (const auto& [key, value] : std::as_const(plan.sourceTags)) {
        if (!plan.rebuildsFfmpegCopy && plan.keepsOutOfFfmpegCopy(value))
            addMetadataOption(arguments, key, QString());
        else if (plan.rebuildsFfmpegCopy && !plan.keepsOutOfFfmpegCopy(value) &&
                 !key.contains(u'=') && !MTETagText::isEncoderEntryName(key))
            addMetadataOption(arguments, key, value);
        else if (!plan.rebuildsFfmpegCopy && value.contains(QChar::ReplacementCharacter))
            addMetadataOption(arguments, key, value);
    }
    if (plan.rebuildsFfmpegCopy)
        qCInfo(lcTags,
               "a tag too long for ffmpeg's copy into %s is named with '=': its copy is passed "
               "again without it, and the tag copy writes it",
               qPrintable(outputPath));
    return arguments;
}

QVariantMap MTETagCopy::convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                      int toType) {
    if (fromType == toType)
        return tags;
    const QVariantMap source =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(fromType));
    const QVariantMap destination =
        MTETagKeyMap::familyMap(MTETagKeyMap::destinationFamilyOfFileType(toType));
    QVariantMap result;
    for (auto it = destination.cbegin(); it != destination.cend(); ++it) {
        const QString sourceKey = source.value(it.key()).toString();
        if (!sourceKey.isEmpty() && tags.contains(sourceKey))
            result.insert(it.value().toString(), tags.value(sourceKey));
    }
    return result;
}
