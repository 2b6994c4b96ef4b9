#include "platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <plist/plist.h>

#include <clocale>
#include <cstdlib>
#include <limits>
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

// libplist dates count from 2001-01-01 UTC.
const QDateTime kPlistEpoch(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());

QVariant toVariant(plist_t node);

QVariantMap dictToMap(plist_t node) {
    QVariantMap map;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    std::unique_ptr<void, MallocDeleter> iterOwner(it);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &rawKey, &value);
        CString key(rawKey);
        if (!value)
            break;
        map.insert(QString::fromUtf8(key.get()), toVariant(value));
    }
    return map;
}

QVariantList arrayToList(plist_t node) {
    QVariantList list;
    const uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i)
        list.append(toVariant(plist_array_get_item(node, i)));
    return list;
}

QVariant toVariant(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictToMap(node);
    case PLIST_ARRAY:
        return arrayToList(node);
    case PLIST_STRING: {
        char* raw = nullptr;
        plist_get_string_val(node, &raw);
        CString text(raw);
        return QString::fromUtf8(text.get());
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return qulonglong(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_DATA: {
        char* raw = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &raw, &length);
        CString bytes(raw);
        return QByteArray(bytes.get(), qsizetype(length));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return kPlistEpoch.addMSecs(qint64(sec) * 1000 + usec / 1000);
    }
    default:
        return {};
    }
}

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
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max())
        return {};
    const CNumericLocale cLocale;
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    PlistPtr owner(root);
    return root ? toVariant(root) : QVariant();
}

QVariant PropertyList::fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromData(file.readAll());
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
