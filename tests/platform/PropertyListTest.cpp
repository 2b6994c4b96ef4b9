#include "platform/PropertyList.h"
#include "platform/PropertyListBinaryReader.h"
#include "platform/PropertyListXmlReader.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <ostream>
#include <vector>

namespace {

// Writes binary property lists object by object, so tests can break them on purpose.
class BinaryPlist {
public:
    static constexpr int kRefSize = 4;

    int add(const QByteArray& object) {
        _objects.push_back(object);
        return int(_objects.size()) - 1;
    }
    int ascii(const QByteArray& text) { return add(header(0x5, uint64_t(text.size())) + text); }
    int utf16(const QString& text) {
        QByteArray bytes = header(0x6, uint64_t(text.size()));
        for (QChar c : text)
            bytes += bigEndian(c.unicode(), 2);
        return add(bytes);
    }
    int integer(uint64_t value) { return add(char(0x13) + bigEndian(value, 8)); }
    int array(const std::vector<int>& refs) {
        QByteArray bytes = header(0xA, refs.size());
        for (int ref : refs)
            bytes += bigEndian(uint64_t(ref), kRefSize);
        return add(bytes);
    }
    int dict(const std::vector<int>& keys, const std::vector<int>& values) {
        QByteArray bytes = header(0xD, keys.size());
        for (int ref : keys)
            bytes += bigEndian(uint64_t(ref), kRefSize);
        for (int ref : values)
            bytes += bigEndian(uint64_t(ref), kRefSize);
        return add(bytes);
    }
    // An array whose references are filled in later (for cycles).
    int arrayPlaceholder(int count) { return array(std::vector<int>(size_t(count), 0)); }
    void setArrayRef(int array, int index, int ref) {
        _objects[size_t(array)].replace(1 + index * kRefSize, kRefSize,
                                        bigEndian(uint64_t(ref), kRefSize));
    }

    // The trailer's fields can be overridden to lie about the file.
    struct Trailer {
        int offsetSize = 4;
        int refSize = kRefSize;
        int64_t objectCount = -1; // -1: the real count
        uint64_t top = 0;
        int64_t offsetTable = -1; // -1: the real position
    };
    QByteArray build() const { return build(Trailer()); }
    QByteArray build(const Trailer& t) const {
        QByteArray out("bplist00");
        std::vector<uint64_t> offsets;
        for (const QByteArray& object : _objects) {
            offsets.push_back(uint64_t(out.size()));
            out += object;
        }
        const uint64_t table = uint64_t(out.size());
        for (uint64_t offset : offsets)
            out += bigEndian(offset, 4);
        out += QByteArray(6, '\0');
        out += char(t.offsetSize);
        out += char(t.refSize);
        out += bigEndian(t.objectCount < 0 ? offsets.size() : uint64_t(t.objectCount), 8);
        out += bigEndian(t.top, 8);
        out += bigEndian(t.offsetTable < 0 ? table : uint64_t(t.offsetTable), 8);
        return out;
    }

