#include "shell/THWebUtility.h"

#include "TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

enum Kind : qint64 { kMD5 = 0, kSHA1 = 1, kSHA256 = 2, kSHA512 = 3 };

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray patternBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

QString md5Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

struct DigestVector {
    const char* name;
    qint64 kind;
    QByteArray message;
    QByteArray key; // HMAC when not null
    const char* hex;
};

void PrintTo(const DigestVector& testCase, std::ostream* out) {
    *out << testCase.name;
}

std::string digestVectorName(const ::testing::TestParamInfo<DigestVector>& info) {
    return info.param.name;
}

const QByteArray kMillionA(1000000, 'a');
const QByteArray kTwoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

} // namespace

// Published vectors: RFC 1321 (MD5), FIPS 180 examples (SHA-1, SHA-256, SHA-512) and
// RFC 4231 (HMAC-SHA-256 and HMAC-SHA-512).
class DigestVectors : public ::testing::TestWithParam<DigestVector> {};

TEST_P(DigestVectors, MatchThePublishedDigest) {
    const DigestVector& v = GetParam();
    const QString expected = QString::fromLatin1(v.hex);
    if (v.key.isNull()) {
        EXPECT_EQ(THWebUtility::hashData(v.message, v.kind), expected);
        const QString path = TestEnvironment::makeTempFolder(QStringLiteral("digest")) + "/m";
        writeAll(path, v.message);
        EXPECT_EQ(THWebUtility::hashFile(path, v.kind), expected);
    } else {
        EXPECT_EQ(THWebUtility::hMacDataWithSecretKeyWithHashKind(
                      v.message, QString::fromLatin1(v.key), v.kind),
                  expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Published, DigestVectors,
    ::testing::Values(
        DigestVector{"md5_empty", kMD5, QByteArray(""), {}, "d41d8cd98f00b204e9800998ecf8427e"},
        DigestVector{"md5_abc", kMD5, "abc", {}, "900150983cd24fb0d6963f7d28e17f72"},
        DigestVector{
            "md5_message_digest", kMD5, "message digest", {}, "f96b697d7cb7938d525a2f31aaf161d0"},
        DigestVector{"md5_alphabet",
                     kMD5,
                     "abcdefghijklmnopqrstuvwxyz",
                     {},
                     "c3fcd3d76192e4007dfb496cca67e13b"},
        DigestVector{"md5_eighty_digits",
                     kMD5,
                     "123456789012345678901234567890123456789012345678901234567890123456789012345"
                     "67890",
                     {},
                     "57edf4a22be3c955ac49da2e2107b67a"},
        DigestVector{"sha1_abc", kSHA1, "abc", {}, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        DigestVector{
            "sha1_two_blocks", kSHA1, kTwoBlocks, {}, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        DigestVector{
            "sha1_million_a", kSHA1, kMillionA, {}, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        DigestVector{"sha256_abc",
                     kSHA256,
                     "abc",
                     {},
                     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        DigestVector{"sha256_two_blocks",
                     kSHA256,
                     kTwoBlocks,
                     {},
                     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        DigestVector{"sha512_abc",
                     kSHA512,
                     "abc",
                     {},
                     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274"
                     "fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        DigestVector{"hmac_sha256_case1", kSHA256, "Hi There", QByteArray(20, '\x0b'),
                     "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        DigestVector{"hmac_sha512_case1", kSHA512, "Hi There", QByteArray(20, '\x0b'),
                     "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cdedaa833b7d6b"
                     "8a702038b274eaea3f4e4be9d914eeb61f1702e696c203a126854"},
        DigestVector{"hmac_sha256_case2", kSHA256, "what do ya want for nothing?", "Jefe",
                     "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        DigestVector{"hmac_sha512_case2", kSHA512, "what do ya want for nothing?", "Jefe",
                     "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05"
                     "a994a6d034f65f8f0e6fdcaeab1a34d4a6b4b636e070a38bce737"}),
    digestVectorName);

TEST(THWebUtility, BadKindsAndMissingValuesGiveNoDigest) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("kinds")) + "/f";
    writeAll(path, "abc");
    for (const qint64 kind : {qint64(4), qint64(-1)}) {
        SCOPED_TRACE(kind);
        EXPECT_TRUE(THWebUtility::hashData("abc", kind).isNull());
        EXPECT_TRUE(THWebUtility::hashString(QStringLiteral("abc"), kind).isNull());
        EXPECT_TRUE(THWebUtility::hashFile(path, kind).isNull());
        EXPECT_TRUE(THWebUtility::hMacDataWithSecretKeyWithHashKind("abc", "k", kind).isNull());
        EXPECT_TRUE(
            THWebUtility::hMacStringWithSecretKeyWithHashKind(QStringLiteral("abc"), "k", kind)
                .isNull());
    }
    EXPECT_TRUE(THWebUtility::hashData(QByteArray(), kMD5).isNull());
    EXPECT_TRUE(THWebUtility::hashString(QString(), kMD5).isNull());
    EXPECT_TRUE(THWebUtility::hashString(QString(QChar(0xd800)), kMD5).isNull());
    EXPECT_TRUE(THWebUtility::hMacDataWithSecretKeyWithHashKind("abc", QString(), kMD5).isNull());
    EXPECT_TRUE(THWebUtility::hashFile(path + "-missing", kMD5).isNull());
    EXPECT_TRUE(THWebUtility::hashFile(QFileInfo(path).absolutePath(), kMD5).isNull());
}

TEST(THWebUtility, TextIsDigestedAsUtf8AndTheKeyStopsAtItsFirstZero) {
    EXPECT_EQ(THWebUtility::hashString(QStringLiteral("é"), kMD5), md5Of("\xc3\xa9"));
    EXPECT_EQ(THWebUtility::hashString(QStringLiteral("abc"), kSHA1),
              QStringLiteral("a9993e364706816aba3e25717850c26c9cd0d89d"));
    const QString keyWithZero = QStringLiteral("Jefe") + QChar(0) + QStringLiteral("ignored");
    EXPECT_EQ(THWebUtility::hMacStringWithSecretKeyWithHashKind(
                  QStringLiteral("what do ya want for nothing?"), keyWithZero, kSHA256),
              QStringLiteral("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"));
}

TEST(THWebUtility, LazyFileDigestSamplesTheFile) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("lazy"));
    const QByteArray big = patternBytes(10000);
    const struct {
        const char* name;
        QByteArray contents;
        QString expected;
    } cases[] = {
        {"100 bytes: the whole file", patternBytes(100), md5Of(patternBytes(100))},
        {"4096 bytes: two overlapping samples", patternBytes(4096),
         md5Of(patternBytes(4096) + patternBytes(4096).mid(2048))},
        {"10000 bytes: three samples", big,
         md5Of(big.mid(0, 4096) + big.mid(3333, 4096) + big.mid(6666, 4096))},
        {"empty", QByteArray(""), QString()},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + QStringLiteral("/f%1").arg(++index);
        writeAll(path, c.contents);
        EXPECT_EQ(THWebUtility::lazyMD5File(path), c.expected);
        EXPECT_EQ(THWebUtility::lazyHashFile(path), c.expected);
    }
    EXPECT_EQ(THWebUtility::hashFile(folder + "/f4", kMD5),
              QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_TRUE(THWebUtility::lazyMD5File(folder + "/missing").isNull());
}

TEST(THWebUtility, PackageDigestListsNamesToThreeLevels) {
    const QString package = TestEnvironment::makeTempFolder(QStringLiteral("package"));
    writeAll(package + "/Contents/Info.plist", "<plist/>");
    writeAll(package + "/Contents/Resources/en/strings", "x");
    writeAll(package + "/Contents/Resources/en/deep/hidden", "x");
    writeAll(package + "/.DS_Store", "x");
    writeAll(package + "/__MACOSX/junk", "x");
    ASSERT_TRUE(QFile::link(QStringLiteral("Contents/Info.plist"), package + "/link"));
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(package + "/sock");
    // A socket in the folder is neither file, folder nor link: it is left out.
    if (socketFd >= 0 && socketPath.size() < qsizetype(sizeof(address.sun_path))) {
        std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
        EXPECT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }

    const qint64 volume = static_cast<qint64>(
        std::filesystem::space(QFile::encodeName(package).toStdString()).capacity);
    QStringList listing{QStringLiteral("Contents"),
                        QStringLiteral("Contents/Info.plist-%1").arg(volume),
                        QStringLiteral("Contents/Resources"),
                        QStringLiteral("Contents/Resources/en"),
                        QStringLiteral("Contents/Resources/en/strings-%1").arg(volume),
                        QStringLiteral("link")};
    listing.sort();
    const QString expected = md5Of(listing.join(QLatin1Char(',')).toUtf8());
    EXPECT_EQ(THWebUtility::lazyHashPackage(package), expected);
    EXPECT_EQ(THWebUtility::lazyHashFile(package), expected);

    writeAll(package + "/Contents/Info.plist", patternBytes(5000));
    EXPECT_EQ(THWebUtility::lazyHashPackage(package), expected);
    if (socketFd >= 0)
        ::close(socketFd);

    const QString empty = TestEnvironment::makeTempFolder(QStringLiteral("empty-package"));
    EXPECT_EQ(THWebUtility::lazyHashPackage(empty), md5Of(""));
    EXPECT_TRUE(THWebUtility::lazyHashPackage(package + "/missing").isNull());
}
