#pragma once
// Controls are found by their object names, in tests and from outside:
// every window names its controls as it makes them.

#include <QString>

namespace zarvo {

// object, named name (Latin-1); returns object.
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

}  // namespace zarvo
