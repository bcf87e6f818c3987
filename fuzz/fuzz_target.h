// What every fuzz target shares: the libFuzzer entry points it defines, and the check that
// turns a broken invariant into a crash, so that libFuzzer and the corpus driver both see it.
// A target's input is whatever bytes the fuzzer or a corpus file gives it.
// Thread-safety: entry functions run one input at a time on one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Optional per target; the corpus driver calls it when the target defines it.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace fuzz
{

// Prints what broke, with the input's size, and aborts.
[[noreturn]] void fail(const std::string& what, size_t inputSize);

inline void check(bool condition, const std::string& what, size_t inputSize)
{
    if (!condition)
    {
        fail(what, inputSize);
    }
}

// Whether `text` is something an XML 1.0 parser must accept as character data of a UTF-8
// document: well-formed UTF-8 without the control characters and code points XML excludes.
bool isXmlCharacterData(const std::string& text);

} // namespace fuzz
