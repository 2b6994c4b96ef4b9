#include "tags/MTETagCopy.h"

#include "tags/MTEAudioCreator.h"
#include "tags/MTETagKeyMap.h"
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

// MP4 items that ffmpeg's copy carries a field in beside the "m4a" table ("cprt", and the
// grouping the table lacks) take the row's value, so none keeps the old one.
void addMp4CopyItems(QVariantMap& tags, const QVariantMap& row, int sourceFileType,
                     const QSet<QString>& untouched) {
    const QString sourceFamily = MTETagKeyMap::sourceFamilyOfFileType(sourceFileType);
    for (const QString& name : MTETagKeyMap::familyMap(QStringLiteral("mpeg")).keys()) {
        const QString copyKey = MTETagKeyMap::mp4CopyKey(name);
        const QString sourceKey = MTETagKeyMap::keyForName(sourceFamily, name);
        if (!copyKey.isEmpty() && !untouched.contains(name) && row.contains(sourceKey))
            tags.insert(copyKey, row.value(sourceKey));
    }
}

} // namespace

bool MTETagCopy::handleMetadataSave(const QVariantMap& dicToMetadata, int sourceFileType,
                                    const QString& outputPath, const MTEAudioFile* source) {
    const std::shared_ptr<MTEAudioFile> output =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(outputPath, false);
    if (!output) {
        qCWarning(lcTags, "no output file to write tags into: %s", qPrintable(outputPath));
        return false;
    }
    if (output->eumFileType == MTEFileTypeOther)
        return true;
    output->untouchedNames = untouchedNames(dicToMetadata, sourceFileType, source);
    if (source && !source->strCommentDescription.isEmpty())
        output->extraSpellings.insert(source->strCommentDescription.toLower(),
                                      QStringLiteral("Comment"));
    QVariantMap tags =
        convertMetadataFromTypeToType(dicToMetadata, sourceFileType, output->eumFileType);
    if (output->eumFileType == MTEFileTypeM4A)
        addMp4CopyItems(tags, dicToMetadata, sourceFileType, output->untouchedNames);
    output->dicReadInfo = withoutStaleEntries(tags, output->eumFileType);
    output->bRemovesEncoderEntries = true;
    return output->saveID3AttribPath(0, outputPath);
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
