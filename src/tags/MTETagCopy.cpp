#include "tags/MTETagCopy.h"

bool MTETagCopy::handleMetadataSave(const QVariantMap&, int, const QString&) {
    return true; // the writers arrive with the tag layer
}

QVariantMap MTETagCopy::convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                      int toType) {
    return fromType == toType ? tags : QVariantMap();
}
