#pragma once
// The one error type that every layer throws: a number and a description,
// as the program's windows expect to read them back when they report a failure.
#include <QString>
#include <exception>
#include <string>

class VbError : public std::exception {
public:
    VbError(int number, QString description)
        : m_number(number), m_description(std::move(description)),
          m_what(m_description.toStdString()) {}

    int Number() const { return m_number; }
    const QString &Description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    std::string m_what;
};

// Error numbers used across the program.
namespace VbErr {
constexpr int InvalidProcedureCall = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int FileAlreadyOpen = 55;
constexpr int PathNotFound = 76;
constexpr int CancelError = 32755;   // the common dialog's cancel
}

[[noreturn]] inline void RaiseError(int number, const QString &description)
{
    throw VbError(number, description);
}
