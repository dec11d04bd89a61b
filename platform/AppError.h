// The one error type that crosses layers: number, source and description, like the raised
// errors of the Windows original.
#pragma once

#include <stdexcept>
#include <string>

// The application title: an error raised without a source of its own carries it, and the
// source composition leaves it out.
inline constexpr const char* kAppTitle = "Tarnwick";

class AppError : public std::runtime_error {
public:
    AppError(long number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description))
    {
    }

    long number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    long number_;
    std::string source_;
    std::string description_;
};

// Own name, then ":" + line when line is not 0 (or the given line part), then ": " + incoming
// unless incoming is empty or the application title.
std::string ComposeErrorSource(const std::string& ownName, int line, const std::string& incoming);

// The same with an explicit line part (" (row 12)" for the members that spell it so).
std::string ComposeErrorSourceWithPart(const std::string& ownName, const std::string& linePart,
                                       const std::string& incoming);

// The error passed on with the operation's own name in front of its source.
AppError PassOn(const AppError& e, const std::string& ownName, int line = 0);

// An own error (number 1 unless given) raised by the named operation.
[[noreturn]] void RaiseError(const std::string& ownName, const std::string& description, long number = 1);
