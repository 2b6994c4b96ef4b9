#include "platform/PlaylistFile.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <mutex>
#include <optional>

namespace {

constexpr char kHeader[] = "#EXTM3U";
constexpr qsizetype kMaxFileNameBytes = 200;

std::mutex& playlistMutex() {
    static std::mutex mutex;
    return mutex;
}

QString safeFileStem(const QString& name) {
    QString stem;
    stem.reserve(name.size());
    for (const QChar c : name)
        stem += (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) ? u'_' : c;
    stem = stem.trimmed();
    // Hidden files and the folder names "." and ".." are not playlists.
    while (stem.startsWith(u'.'))
        stem.replace(0, 1, u'_');
    while (stem.toUtf8().size() > kMaxFileNameBytes)
        stem.chop(1);
    return stem.isEmpty() ? QStringLiteral("Playlist") : stem;
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

// The lines of an existing playlist. Nothing when it cannot be read, or when it is no text
// we understand (not UTF-8, or holding NUL bytes): rewriting it would lose what it holds.
std::optional<QStringList> readExistingLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Cannot read the playlist" << path << ":" << file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qWarning().noquote() << "Cannot read the playlist" << path << ":" << file.errorString();
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0')) {
        qWarning().noquote() << "The playlist" << path
                             << "is not a UTF-8 text playlist; it is left as it is";
        return std::nullopt;
    }
    return splitLines(text);
}

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(QString::fromUtf8(file.readAll()));
}

QStringList entriesOf(const QStringList& lines) {
    QStringList result;
    for (const QString& line : lines) {
        if (!line.isEmpty() && !line.startsWith(u'#'))
            result += line;
    }
    return result;
}

bool writeLines(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning().noquote() << "Cannot write the playlist" << path << ":" << file.errorString();
        return false;
    }
    file.write((lines.join(u'\n') + u'\n').toUtf8());
    if (!file.commit()) {
        qWarning().noquote() << "Cannot write the playlist" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

// Serialises changes within this program (mutex) and with other programs (lock file).
class PlaylistLock {
public:
    explicit PlaylistLock(const QString& playlistPath)
        : _guard(playlistMutex()), _file(playlistPath + QStringLiteral(".lock")) {
        _locked = _file.tryLock(10000);
    }
    bool locked() const { return _locked; }

private:
    std::lock_guard<std::mutex> _guard;
    QLockFile _file;
    bool _locked = false;
};

bool prepareFolder(const QString& path) {
    if (QDir().mkpath(QFileInfo(path).absolutePath()))
        return true;
    qWarning().noquote() << "Cannot create the playlist folder for" << path;
    return false;
}

} // namespace

QString PlaylistFile::playlistsFolder() {
    return UserFolders::musicDirectory() + QStringLiteral("/Playlists");
}

QString PlaylistFile::fileNameForPlaylistName(const QString& name) {
    return safeFileStem(name) + QStringLiteral(".m3u8");
}

QString PlaylistFile::pathForPlaylistName(const QString& name) {
    return playlistsFolder() + u'/' + fileNameForPlaylistName(name);
}

bool PlaylistFile::exists(const QString& name) {
    return QFileInfo(pathForPlaylistName(name)).isFile();
}

bool PlaylistFile::create(const QString& name) {
    const QString path = pathForPlaylistName(name);
    if (!prepareFolder(path))
        return false;
    const PlaylistLock lock(path);
    if (!lock.locked()) {
        qWarning().noquote() << "The playlist" << path << "is locked by another program";
        return false;
    }
    if (QFileInfo(path).isFile())
        return true;
    return writeLines(path, {QString::fromLatin1(kHeader)});
}

bool PlaylistFile::addFile(const QString& name, const QString& filePath) {
    const QString entry = QFileInfo(filePath).absoluteFilePath();
    if (filePath.isEmpty() || entry.contains(u'\n') || entry.contains(u'\r')) {
        qWarning().noquote() << "Cannot list" << filePath << "in a playlist";
        return false;
    }
    const QString path = pathForPlaylistName(name);
    if (!prepareFolder(path))
        return false;
    const PlaylistLock lock(path);
    if (!lock.locked()) {
        qWarning().noquote() << "The playlist" << path << "is locked by another program";
        return false;
    }
    QStringList lines;
    if (QFileInfo::exists(path)) {
        std::optional<QStringList> existing = readExistingLines(path);
        if (!existing)
            return false;
        lines = std::move(*existing);
    }
    if (lines.isEmpty() || lines.first().trimmed() != QLatin1String(kHeader))
        lines.prepend(QString::fromLatin1(kHeader));
    if (entriesOf(lines).contains(entry))
        return true;
    lines += entry;
    return writeLines(path, lines);
}

QStringList PlaylistFile::entries(const QString& name) {
    return entriesOf(readLines(pathForPlaylistName(name)));
}
