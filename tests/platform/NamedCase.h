// Parameterised cases that carry their own name: each test is named after
// its case, and a failure prints the case by that name.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// The cases live in each test file's unnamed namespace, and so do these, so
// that gtest finds PrintTo by argument-dependent lookup.
namespace {

template <typename Case>
concept NamedCase = requires(const Case& c)
{
    std::string(c.name);
};

template <NamedCase Case> void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

// The name generator to pass to INSTANTIATE_TEST_SUITE_P.
constexpr auto CaseName = [](const auto& info) { return std::string(info.param.name); };

} // namespace
