#include "shell/THWebUtility.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QStringEncoder>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr qint64 kChunkSize = 4096;
constexpr int kMaxSampleCount = 3;
constexpr int kMaxFolderDepth = 3;

std::optional<QCryptographicHash::Algorithm> algorithmOf(qint64 kind) {
    switch (kind) {
    case 0:
        return QCryptographicHash::Md5;
    case 1:
        return QCryptographicHash::Sha1;
    case 2:
        return QCryptographicHash::Sha256;
    case 3:
        return QCryptographicHash::Sha512;
    default:
        return std::nullopt;
    }
}

QString hexText(const QByteArray& digest) {
    return QString::fromLatin1(digest.toHex());
}

// Null when the text holds something UTF-8 cannot carry (a lone surrogate).
QByteArray utf8Bytes(const QString& string) {
    if (string.isNull())
        return {};
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(string);
    if (encoder.hasError())
        return {};
    return bytes.isNull() ? QByteArray("", 0) : bytes;
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString fromFsPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// The names directly inside folder, as the file system lists them.
std::vector<std::filesystem::path> namesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename());
    return names;
}

QString listingEntry(const std::filesystem::path& root, const std::filesystem::path& relative,
                     std::deque<std::filesystem::path>& work) {
    const QString text = fromFsPath(relative);
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1String("__MACOSX")))
        return {};
    std::error_code error;
    const std::filesystem::path full = root / relative;
    const auto status = std::filesystem::symlink_status(full, error);
    if (error)
        return {};
    if (std::filesystem::is_symlink(status))
        return text;
    if (std::filesystem::is_directory(status)) {
        const auto depth = std::distance(relative.begin(), relative.end());
        if (depth > kMaxFolderDepth)
            return {};
        for (const auto& name : namesIn(full))
            work.push_back(relative / name);
        return text;
    }
    if (std::filesystem::is_regular_file(status)) {
        const auto volume = std::filesystem::space(full, error);
        const qint64 volumeSize = error ? 0 : static_cast<qint64>(volume.capacity);
        return QStringLiteral("%1-%2").arg(text).arg(volumeSize);
    }
    return {};
}

} // namespace

QString THWebUtility::hashData(const QByteArray& data, qint64 kind) {
    const auto algorithm = algorithmOf(kind);
    if (data.isNull() || !algorithm)
        return {};
    return hexText(QCryptographicHash::hash(data, *algorithm));
}

QString THWebUtility::hashString(const QString& string, qint64 kind) {
    return hashData(utf8Bytes(string), kind);
}

QString THWebUtility::hashFile(const QString& path, qint64 kind) {
    const auto algorithm = algorithmOf(kind);
    QFile file(path);
    if (!algorithm || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(*algorithm);
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 count = file.read(chunk.data(), kChunkSize);
        if (count < 0)
            return {};
        if (count == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), count));
    }
    return hexText(hash.result());
}

QString THWebUtility::hMacDataWithSecretKeyWithHashKind(const QByteArray& data, const QString& key,
                                                        qint64 kind) {
    const auto algorithm = algorithmOf(kind);
    const QByteArray keyBytes = utf8Bytes(key);
    if (data.isNull() || keyBytes.isNull() || !algorithm)
        return {};
    const QByteArray usedKey =
        keyBytes.left(keyBytes.indexOf('\0') < 0 ? keyBytes.size() : keyBytes.indexOf('\0'));
    return hexText(QMessageAuthenticationCode::hash(data, usedKey, *algorithm));
}

QString THWebUtility::hMacStringWithSecretKeyWithHashKind(const QString& string, const QString& key,
                                                          qint64 kind) {
    return hMacDataWithSecretKeyWithHashKind(utf8Bytes(string), key, kind);
}

QString THWebUtility::lazyMD5File(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return {};
    const qint64 size = file.size();
    const qint64 count = std::min<qint64>(size / kChunkSize + 1, kMaxSampleCount);
    const qint64 step = size / count;
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (qint64 k = 0; k < count; ++k) {
        if (!file.seek(k * step))
            return {};
        const QByteArray sample = file.read(kChunkSize);
        if (sample.isEmpty())
            break;
        hash.addData(sample);
    }
    if (file.error() != QFileDevice::NoError)
        return {};
    return hexText(hash.result());
}

QString THWebUtility::lazyHashPackage(const QString& path) {
    const std::filesystem::path root = fsPath(path);
    std::error_code error;
    if (path.isEmpty() || !std::filesystem::is_directory(root, error))
        return {};
    std::deque<std::filesystem::path> work;
    for (const auto& name : namesIn(root))
        work.push_back(name);
    QStringList listing;
    while (!work.empty()) {
        const std::filesystem::path relative = work.front();
        work.pop_front();
        const QString entry = listingEntry(root, relative, work);
        if (!entry.isEmpty())
            listing.append(entry);
    }
    std::sort(listing.begin(), listing.end());
    const QByteArray text = utf8Bytes(listing.join(QLatin1Char(',')));
    return hashData(text.isNull() ? QByteArray("", 0) : text, 0);
}

QString THWebUtility::lazyHashFile(const QString& path) {
    std::error_code error;
    if (!path.isEmpty() && std::filesystem::is_directory(fsPath(path), error))
        return lazyHashPackage(path);
    return lazyMD5File(path);
}
