// The fuzz targets: one entry function per parser, each taking one input as libFuzzer hands it
// over. Every function returns 0; an input it cannot take raises the parser's own AppError,
// which the entry catches. A broken promise (two readings that should agree, a value that does
// not read back) throws FuzzFailure, which a fuzzer reports as a crash and a test as a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

struct FuzzFailure : std::logic_error {
    using std::logic_error::logic_error;
};

// Throws FuzzFailure(what) unless ok.
void FuzzCheck(bool ok, const std::string& what);
// Throws FuzzFailure(what + where the two texts first differ) unless they are equal.
void FuzzCheckSame(const std::string& expected, const std::string& actual, const std::string& what);

// A file of the given name in this process's scratch folder (made on first use, removed at
// exit) holding the bytes; returns its Windows path.
std::string WriteScratchFile(const std::string& name, const std::string& bytes);
// The scratch folder's Windows path, with a final "\".
std::string ScratchFolder();
// The bytes of a file named in Windows form; empty when it cannot be read.
std::string ReadWholeFile(const std::string& winPath);

int FuzzDump(const uint8_t* data, size_t size);
int FuzzDumpRoundTrip(const uint8_t* data, size_t size);
int FuzzProfileFile(const uint8_t* data, size_t size);
int FuzzRegistryStore(const uint8_t* data, size_t size);
int FuzzBatchLine(const uint8_t* data, size_t size);
int FuzzRisError(const uint8_t* data, size_t size);
int FuzzSql(const uint8_t* data, size_t size);
int FuzzDdlFile(const uint8_t* data, size_t size);
int FuzzScriptLine(const uint8_t* data, size_t size);

struct FuzzTarget {
    const char* name; // also the folder of its stored inputs: tests/data/fuzz/<name>
    int (*run)(const uint8_t*, size_t);
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"dump", FuzzDump},
    {"dump_round_trip", FuzzDumpRoundTrip},
    {"profile_file", FuzzProfileFile},
    {"registry_store", FuzzRegistryStore},
    {"batch_line", FuzzBatchLine},
    {"ris_error", FuzzRisError},
    {"sql", FuzzSql},
    {"ddl_file", FuzzDdlFile},
    {"script_line", FuzzScriptLine},
};
