// Errors shown to the user by the application's general error display
// ("Cannot create <folder>", "Unable to write to <file>").
#pragma once

#include <stdexcept>
#include <QString>

class EAppError : public std::runtime_error {
 public:
  explicit EAppError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString text() const { return QString::fromStdString(what()); }
};
