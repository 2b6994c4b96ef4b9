#include "tags/MTEAPEAudioFile.h"

#include "tags/MTETagText.h"

#include <taglib/apefile.h>
#include <taglib/apetag.h>

bool MTEAPEAudioFile::dumpMediaAttribInfo() {
    TagLib::APE::File file(MTETagText::fileName(strFilePath).constData(), true,
                           TagLib::AudioProperties::Average);
    if (!file.isValid())
        return false;
    if (const TagLib::APE::Tag* tag = file.hasAPETag() ? file.APETag(false) : nullptr) {
        const auto& items = tag->itemListMap();
        for (auto it = items.begin(); it != items.end(); ++it)
            qCInfo(lcTags, "tKey:%s", it->first.toCString(true));
    } else {
        dumpID3V1Info(file.hasID3v1Tag() ? file.ID3v1Tag(false) : nullptr);
    }
    return true;
}

MTETagWriteResult MTEAPEAudioFile::saveID3AttribPath(int, const QString& path) {
    qCWarning(lcTags, "APE tags are not written: %s", qPrintable(path));
    return MTETagWriteResult::Failed;
}

std::shared_ptr<MTEAudioFile> MTEAPEAudioFile::copy() const {
    return std::make_shared<MTEAPEAudioFile>(*this);
}
