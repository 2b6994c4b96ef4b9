#include "tags/MTETagCopy.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <QFileInfo>

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

// MP4 items that other readers find a field in beside the "m4a" table ("cprt", the
// grouping the table lacks, the free-form publisher) take the row's value: a changed field's
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

// ffmpeg's copy gives a WAV file only the few fields of its INFO chunk and an MPEG-1/2
// Layer II file none, and it does not see the ID3 chunk of a WAV source: there the copy
// carries the source's other fields itself.
bool copyMissesOtherFields(MTEContainer output, const MTEAudioFile* source) {
    return output == MTEContainer::Wav || output == MTEContainer::Mp2 ||
           (source && source->container() == MTEContainer::Wav);
}

// The fields the row changes, each with the text it gets (empty: cleared).
QList<std::pair<QString, QString>> changedFields(const QVariantMap& row, int sourceFileType,
                                                 const QSet<QString>& untouched) {
    const QVariantMap family =
        MTETagKeyMap::familyMap(MTETagKeyMap::sourceFamilyOfFileType(sourceFileType));
    QList<std::pair<QString, QString>> changed;
    for (auto it = family.cbegin(); it != family.cend(); ++it) {
        const QVariant value = row.value(it.value().toString());
        if (it.key() == QLatin1String("AlbumImg") || untouched.contains(it.key()) ||
            !row.contains(it.value().toString()) || !MTETagText::isTextValue(value))
            continue;
        const bool zero = isZeroNumber(it.key(), value);
        changed.append({it.key(), zero ? QString() : MTETagText::textOf(value)});
    }
    return changed;
}

// TagLib writes no CAF files: ffmpeg takes the row's changes, each replacing every spelling of
// its field in the source's tags.
QStringList cafMetadataArguments(const QVariantMap& row, int sourceFileType,
                                 const MTEAudioFile* source) {
    MTEFfmpegMetadata sourceTags;
    if (source)
        sourceTags.read(source->strFilePath);
    const QSet<QString> untouched = untouchedNames(row, sourceFileType, source);
    QStringList arguments;
    for (const auto& [name, text] : changedFields(row, sourceFileType, untouched)) {
        for (const auto& [key, value] : std::as_const(sourceTags.entries)) {
            if ((source ? source->fieldOfEntryName(key) : MTETagKeyMap::fieldOfEntry(key)) == name)
                arguments << QStringLiteral("-metadata") << key + u'=';
        }
        const QString key = MTETagKeyMap::keyForName(QStringLiteral("ffmpeg"), name);
        if (!text.isEmpty())
            arguments << QStringLiteral("-metadata") << key + u'=' + text;
        else if (!arguments.contains(key + u'='))
            arguments << QStringLiteral("-metadata") << key + u'=';
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
    if (output->eumFileType == MTEFileTypeOther)
        return MTETagWriteResult::Written; // by ffmpeg through ffmpegArguments(), or no tags
    output->untouchedNames = untouchedNames(dicToMetadata, sourceFileType, source);
    if (source)
        output->extraSpellings = source->extraSpellings;
    if (source && copyMissesOtherFields(output->container(), source))
        output->carriedProperties = MTETagProperties::unmanagedOf(*source);
    QVariantMap row = dicToMetadata;
    if (source)
        takeUntouchedValues(row, *source, sourceFileType, *output);
    QVariantMap tags = convertMetadataFromTypeToType(row, sourceFileType, output->eumFileType);
    if (output->eumFileType == MTEFileTypeM4A)
        addMp4CopyItems(tags, row, sourceFileType, output->untouchedNames);
    output->dicReadInfo = withoutStaleEntries(tags, output->eumFileType);
    output->bRemovesEncoderEntries = true;
    return output->saveID3AttribPath(0, outputPath);
}

QStringList MTETagCopy::ffmpegArguments(const QVariantMap& dicToMetadata, int sourceFileType,
                                        const QString& outputPath, const MTEAudioFile* source) {
    if (MTEAudioCreator::containerOfPath(outputPath) == MTEContainer::Aiff) {
        // ffmpeg's AIFF muxer writes the title, copyright and comment into chunks of their
        // own, which readers prefer to the ID3 chunk the tags are written into.
        return {QStringLiteral("-write_id3v2"), QStringLiteral("1"),
                QStringLiteral("-metadata"),    QStringLiteral("title="),
                QStringLiteral("-metadata"),    QStringLiteral("copyright="),
                QStringLiteral("-metadata"),    QStringLiteral("comment=")};
    }
    if (QFileInfo(outputPath).suffix().compare(QLatin1String("caf"), Qt::CaseInsensitive) == 0)
        return cafMetadataArguments(dicToMetadata, sourceFileType, source);
    return overlongValueArguments(outputPath, source);
}

// ffmpeg's WMA muxer writes a header that no longer reads when a value is longer than it can
// size: such values stay out of its copy (the tag copy writes those of the managed fields).
// A key that holds '=' cannot be named in a metadata option, which splits at the first one.
QStringList MTETagCopy::overlongValueArguments(const QString& outputPath,
                                               const MTEAudioFile* source) {
    MTEFfmpegMetadata sourceTags;
    if (MTEAudioCreator::containerOfPath(outputPath) != MTEContainer::Asf || !source ||
        !sourceTags.read(source->strFilePath))
        return {};
    QStringList arguments;
    for (const auto& [key, value] : std::as_const(sourceTags.entries)) {
        if (value.size() <= MTEAsfTags::kMaxTextLength)
            continue;
        if (key.contains(u'='))
            qCWarning(lcTags,
                      "\"%s\" of %s is too long for a WMA file and cannot be left out of "
                      "ffmpeg's copy: its key holds '='",
                      qPrintable(key), qPrintable(source->strFilePath));
        else
            arguments << QStringLiteral("-metadata") << key + u'=';
    }
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
