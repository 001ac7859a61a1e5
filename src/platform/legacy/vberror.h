#pragma once
// Run-time errors of the old runtime, the Err object and the end of the program.
#include <QString>

namespace legacy {

// A run-time error: thrown by value wherever the old runtime would raise one.
class VbError {
public:
    VbError() = default;
    explicit VbError(long number, QString description = {}, QString source = {});

    long Number = 0;
    QString Description;
    QString Source;

    // The runtime's own text for the common error numbers (5, 6, 9, 11, 13,
    // 53, 91, 94, 3021, 3265, ...); "Error definido por la aplicación o por el
    // objeto" for the rest.
    static QString defaultDescription(long number);
};

// The Err object: the last error an error trap caught, for routines that read
// Err.Number after going on past a failing step.
struct ErrObject {
    long Number = 0;
    QString Description;
    QString Source;
    void Clear();
    void set(const VbError& e);
    [[noreturn]] void Raise(long number, const QString& source = {}, const QString& description = {});
};
ErrObject& Err();

// Ending the program ("End"): main() catches it and exits with the code.
class ProgramEnd {
public:
    explicit ProgramEnd(int exitCode = 0) : code(exitCode) {}
    int code;
};

}  // namespace legacy
