#include "tags/MTEM4AAudioFile.h"

#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagText.h"

#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <algorithm>

namespace {

// MP4 item names are four Latin-1 characters ("\xA9nam") or a free-form "----:mean:name".
bool itemNameOf(const QString& key, TagLib::String* name) {
    const bool latin1 =
        std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 256; });
    if (!latin1 || (key.size() != 4 && !key.startsWith(QLatin1String("----:"))))
        return false;
    *name = TagLib::String(key.toLatin1().toStdString(), TagLib::String::Latin1);
    return true;
}

template <class Unwanted> void removeItemsWhere(TagLib::MP4::Tag* tag, Unwanted unwanted) {
    for (const TagLib::String& name : MTETagText::namesWhere(tag->itemMap(), unwanted))
        tag->removeItem(name);
}

} // namespace

bool MTEM4AAudioFile::dumpMediaAttribInfo() {
    TagLib::MP4::File file(MTETagText::fileName(strFilePath).constData(), true,
                           TagLib::AudioProperties::Average);
    if (!file.isValid() || !file.hasMP4Tag() || !file.tag()) {
        qCWarning(lcTags, "error dump m4a or mp4 file tags...");
        return false;
    }
    if (const auto* properties = file.audioProperties())
        dAudioLength = properties->lengthInSeconds();
    strTagVersion = QStringLiteral("");
    readItems(file.tag());
    readCover(file.tag());
    return true;
}

void MTEM4AAudioFile::readItems(const TagLib::MP4::Tag* tag) {
    const QString trackKey = keyOf(QStringLiteral("Track"));
    const auto& items = tag->itemMap();
    for (auto it = items.begin(); it != items.end(); ++it) {
        const QString key = MTETagText::toQString(it->first);
        if (key == trackKey) {
            const TagLib::MP4::Item::IntPair pair = it->second.toIntPair();
            iTotalTrack = pair.second;
            const QString track = pair.second > 0
                                      ? QStringLiteral("%1/%2").arg(pair.first).arg(pair.second)
                                      : QString::number(pair.first);
            dicReadInfo.insert(key, track);
            continue;
        }
        if (key == MTETagKeyMap::mp4ItemOfProperty(MTETagKeyMap::discField())) {
            const TagLib::MP4::Item::IntPair disc = it->second.toIntPair();
            strDiscNumber = MTETagText::numberWithTotal(QString::number(disc.first),
                                                        QString::number(disc.second));
            continue;
        }
        QStringList texts = MTETagText::toQStringList(it->second.toStringList());
        texts.removeAll(QString());
        if (texts.isEmpty()) {
            qCDebug(lcTags, "string empty");
            continue;
        }
        storeValues(key, texts); // a list of several strings is several values
        adoptOtherSpelling(key, dicReadInfo.value(key).toString());
        qCDebug(lcTags, "key : %s,value : %s", qPrintable(key),
                qPrintable(dicReadInfo.value(key).toString()));
    }
}

void MTEM4AAudioFile::readCover(const TagLib::MP4::Tag* tag) {
    TagLib::MP4::Item item;
    if (!findMP4Item(tag, keyOf(QStringLiteral("AlbumImg")), &item))
        return;
    const TagLib::MP4::CoverArtList covers = item.toCoverArtList();
    if (covers.isEmpty())
        return;
    const TagLib::MP4::CoverArt& cover = covers.front();
    const QByteArray bytes = MTETagText::coverBytes(cover.data());
    if (bytes.isNull())
        qCWarning(lcTags, "failed to get image");
    if (cover.format() == TagLib::MP4::CoverArt::PNG)
        strMineType = QStringLiteral("image/png");
    else if (cover.format() == TagLib::MP4::CoverArt::JPEG)
        strMineType = QStringLiteral("image/jpeg");
    const QString key = keyOf(QStringLiteral("AlbumImg"));
    if (!bytes.isNull() && !key.isEmpty())
        dicReadInfo.insert(key, bytes);
}

