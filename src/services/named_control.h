// Controls carry their component name as Qt object name: tests, style sheets
// and the settings code find them by it.
#pragma once

#include <QLatin1String>

template <typename T>
T* Named(T* object, const char* name) {
  object->setObjectName(QLatin1String(name));
  return object;
}
