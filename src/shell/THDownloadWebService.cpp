#include "shell/THDownloadWebService.h"

#include "shell/THWebServiceDelegate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

const QString kFileExistText = QStringLiteral("File Exist!");
const QString kCreateFileText = QStringLiteral("Create File Fail!");
const QString kRangeMismatchText = QStringLiteral("Range Response Mismatch!");
const QString kWriteFileText = QStringLiteral("Write File Fail!");
const QString kMoveFileText = QStringLiteral("Move File Fail!");

bool isUsableName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

constexpr qint64 kMaxValidatorLength = 1024;

bool isUsableValidator(const QByteArray& validator) {
    return !validator.isEmpty() && validator.size() <= kMaxValidatorLength &&
           std::none_of(validator.cbegin(), validator.cend(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// What tells this version of the resource from a later one in "If-Range": a strong ETag
// (a weak one may not be sent there), else the modification date.
QByteArray validatorOf(const THWebResponse& response) {
    const QByteArray etag = response.header("ETag").trimmed();
    if (!etag.isEmpty() && !etag.startsWith("W/"))
        return etag;
    return response.header("Last-Modified").trimmed();
}

QByteArray readValidator(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray validator = file.read(kMaxValidatorLength + 1).trimmed();
    return isUsableValidator(validator) ? validator : QByteArray();
}

// A validator that could not be written only means a later resume cannot be checked.
void writeValidator(const QString& path, const QByteArray& validator) {
    QFile::remove(path);
    QFile file(path);
    if (isUsableValidator(validator) && file.open(QIODevice::WriteOnly))
        file.write(validator);
}

// rename(2) replaces an existing destination in one step.
bool replaceFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return !error;
}

} // namespace

THDownloadWebService::THDownloadWebService(QObject* parent) : THWebService(parent) {
    setTimeoutIntervalMs(kDownloadTimeoutMs);
}

THDownloadWebService::~THDownloadWebService() {
    THDownloadWebService::stop();
}

QString THDownloadWebService::safeFileNameFromUrl(const QUrl& url) {
    const QString segment = url.fileName(QUrl::FullyDecoded);
    const QString name = segment.section(QLatin1Char('/'), -1);
    return isUsableName(name) ? name : QString();
}

std::optional<THWebRequest> THDownloadWebService::setUpRequest(THWebError* error) {
    auto fail = [error](int code, const QString& text) -> std::optional<THWebRequest> {
        if (error)
            *error = THWebError{text, code};
        return std::nullopt;
    };
    if (url().isEmpty())
        return fail(THWebErrors::kURLNil, kURLNilText());
    if (!url().isValid())
        return fail(THWebErrors::kRequestCreate, kRequestCreateText());
    if (_fileName.isEmpty())
        _fileName = safeFileNameFromUrl(url());
    if (!isUsableName(_fileName))
        return fail(THWebErrors::kCreateFile, kCreateFileText);
    if (_filePath.isEmpty())
        _filePath = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    _destinationPath = QDir(_filePath).filePath(_fileName);
    _temporaryPath = _destinationPath + QLatin1String(kTemporarySuffix);
    _validatorPath = _temporaryPath + QLatin1String(kValidatorSuffix);
    if (QFileInfo::exists(_destinationPath) && !_overwrite)
        return fail(THWebErrors::kFileExist, kFileExistText);

    closeFile();
    auto file = std::make_unique<QFile>(_temporaryPath);
    // Unbuffered: what arrived is on disk for a later resume, whatever happens next.
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered) || !file->seek(file->size()))
        return fail(THWebErrors::kCreateFile, kCreateFileText);
    _offset = static_cast<quint64>(file->size());
    _fileHandle = std::move(file);

    THWebRequest request = newRequest();
    request.request.setRawHeader("Range",
                                 QByteArrayLiteral("bytes=") + QByteArray::number(_offset) + '-');
    // A changed resource then comes whole (200) instead of being spliced onto old bytes.
    const QByteArray validator = _offset > 0 ? readValidator(_validatorPath) : QByteArray();
    if (!validator.isEmpty())
        request.request.setRawHeader("If-Range", validator);
    else if (_offset == 0)
        QFile::remove(_validatorPath);
    if (error)
        *error = THWebError{};
    return request;
}

bool THDownloadWebService::startAsynchronous() {
    const bool started = THWebService::startAsynchronous();
    if (started) {
        _timer = new QTimer(this);
        _timer->setInterval(kProgressIntervalMs);
        connect(_timer, &QTimer::timeout, this, &THDownloadWebService::lisenProgressAndSpeed);
        _timer->start();
        QTimer::singleShot(0, _timer, [this] { lisenProgressAndSpeed(); });
        _startDate.start();
    }
    return started;
}

void THDownloadWebService::startWithHandler(DownloadBlock block) {
    _downloadBlock = std::move(block);
    startAsynchronous();
}

