#include "platform/PropertyList.h"

#include "platform/PropertyListBinaryReader.h"
#include "platform/PropertyListXmlReader.h"

#include <QFile>

#include <plist/plist.h>

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <memory>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* p) const { std::free(p); }
};
using CString = std::unique_ptr<char, MallocDeleter>;

// libplist reads and writes reals with the C library, which follows the user's locale
// ("1,25" under German): switch this thread to the C locale while it works.
class CNumericLocale {
public:
    CNumericLocale() : _c(newlocale(LC_NUMERIC_MASK, "C", nullptr)) {
        if (_c)
            _previous = uselocale(_c);
    }
    ~CNumericLocale() {
        if (_c) {
            uselocale(_previous);
            freelocale(_c);
        }
    }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    locale_t _c;
    locale_t _previous = LC_GLOBAL_LOCALE;
};

plist_t fromVariant(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), fromVariant(it.value()));
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList())
            plist_array_append_item(array, fromVariant(item));
        return array;
    }
    case QMetaType::Bool:
        return plist_new_bool(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

} // namespace

QVariant PropertyList::fromData(const QByteArray& bytes) {
    // libplist asserts on a NUL byte in a key and recurses without limit, so files are read
    // by our own bounded readers; libplist only writes.
    if (bytes.isEmpty() || bytes.size() > kMaxBytes)
        return {};
    if (PropertyListBinaryReader::looksBinary(bytes))
        return PropertyListBinaryReader::read(bytes);
    return PropertyListXmlReader::read(bytes);
}

QVariant PropertyList::fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return {};
    return fromData(file.read(kMaxBytes + 1));
}

QVariantMap PropertyList::dictionaryWithContentsOfFile(const QString& path) {
    return fromFile(path).toMap();
}

QByteArray PropertyList::toXml(const QVariant& value) {
    const CNumericLocale cLocale;
    PlistPtr root(fromVariant(value));
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    CString xml(raw);
    return QByteArray(xml.get(), qsizetype(length));
}
