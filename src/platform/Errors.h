#pragma once
// Exceptions raised by file, stream and conversion failures. They propagate to
// the command that started the work, which shows the message to the user.
#include <QString>
#include <stdexcept>

namespace bv {

class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    const QString& message() const { return text; }

private:
    QString text;
};

// Malformed object stream: "Invalid stream format", "Class %s not found",
// "Invalid property value", "Property does not exist", "Stream read error".
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created or written ("Unable to write to %s", ...).
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A number, date or picture that cannot be converted.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The text that reports the exception being handled: the message of the
// program's own exceptions, the what() text of other standard exceptions,
// and an empty string for anything else. Call it only inside a catch block;
// every place that shows or prints a failure words it this way.
QString DescribeCurrentException();

} // namespace bv
