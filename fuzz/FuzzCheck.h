// What the fuzz targets share: a check that stops the run (so libFuzzer keeps
// the input) when a reader breaks a promise its header makes, and the input as
// a string view.
#pragma once

#include "platform/rtf/RtfRun.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, what);              \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

inline std::string_view FuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The promises every reader of RTF makes about the runs it gives: no empty
// run, no two neighbours with the same format, and (for the general reader,
// which drops NUL in every form) no NUL in the text.
inline void CheckRuns(const RtfRuns& runs, bool nulDropped = true)
{
    for (std::size_t i = 0; i < runs.size(); ++i) {
        FUZZ_CHECK(!runs[i].text.empty(), "an empty run");
        FUZZ_CHECK(i == 0 || !runs[i].SameFormat(runs[i - 1]), "two neighbouring runs of one format");
        FUZZ_CHECK(!nulDropped || runs[i].text.find('\0') == std::string::npos, "a NUL in the text");
    }
}

inline std::string RunsText(const RtfRuns& runs)
{
    std::string text;
    for (const RtfRun& run : runs)
        text += run.text;
    return text;
}
