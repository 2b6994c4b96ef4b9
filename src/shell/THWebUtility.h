#pragma once

#include <QByteArray>
#include <QString>

// Message digests and keyed hashes as lowercase hex text, and two quick fingerprints.
// Kinds: 0 MD5, 1 SHA-1, 2 SHA-256, 3 SHA-512; any other kind gives a null string.
// A null QByteArray or QString stands for "no value" and gives a null string.
class THWebUtility {
public:
    static QString hashData(const QByteArray& data, qint64 kind);
    static QString hashString(const QString& string, qint64 kind);
    // Read in chunks of at most 4096 bytes; null when the file cannot be read.
    static QString hashFile(const QString& path, qint64 kind);
    // The key is its UTF-8 bytes up to the first zero byte.
    static QString hMacDataWithSecretKeyWithHashKind(const QByteArray& data, const QString& key,
                                                     qint64 kind);
    static QString hMacStringWithSecretKeyWithHashKind(const QString& string, const QString& key,
                                                       qint64 kind);
    // MD5 of up to three 4096-byte samples spread over the file; null for an empty or
    // unreadable file.
    static QString lazyMD5File(const QString& path);
    // MD5 of a folder's listing (names to three levels, each file with the size of its
    // volume); null when the path is not a readable folder.
    static QString lazyHashPackage(const QString& path);
    // A folder is hashed as a package, anything else as a file.
    static QString lazyHashFile(const QString& path);
};
