// The record of a table read's change of the user's number separators: the text driver reads
// numbers with "." and ",", so a read forces them in the registry and puts the user's back
// afterwards. The user's own values are written to the marks folder before the registry is
// changed, so that a program killed during the read leaves them where the next start finds
// them; the record goes only when the registry is seen holding other values than the forced.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class RegistryStore;
class RunMark;

// The two separators as the registry holds them: each value, or none at all.
struct NumberSeparators {
    std::optional<std::string> decimal;
    std::optional<std::string> thousand;
};

class NumberFormatRecord {
public:
    NumberFormatRecord() = default;
    // A record not seen put back stays for the next start, as a killed program's would.
    ~NumberFormatRecord();
    NumberFormatRecord(const NumberFormatRecord&) = delete;
    NumberFormatRecord& operator=(const NumberFormatRecord&) = delete;

    // The registry key that holds the user's separators (values "sDecimal" and "sThousand").
    static const std::string& RegistryKey();
    // The separators a read forces.
    static const NumberSeparators& Forced();
    // "decimal separator ',' and thousands separator '.'" ("none" for one the key lacks).
    static std::string Said(const NumberSeparators& separators);
    // The separators the store holds.
    static NumberSeparators InStore(const RegistryStore& store);

    // The user's own separators: those the store holds, unless it holds the forced ones while a
    // record of this computer (of a program still reading, or one that died) says what the user's
    // were: then those, so that a forced value is never taken for the user's own.
    static NumberSeparators UsersOwn(const RegistryStore& store);

    // Writes the record of the user's values before the store is changed. Throws AppError when it
    // cannot be written: the change must not be made then.
    void Write(const NumberSeparators& user);
    bool written() const { return mark_ != nullptr; }
    // Whether another program of this computer is in a read (its record held): the last one out
    // puts the user's values back.
    static bool OtherReadRuns();
    // After the restore: the record goes when every value the read forced no longer stands forced
    // in the store (the user's value back, or one the user set since); else it stays.
    void Seen(const RegistryStore& store);
    // Another program in its read carries the user's values (its record holds them too, as it
    // took them from this one or from the same store): this record goes.
    void Handover();

    // What the start does with the records that killed programs left: under the registry's lock,
    // a forced value still standing goes back to the user's; the record goes once the store is
    // seen without it. One text for each record, and whether it was put right (else it names
    // what stands and stays, or the user set other values since and it went).
    struct Left {
        std::string text;
        bool mended = false;
    };
    static std::vector<Left> MendLeft();

private:
    std::shared_ptr<RunMark> mark_;
    NumberSeparators user_;
};
