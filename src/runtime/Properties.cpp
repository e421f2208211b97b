#include "runtime/Properties.h"

#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <QMetaProperty>
#include <QObject>

namespace tolvar::rt {

namespace {
QMetaProperty lookUp(const QObject* object, const char* name) {
    if (object == nullptr) {
        raise("Object variable not set");
    }
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0) {
        raise(desc::NoSuchProperty);
    }
    return meta->property(index);
}
} // namespace

QVariant getProperty(const QObject* object, const char* name) {
    const QMetaProperty property = lookUp(object, name);
    if (!property.isReadable()) {
        raise(desc::NoSuchProperty);
    }
    return property.read(object);
}

void setProperty(QObject* object, const char* name, const QVariant& value) {
    const QMetaProperty property = lookUp(object, name);
    if (!property.isWritable()) {
        raise(desc::NoSuchProperty);
    }
    QVariant converted = value;
    const int target = property.metaType().id();
    if ((target == QMetaType::Int || target == QMetaType::Short) &&
        (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)) {
        converted = QVariant(toInt32(value.toDouble()));
    }
    if (!converted.convert(property.metaType()) || !property.write(object, converted)) {
        raise(desc::InvalidPropertyValue);
    }
}

} // namespace tolvar::rt
