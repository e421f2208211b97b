#pragma once

#include <QVariant>

class QObject;

namespace tolvar::rt {

// Properties looked up by name, the way code written against a forms run-time reaches a
// control it knows only by class. An unknown name raises "Object doesn't support this
// property or method"; a value the property refuses raises "Invalid property value".
// A fractional value written to a whole-number property is rounded half to even.
QVariant getProperty(const QObject* object, const char* name);
void setProperty(QObject* object, const char* name, const QVariant& value);

} // namespace tolvar::rt
