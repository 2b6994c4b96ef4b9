#include "VTGlobalFunctions.h"

#include "platform/NumberText.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Whole seconds as an int, with NaN, infinities, negatives and huge values clamped first.
int clampedWholeSeconds(double seconds) {
    if (std::isnan(seconds) || seconds <= 0.0)
        return 0;
    if (seconds >= double(INT_MAX))
        return INT_MAX;
    return int(seconds);
}

QString plural(bool many, const char* one, const char* more) {
    return QString::fromLatin1(many ? more : one);
}

// Creates the file only when nothing is there: 1 when this caller now owns the path,
// 0 when something is already there, -1 for any other failure.
int reservePath(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::close(fd);
        return 1;
    }
    return errno == EEXIST ? 0 : -1;
}

bool existsAt(const QString& path) {
    // A dangling symbolic link is something too.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

QString extensionOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0)
        return {};
    return fileName.mid(dot + 1);
}

// The longest file name, in bytes, the file system holding the folder takes.
qsizetype nameLimitOf(const QString& folder) {
    constexpr qsizetype kCommonLimit = 255;
    const QByteArray native = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const long limit = ::pathconf(native.constData(), _PC_NAME_MAX);
    return limit > 0 ? qsizetype(limit) : kCommonLimit;
}

qsizetype encodedLength(QStringView text) {
    return QFile::encodeName(text.toString()).size();
}

// base + "." + ext, with the base shortened to fit the name limit. A counter such as "(2)"
// at the end of the base and the extension are kept; the base is cut between characters
// as the user sees them, so no UTF-8 sequence (or accent) is split.
QString fittedFileName(const QString& base, const QString& ext, qsizetype limit) {
    const QString tail = u'.' + ext;
    if (encodedLength(base) + encodedLength(tail) <= limit)
        return base + tail;
    static const QRegularExpression trailingCounter(QStringLiteral("\\(\\d+\\)$"));
    const QRegularExpressionMatch counter = trailingCounter.match(base);
    const QString kept = counter.hasMatch() ? counter.captured() : QString();
    const QString head = base.left(base.size() - kept.size());
    const qsizetype room = limit - encodedLength(kept) - encodedLength(tail);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, head);
    qsizetype cut = 0;
    qsizetype bytes = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        bytes += encodedLength(QStringView(head).mid(cut, next - cut));
        if (bytes > room)
            break;
        cut = next;
    }
    return head.left(cut) + kept + tail;
}

} // namespace

QString VTGlobalFunctions::getTimeStringBySecond(double seconds) {
    const int s = clampedWholeSeconds(seconds);
    const int hours = s / 3600;
    const int minutes = (s - hours * 3600) / 60;
    return QString::asprintf("%02d:%02d:%02d", hours, minutes, s % 60);
}

void VTGlobalFunctions::getTimeStringBySecondHourMiniteSecondsMmSeconds(double seconds, int* hour,
                                                                        int* minite, int* second,
                                                                        int* mmSeconds) {
    const int s = clampedWholeSeconds(seconds);
    const int h = s / 3600;
    const int m = (s - h * 3600) / 60;
    const int sec = s % 60;
    if (hour)
        *hour = h;
    if (minite)
        *minite = m;
    if (second)
        *second = sec;
    if (mmSeconds) {
        const double clamped = s == 0 ? std::max(0.0, std::isnan(seconds) ? 0.0 : seconds)
                                      : std::min(seconds, double(INT_MAX));
        const double hundredths =
            clamped * 100.0 - double(h) * 360000.0 - double(m) * 6000.0 - double(sec) * 100.0;
        *mmSeconds = int(std::clamp(hundredths, 0.0, 99.0));
    }
}

QString VTGlobalFunctions::getEstimateStrBySecond(double x) {
    if (!std::isnan(x) && x < 60.0) {
        return QString::asprintf("%0.0f ", std::max(x, 0.0)) +
               plural(x > 1.0, "second", "seconds") + QStringLiteral(" remaining");
    }
    if (!std::isnan(x) && x < 3600.0) {
        const int s = clampedWholeSeconds(x);
        const int m = s / 60;
        const int r = int(x - m * 60) % 60;
        return QStringLiteral("%1 %2 %3 %4 remaining")
            .arg(m)
            .arg(plural(s >= 120, "minite", "minites"))
            .arg(r)
            .arg(plural(r >= 2, "second", "seconds"));
    }
    const int s = clampedWholeSeconds(x);
    const int h = s / 3600;
    const int r = s - h * 3600;
    return QStringLiteral("%1 %2 %3 %4 remaining")
        .arg(h)
        .arg(plural(s >= 7200, "hour", "hours"))
        .arg(r / 60)
        .arg(plural(r >= 120, "minite", "minites"));
}

double VTGlobalFunctions::getSecondsByTimeString(const QString& text) {
    static constexpr double kWeights[] = {3600.0, 60.0, 1.0};
    const QStringList parts = text.split(u':');
    double total = 0.0;
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i)
        total += NumberText::doubleValue(parts[i]) * kWeights[i];
    return total;
}

bool VTGlobalFunctions::MakeSureFolderExsist(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists())
        return false;
    return QDir().mkpath(folder);
}

QString VTGlobalFunctions::encodedURLParameterString(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

QString VTGlobalFunctions::makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                                     const QString& extension) {
    const QString folder = path.contains(u'/') ? path.left(path.lastIndexOf(u'/') + 1) : QString();
    QString fileName = path.mid(folder.size());
    if (extensionOf(fileName) != extension)
        fileName += u'.' + extension;

    const QString ext = extensionOf(fileName);
    QString base = fileName.left(fileName.size() - ext.size() - 1);
    const qsizetype nameLimit = nameLimitOf(folder);
    QString candidate = folder + fittedFileName(base, ext, nameLimit);
    int n = 1;
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const int reserved = reservePath(candidate);
        if (reserved == 1)
            return candidate;
        if (reserved < 0 && !existsAt(candidate))
            return candidate; // the folder is missing or unwritable: the writer will say so
        const QString counter = QStringLiteral("(%1)").arg(n);
        if (!base.contains(counter)) {
            base += counter;
        } else {
            ++n;
            base.replace(counter, QStringLiteral("(%1)").arg(n));
        }
        const QString previous = candidate;
        candidate = folder + fittedFileName(base, ext, nameLimit);
        // A counter that changed only in the part cut off must show at the end instead.
        if (candidate == previous) {
            base += QStringLiteral("(%1)").arg(n);
            candidate = folder + fittedFileName(base, ext, nameLimit);
        }
    }
    return candidate;
}

QByteArray VTGlobalFunctions::imageDataRepresentationOfType(const QImage& image,
                                                            const QString& type) {
    static const QHash<QString, QByteArray> kFormats = {
        {QStringLiteral("tif"), "tiff"}, {QStringLiteral("tiff"), "tiff"},
        {QStringLiteral("bmp"), "bmp"},  {QStringLiteral("gif"), "gif"},
        {QStringLiteral("jpg"), "jpeg"}, {QStringLiteral("jpeg"), "jpeg"},
        {QStringLiteral("png"), "png"},
    };
    const auto format = kFormats.constFind(type);
    if (format == kFormats.cend() || image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, *format);
    const QImage source = *format == "jpeg" ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!writer.write(source))
        return {};
    return bytes;
}
