#include "tags/MTETagCopy.h"

#include "tags/MTEAudioCreator.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

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
    output->dicReadInfo =
        convertMetadataFromTypeToType(dicToMetadata, sourceFileType, output->eumFileType);
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
