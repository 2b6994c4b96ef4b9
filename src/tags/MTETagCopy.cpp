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

} // namespace

bool MTETagCopy::handleMetadataSave(const QVariantMap& dicToMetadata, int sourceFileType,
                                    const QString& outputPath) {
    const std::shared_ptr<MTEAudioFile> output =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(outputPath, false);
    if (!output) {
        qCWarning(lcTags, "no output file to write tags into: %s", qPrintable(outputPath));
        return false;
    }
    if (output->eumFileType == MTEFileTypeOther)
        return true;
    output->dicReadInfo = withoutStaleEntries(
        convertMetadataFromTypeToType(dicToMetadata, sourceFileType, output->eumFileType),
        output->eumFileType);
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
