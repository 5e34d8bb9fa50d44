#pragma once

#include <QString>

#include <exception>
#include <string>

namespace orvital {

// Base of every error the program raises inside a handler. The one guard around each UI entry
// point catches it and shows message() in the error box; nothing else catches.
class AppError : public std::exception {
public:
    explicit AppError(QString message)
        : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// A number outside the range of a conversion or an index beyond a buffer.
class RangeError : public AppError {
public:
    using AppError::AppError;
};

// A text that is not a number where one is required.
class ConvertError : public AppError {
public:
    using AppError::AppError;
};

// A file that cannot be created, opened, read or written.
class FileError : public AppError {
public:
    using AppError::AppError;
};

// Errors of the serial layer carry the system error code (or -1) in the message, as
// "<text> (Error: <code>) ".
class SerialError : public AppError {
public:
    SerialError(const QString& text, int code)
        : AppError(QStringLiteral("%1 (Error: %2) ").arg(text).arg(code)), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace orvital