MTETagWriteResult MTEM4AAudioFile::saveID3AttribPath(int mode, const QString& path) {
    qCInfo(lcTags, "M4A Save attrib information");
    const QString target = targetPathForMode(mode, path);
    if (target.isEmpty())
        return MTETagWriteResult::Failed;
    TagLib::MP4::File file(MTETagText::fileName(target).constData(), true,
                           TagLib::AudioProperties::Average);
    if (!file.isValid() || !file.hasMP4Tag() || !file.tag()) {
        qCWarning(lcTags, "noop mp4 tag...");
        return MTETagWriteResult::Failed;
    }
    TagLib::MP4::Tag* tag = file.tag();
    const QString trackKey = keyOf(QStringLiteral("Track"));
    const QString coverKey = keyOf(QStringLiteral("AlbumImg"));
    const auto isStale = [this](const QString& name) { return isStaleSpelling(name); };
    removeItemsWhere(tag, isStale);
    bool coverWritten = true;
    for (auto it = dicReadInfo.cbegin(); it != dicReadInfo.cend(); ++it) {
        TagLib::String name;
        if (isStale(it.key()) || isKeptCopyItem(tag, it.key()) ||
            isSecondSpellingItem(it.key(), it.value()))
            continue; // the row's own copy of a name written under another item
        if (!itemNameOf(it.key(), &name)) {
            qCWarning(lcTags, "skipped tag key that is no MP4 item: %s", qPrintable(it.key()));
            continue;
        }
        if (it.key() == trackKey)
            writeTrack(tag, name, it.value());
        else if (it.key() == coverKey)
            coverWritten = writeCover(tag, name, it.value(), target);
        else if (MTETagText::hasText(it.value()))
            tag->setItem(name, MTETagText::toTagStringList(MTETagText::valuesOf(it.value())));
        else if (MTETagText::isTextValue(it.value()))
            tag->removeItem(name);
        else
            qCWarning(lcTags, "skipped %s: its value is no text", qPrintable(it.key()));
    }
    if (bRemovesEncoderEntries)
        removeItemsWhere(tag, MTETagText::isEncoderEntryName);
    MTETagProperties::write(tag, *this);
    if (strDiscNumber.contains(u'/')) // the disc with its total, as it was read
        tag->setItem(
            MTETagText::toTagString(MTETagKeyMap::mp4ItemOfProperty(MTETagKeyMap::discField())),
            TagLib::MP4::Item(strDiscNumber.section(u'/', 0, 0).toInt(),
                              strDiscNumber.section(u'/', 1, 1).toInt()));
    const bool saved = file.save();
    if (!saved)
        qCWarning(lcTags, "failed to save the MP4 tag of %s", qPrintable(target));
    return tagWriteResultOf(saved, coverWritten);
}

// "n" or "n/total"; a missing total falls back to the one read from the file. A track that
// is not a positive number removes the item rather than writing (0, n).
void MTEM4AAudioFile::writeTrack(TagLib::MP4::Tag* tag, const TagLib::String& name,
                                 const QVariant& value) const {
    const QString text = MTETagText::textOf(value);
    const int number = text.section(u'/', 0, 0).trimmed().toInt();
    const int givenTotal = text.section(u'/', 1, 1).trimmed().toInt();
    const int total = givenTotal > 0 ? givenTotal : iTotalTrack;
    if (number <= 0) {
        tag->removeItem(name);
        return;
    }
    tag->setItem(name, TagLib::MP4::Item(number, std::max(total, 0)));
}

bool MTEM4AAudioFile::writeCover(TagLib::MP4::Tag* tag, const TagLib::String& name,
                                 const QVariant& value, const QString& path) const {
    if (MTETagText::isNoPictureMarker(value)) {
        tag->removeItem(name);
        return true;
    }
    const MTETagText::CoverPicture cover = MTETagText::coverPictureOfValue(value, path);
    if (cover.isLeftOut()) {
        MTETagText::logLeftOutCover(cover, path, tag->contains(name));
        return false;
    }
    const auto format = cover.format == MTETagText::CoverPicture::Format::Png
                            ? TagLib::MP4::CoverArt::PNG
                            : TagLib::MP4::CoverArt::JPEG;
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(format, cover.bytes));
    tag->setItem(name, covers);
    return true;
}

bool MTEM4AAudioFile::isSecondSpellingItem(const QString& key, const QVariant& value) const {
    const QString name = fieldOfEntryName(key);
    if (name.isEmpty() || writtenKeysOf(name).contains(key))
        return false;
    return key == MTETagKeyMap::id3FrameOf(name) ||
           (key.startsWith(QLatin1String("----:")) &&
            MTETagText::holdsOnly(MTETagText::valuesOf(dicReadInfo.value(keyOf(name))),
                                  MTETagText::valuesOf(value)));
}

bool MTEM4AAudioFile::isKeptCopyItem(const TagLib::MP4::Tag* tag, const QString& key) const {
    const QString name = MTETagKeyMap::fieldOfEntry(key);
    TagLib::String item;
    return untouchedNames.contains(name) && key == MTETagKeyMap::mp4CopyKey(name) &&
           itemNameOf(key, &item) && tag->contains(item);
}

bool MTEM4AAudioFile::findMP4Item(const TagLib::MP4::Tag* tag, const QString& name,
                                  TagLib::MP4::Item* item) {
    TagLib::String itemName;
    if (!tag || !itemNameOf(name, &itemName) || !tag->contains(itemName))
        return false;
    if (item)
        *item = tag->item(itemName);
    return true;
}

QString MTEM4AAudioFile::mp4ItemString(const TagLib::MP4::Tag* tag, const QString& name) {
    TagLib::MP4::Item item;
    if (!findMP4Item(tag, name, &item) || item.toStringList().isEmpty())
        return QStringLiteral("");
    return MTETagText::toQString(item.toStringList().front());
}

std::shared_ptr<MTEAudioFile> MTEM4AAudioFile::copy() const {
    return std::make_shared<MTEM4AAudioFile>(*this);
}
