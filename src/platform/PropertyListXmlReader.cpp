#include "platform/PropertyListXmlReader.h"

#include <QDateTime>
#include <QTimeZone>
#include <QXmlStreamReader>

namespace {

QVariant integerValue(const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    const bool hex = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    if (trimmed.startsWith(u'-')) {
        const qlonglong negative = trimmed.toLongLong(&ok, 10);
        return ok ? QVariant(negative) : QVariant();
    }
    const qulonglong value = hex ? trimmed.mid(2).toULongLong(&ok, 16) : trimmed.toULongLong(&ok);
    return ok ? QVariant(value) : QVariant();
}

QVariant realValue(const QString& text) {
    bool ok = false;
    // QByteArray's conversion ignores the user's locale.
    const double value = text.trimmed().toLatin1().toDouble(&ok);
    return ok ? QVariant(value) : QVariant();
}

QVariant dataValue(const QString& text) {
    QByteArray base64 = text.toLatin1();
    base64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
    const auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QVariant(*decoded) : QVariant();
}

QVariant dateValue(const QString& text) {
    QDateTime when = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (!when.isValid())
        return {};
    return when.toTimeZone(QTimeZone::utc());
}

} // namespace

QVariant PropertyListXmlReader::read(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return {};
    PropertyListXmlReader reader(xml);
    QVariant root;
    if (xml.name() == QLatin1String("plist")) {
        // One value inside the plist element, and nothing after it.
        if (!reader.nextChild() || !reader.readValue(1, root) || reader.nextChild())
            return {};
    } else if (!reader.readValue(0, root)) {
        return {};
    }
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    return xml.hasError() ? QVariant() : root;
}

bool PropertyListXmlReader::fail() {
    if (!_xml.hasError())
        _xml.raiseError(QStringLiteral("not a property list"));
    return false;
}

bool PropertyListXmlReader::nextChild() {
    return _xml.readNextStartElement();
}

bool PropertyListXmlReader::readValue(int depth, QVariant& out) {
    const QStringView name = _xml.name();
    if (name == QLatin1String("dict"))
        return readDict(depth, out);
    if (name == QLatin1String("array"))
        return readArray(depth, out);
    return readScalar(out);
}

bool PropertyListXmlReader::readDict(int depth, QVariant& out) {
    if (depth >= kMaxDepth)
        return fail();
    QVariantMap map;
    while (nextChild()) {
        if (_xml.name() != QLatin1String("key"))
            return fail();
        const QString key = _xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        QVariant value;
        if (_xml.hasError() || !nextChild() || !readValue(depth + 1, value))
            return fail();
        map.insert(key, value);
    }
    if (_xml.hasError())
        return false;
    out = map;
    return true;
}

bool PropertyListXmlReader::readArray(int depth, QVariant& out) {
    if (depth >= kMaxDepth)
        return fail();
    QVariantList list;
    while (nextChild()) {
        QVariant value;
        if (!readValue(depth + 1, value))
            return false;
        list.append(value);
    }
    if (_xml.hasError())
        return false;
    out = list;
    return true;
}

bool PropertyListXmlReader::readScalar(QVariant& out) {
    const QString name = _xml.name().toString();
    const QString text = _xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (_xml.hasError())
        return false;
    if (name == QLatin1String("string"))
        out = text;
    else if (name == QLatin1String("true") || name == QLatin1String("false"))
        out = name == QLatin1String("true");
    else if (name == QLatin1String("integer"))
        out = integerValue(text);
    else if (name == QLatin1String("real"))
        out = realValue(text);
    else if (name == QLatin1String("data"))
        out = dataValue(text);
    else if (name == QLatin1String("date"))
        out = dateValue(text);
    return out.isValid() || fail();
}