    static QByteArray bigEndian(uint64_t value, int width) {
        QByteArray bytes(width, '\0');
        for (int i = width - 1; i >= 0; --i, value >>= 8)
            bytes[i] = char(value & 0xFF);
        return bytes;
    }

private:
    static QByteArray header(uint8_t kind, uint64_t count) {
        if (count < 15)
            return QByteArray(1, char((kind << 4) | count));
        return QByteArray(1, char((kind << 4) | 0xF)) + char(0x12) + bigEndian(count, 4);
    }
    std::vector<QByteArray> _objects;
};

// A chain of arrays, each holding the next; the last holds the leaf.
int arrayChain(BinaryPlist& plist, int length, int leaf) {
    int first = plist.arrayPlaceholder(1);
    int previous = first;
    for (int i = 1; i < length; ++i) {
        const int next = plist.arrayPlaceholder(1);
        plist.setArrayRef(previous, 0, next);
        previous = next;
    }
    plist.setArrayRef(previous, 0, leaf);
    return first;
}

int nestingOf(QVariant value) {
    int levels = 0;
    while (value.typeId() == QMetaType::QVariantList && !value.toList().isEmpty()) {
        value = value.toList().first();
        ++levels;
    }
    return levels;
}

QByteArray repeated(const char* text, int times) {
    return QByteArray(text).repeated(times);
}

QByteArray xmlPlist(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>";
}

QByteArray nestedXmlArrays(int levels) {
    return xmlPlist(repeated("<array>", levels) + repeated("</array>", levels));
}

struct HostileCase {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name << " (" << c.bytes.size() << " bytes)";
}

std::string caseName(const ::testing::TestParamInfo<HostileCase>& info) {
    return info.param.name;
}

class RefusedPropertyList : public ::testing::TestWithParam<HostileCase> {};

// None of these may crash, abort or recurse off the stack; each reads as nothing.
TEST_P(RefusedPropertyList, ReadsAsNothing) {
    EXPECT_FALSE(PropertyList::fromData(GetParam().bytes).isValid());
}

QByteArray binaryNesting(int levels) {
    BinaryPlist plist;
    const int leaf = plist.ascii("leaf");
    const int top = arrayChain(plist, levels, leaf);
    return plist.build({.top = uint64_t(top)});
}

QByteArray binaryCycle() {
    BinaryPlist plist;
    const int self = plist.arrayPlaceholder(1);
    plist.setArrayRef(self, 0, self);
    return plist.build();
}

// Chains that each end in the one before: every chain is shallow where it is first met, but
// the third ends up far deeper than any limit.
QByteArray binaryChainedChains() {
    BinaryPlist plist;
    const int root = plist.arrayPlaceholder(3);
    int previous = plist.ascii("leaf");
    for (int i = 0; i < 3; ++i) {
        previous = arrayChain(plist, 200, previous);
        plist.setArrayRef(root, i, previous);
    }
    return plist.build({.top = uint64_t(root)});
}

QByteArray binaryDictWithNumberKey() {
    BinaryPlist plist;
    const int key = plist.integer(7);
    const int value = plist.ascii("v");
    return plist.build({.top = uint64_t(plist.dict({key}, {value}))});
}

QByteArray binaryTopPastTheEnd() {
    BinaryPlist plist;
    plist.ascii("text");
    return plist.build({.top = 5});
}

QByteArray binaryWithTrailer(BinaryPlist::Trailer trailer) {
    BinaryPlist plist;
    plist.array({plist.ascii("a")});
    trailer.top = 1;
    return plist.build(trailer);
}

QByteArray binaryStringLongerThanTheFile() {
    BinaryPlist plist;
    plist.add(QByteArray(1, char(0x5F)) + char(0x13) + BinaryPlist::bigEndian(~0ull >> 1, 8));
    return plist.build();
}

QByteArray binaryArrayLongerThanTheFile() {
    BinaryPlist plist;
    plist.add(QByteArray(1, char(0xAF)) + char(0x13) + BinaryPlist::bigEndian(1ull << 62, 8));
    return plist.build();
}

INSTANTIATE_TEST_SUITE_P(
    Xml, RefusedPropertyList,
    ::testing::Values(
        HostileCase{"HundredThousandNestedArrays", nestedXmlArrays(100000)},
        HostileCase{"HundredThousandNestedDicts",
                    xmlPlist(repeated("<dict><key>k</key>", 100000) + "<string/>" +
                             repeated("</dict>", 100000))},
        HostileCase{"OneLevelPastTheLimit", nestedXmlArrays(PropertyListXmlReader::kMaxDepth)},
        HostileCase{"NulByteInAKey",
                    xmlPlist(QByteArray("<dict><key>a\0b</key><string>x</string></dict>", 45))},
        HostileCase{"NulByteInAString",
                    xmlPlist(QByteArray("<dict><key>a</key><string>x\0y</string></dict>", 45))},
        HostileCase{"NulCharacterReference",
                    xmlPlist("<dict><key>a&#0;b</key><string>x</string></dict>")},
        HostileCase{"KeyWithoutValue", xmlPlist("<dict><key>a</key></dict>")},
        HostileCase{"ValueWithoutKey", xmlPlist("<dict><string>x</string></dict>")},
        HostileCase{"UnknownElement", xmlPlist("<dict><key>a</key><blob>x</blob></dict>")},
        HostileCase{"ElementInsideAString", xmlPlist("<string>a<array/></string>")},
        HostileCase{"TwoRootValues", xmlPlist("<string>a</string><string>b</string>")},
        HostileCase{"EmptyPlist", xmlPlist("")},
        HostileCase{"NotAnInteger", xmlPlist("<integer>12abc</integer>")},
        HostileCase{"IntegerTooLarge", xmlPlist("<integer>99999999999999999999999</integer>")},
        HostileCase{"NotBase64", xmlPlist("<data>**not base64**</data>")},
        HostileCase{"NotADate", xmlPlist("<date>yesterday</date>")},
        HostileCase{"Truncated", QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key>")},
        HostileCase{"EntityExpansionBomb",
                    "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
                    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                    "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                    "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
                    "<plist><string>&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;</string>"
                    "</plist>"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Binary, RefusedPropertyList,
    ::testing::Values(
        HostileCase{"HundredThousandNestedArrays", binaryNesting(100000)},
        HostileCase{"OneLevelPastTheLimit", binaryNesting(PropertyListBinaryReader::kMaxDepth + 1)},
        HostileCase{"ArrayHoldingItself", binaryCycle()},
        HostileCase{"SharedChainsNestTooDeep", binaryChainedChains()},
        HostileCase{"NumberAsDictionaryKey", binaryDictWithNumberKey()},
        HostileCase{"StringLongerThanTheFile", binaryStringLongerThanTheFile()},
        HostileCase{"ArrayLongerThanTheFile", binaryArrayLongerThanTheFile()},
        HostileCase{"TopObjectPastTheEnd", binaryTopPastTheEnd()},
        HostileCase{"OffsetTablePastTheEnd", binaryWithTrailer({.offsetTable = 1 << 30})},
        HostileCase{"OffsetTableInTheHeader", binaryWithTrailer({.offsetTable = 2})},
        HostileCase{"MoreObjectsThanTheTableHolds", binaryWithTrailer({.objectCount = 1 << 20})},
        HostileCase{"HugeObjectCount", binaryWithTrailer({.objectCount = INT64_MAX})},
        HostileCase{"ZeroReferenceSize", binaryWithTrailer({.refSize = 0})},
        HostileCase{"NineByteOffsets", binaryWithTrailer({.offsetSize = 9})},
        HostileCase{"OnlyTheMagic", QByteArray("bplist00")},
        HostileCase{"TrailerOfZeros", QByteArray("bplist00") + QByteArray(32, '\0')}),
    caseName);

TEST(PropertyListBinary, NulBytesInKeysAndStringsAreKept) {
    BinaryPlist plist;
    const int key = plist.ascii(QByteArray("a\0b", 3));
    const int value = plist.utf16(QString(QStringLiteral("x")) + QChar(0) + QStringLiteral("é"));
    const int top = plist.dict({key}, {value});
    const QVariantMap map = PropertyList::fromData(plist.build({.top = uint64_t(top)})).toMap();
    ASSERT_EQ(map.size(), 1);
    EXPECT_EQ(map.firstKey(), QString::fromLatin1("a\0b", 3));
    EXPECT_EQ(map.first().toString(),
              QString(QStringLiteral("x")) + QChar(0) + QStringLiteral("é"));
}

TEST(PropertyListBinary, SharedContainersAreReadOnceAndKeepTheirShape) {
    // Each level holds the next twice: 2^60 paths, one object each.
    BinaryPlist plist;
    int next = plist.ascii("leaf");
    for (int i = 0; i < 60; ++i)
        next = plist.array({next, next});
    const QVariant root = PropertyList::fromData(plist.build({.top = uint64_t(next)}));
    EXPECT_EQ(nestingOf(root), 60);
    QVariant deepest = root;
    for (int i = 0; i < 60; ++i)
        deepest = deepest.toList().last();
    EXPECT_EQ(deepest.toString(), QStringLiteral("leaf"));
}

TEST(PropertyListBinary, NestingUpToTheLimitIsRead) {
    const QVariant root =
        PropertyList::fromData(binaryNesting(PropertyListBinaryReader::kMaxDepth));
    EXPECT_EQ(nestingOf(root), PropertyListBinaryReader::kMaxDepth);
}

TEST(PropertyListBinary, ScalarsReadAsTheirQtTypes) {
    BinaryPlist plist;
    const std::vector<int> keys = {plist.ascii("int"),  plist.ascii("negative"),
                                   plist.ascii("real"), plist.ascii("true"),
                                   plist.ascii("data"), plist.ascii("date")};
    const std::vector<int> values = {
        plist.integer(44100),
        plist.integer(uint64_t(-5)),
        plist.add(char(0x23) + BinaryPlist::bigEndian(std::bit_cast<uint64_t>(1.25), 8)),
        plist.add(QByteArray(1, char(0x09))),
        plist.add(QByteArray(1, char(0x43)) + QByteArray("\x00\x01\xff", 3)),
        plist.add(char(0x33) + BinaryPlist::bigEndian(std::bit_cast<uint64_t>(86400.0), 8))};
    const int top = plist.dict(keys, values);
    const QVariantMap map = PropertyList::fromData(plist.build({.top = uint64_t(top)})).toMap();
    EXPECT_EQ(map.value(QStringLiteral("int")), QVariant(qulonglong(44100)));
    EXPECT_EQ(map.value(QStringLiteral("negative")), QVariant(qlonglong(-5)));
    EXPECT_EQ(map.value(QStringLiteral("real")), QVariant(1.25));
    EXPECT_EQ(map.value(QStringLiteral("true")), QVariant(true));
    EXPECT_EQ(map.value(QStringLiteral("data")), QVariant(QByteArray("\x00\x01\xff", 3)));
    EXPECT_EQ(map.value(QStringLiteral("date")).toDateTime(),
              QDateTime(QDate(2001, 1, 2), QTime(0, 0), QTimeZone::utc()));
}

TEST(PropertyListXml, NestingUpToTheLimitIsRead) {
    const QVariant root =
        PropertyList::fromData(nestedXmlArrays(PropertyListXmlReader::kMaxDepth - 1));
    // The innermost array is empty, so the count stops one level short.
    EXPECT_EQ(nestingOf(root), PropertyListXmlReader::kMaxDepth - 2);
    EXPECT_EQ(root.typeId(), QMetaType::QVariantList);
}

TEST(PropertyListXml, ScalarsAndABarePlistRootRead) {
    const QVariantMap map =
        PropertyList::fromData(
            "<dict><key>n</key><integer>-3</integer><key>h</key><integer>0x10</integer>"
            "<key>r</key><real>2.5</real><key>f</key><false/><key>d</key>"
            "<data>\n  AAH/\n</data><key>t</key><date>2001-01-02T00:00:00Z</date></dict>")
            .toMap();
    EXPECT_EQ(map.value(QStringLiteral("n")), QVariant(qlonglong(-3)));
    EXPECT_EQ(map.value(QStringLiteral("h")), QVariant(qulonglong(16)));
    EXPECT_EQ(map.value(QStringLiteral("r")), QVariant(2.5));
    EXPECT_EQ(map.value(QStringLiteral("f")), QVariant(false));
    EXPECT_EQ(map.value(QStringLiteral("d")), QVariant(QByteArray("\x00\x01\xff", 3)));
    EXPECT_EQ(map.value(QStringLiteral("t")).toDateTime(),
              QDateTime(QDate(2001, 1, 2), QTime(0, 0), QTimeZone::utc()));
}

TEST(PropertyListFile, OversizedFilesAreRefusedUnread) {
    EXPECT_FALSE(PropertyList::fromData(QByteArray(PropertyList::kMaxBytes + 1, ' ')).isValid());
}

} // namespace