void THDownloadWebService::stop() {
    THWebService::stop();
    closeFile();
    if (_timer) {
        _timer->stop();
        _timer->deleteLater();
        _timer = nullptr;
    }
    _startDate.invalidate();
    _totalDownSize = 0;
    _onceDownSize = 0;
    _peakSpeed = 0.0;
    _averageSpeed = 0.0;
    _fileSize = 0;
}

void THDownloadWebService::closeFile() {
    if (_fileHandle) {
        _fileHandle->close();
        _fileHandle.reset();
    }
}

void THDownloadWebService::lisenProgressAndSpeed() {
    if (!_fileHandle)
        return;
    _offset = static_cast<quint64>(_fileHandle->pos());
    const double elapsed = _startDate.isValid() ? _startDate.nsecsElapsed() / 1e9 : 0.0;
    _averageSpeed = elapsed > 0.0 ? static_cast<double>(_totalDownSize) / elapsed : 0.0;
    _peakSpeed = static_cast<double>(_onceDownSize) / (kProgressIntervalMs / 1000.0);
    _onceDownSize = 0;
    if (_fileSize == 0)
        return;
    const double progress = std::min(1.0, static_cast<double>(_offset) / _fileSize);
    QPointer<THDownloadWebService> self(this);
    if (delegate())
        delegate()->downloadProgressChangeProgress(this, progress);
    if (self && _downloadBlock)
        _downloadBlock(std::nullopt, std::nullopt, false, progress);
}

// The temporary file already holds the whole resource when a range from its end cannot
// be served because the resource has exactly its length.
bool THDownloadWebService::isAlreadyComplete(const THWebResponse& response) const {
    return _fileHandle && response.statusCode == 416 &&
           response.contentRange().total == static_cast<qint64>(_offset);
}

bool THDownloadWebService::acceptsStatus(const THWebResponse& response) const {
    return THWebService::acceptsStatus(response) || isAlreadyComplete(response);
}

// A resumed download needs the body from the offset on: a whole body (200) starts the
// file again, a range starting elsewhere cannot be used. The response that starts the file
// leaves its validator for later resumes.
THDownloadWebService::Acceptance
THDownloadWebService::acceptResponse(const THWebResponse& response) {
    if (isAlreadyComplete(response))
        return Acceptance::Complete;
    if (response.statusCode == 206 &&
        response.contentRange().first != static_cast<qint64>(_offset)) {
        failWith(THWebErrors::kRangeMismatch, kRangeMismatchText);
        return Acceptance::Refused;
    }
    if (response.statusCode != 206 && _offset > 0) {
        if (!_fileHandle->resize(0) || !_fileHandle->seek(0)) {
            failWith(THWebErrors::kWriteFile, kWriteFileText);
            return Acceptance::Refused;
        }
        _offset = 0;
    }
    if (_offset == 0)
        writeValidator(_validatorPath, validatorOf(response));
    return Acceptance::Body;
}

void THDownloadWebService::didReceiveResponse(const THWebResponse& response) {
    if (!_fileHandle)
        return;
    const Acceptance acceptance = acceptResponse(response);
    if (acceptance == Acceptance::Refused)
        return;
    if (acceptance == Acceptance::Body && response.expectedContentLength != -1)
        _fileSize = static_cast<quint64>(response.expectedContentLength) + _offset;
    QPointer<THDownloadWebService> self(this);
    if (_downloadBlock)
        _downloadBlock(response, std::nullopt, false, 0.0);
    if (self && isRunning())
        THWebService::didReceiveResponse(response);
    if (self && isRunning() && acceptance == Acceptance::Complete)
        didFinishLoading();
}

void THDownloadWebService::didReceiveData(const QByteArray& data) {
    if (!_fileHandle)
        return;
    _totalDownSize += static_cast<quint64>(data.size());
    _onceDownSize += static_cast<quint64>(data.size());
    if (_fileHandle->write(data) != data.size())
        failWith(THWebErrors::kWriteFile, kWriteFileText);
}

void THDownloadWebService::didFailWithError(const THWebError& error) {
    QPointer<THDownloadWebService> self(this);
    if (_downloadBlock)
        _downloadBlock(std::nullopt, error, false, 0.0);
    if (self)
        THWebService::didFailWithError(error);
}

void THDownloadWebService::didFinishLoading() {
    if (!_fileHandle)
        return;
    const bool flushed = _fileHandle->flush();
    closeFile();
    if (!flushed) {
        failWith(THWebErrors::kWriteFile, kWriteFileText);
        return;
    }
    if (!replaceFile(_temporaryPath, _destinationPath)) {
        failWith(THWebErrors::kMoveFile, kMoveFileText);
        return;
    }
    QFile::remove(_validatorPath);
    QPointer<THDownloadWebService> self(this);
    if (_downloadBlock)
        _downloadBlock(std::nullopt, std::nullopt, true, 0.0);
    if (self)
        THWebService::didFinishLoading();
}

void THDownloadWebService::failWith(int code, const QString& text) {
    didFailWithError(THWebError{text, code});
}
