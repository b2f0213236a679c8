#pragma once
// Small helpers shared by the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "drovik/host/geometry.h"

// Compares two points coordinate by coordinate within tol.
inline ::testing::AssertionResult PointNear(const AcGePoint3d& actual, const AcGePoint3d& expected,
                                            double tol = 1e-9) {
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol &&
        std::fabs(actual.z - expected.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") is not within " << tol << " of (" << expected.x << ", "
                                         << expected.y << ", " << expected.z << ")";
}

inline AcGePoint3d P(double x, double y, double z = 0.0) { return AcGePoint3d(x, y, z); }

#include "drovik/host/mfc.h"
#include "widetext.h"

// Lets GoogleTest print CString values in failure messages.
inline void PrintTo(const CString& text, std::ostream* os) { *os << ::testing::PrintToString(text.str()); }

// A wide literal, readable in a failure message.
inline std::string Show(const wchar_t* text) { return ::testing::PrintToString(std::wstring(text ? text : L"")); }

// How often part occurs in text.
template <class C>
int CountOf(const std::basic_string<C>& text, const C* part) {
    int n = 0;
    for (auto at = text.find(part); at != std::basic_string<C>::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A wide file name as the file system's path: UTF-16 on Windows, UTF-8 elsewhere.
inline std::filesystem::path NativePath(const CString& name) {
#if defined(_WIN32)
    return std::filesystem::path(name.str());
#else
    return std::filesystem::u8path(host::WideToUtf8(name.str()));
#endif
}

// A file name in the test temporary folder that no other test process uses:
// ctest runs tests in parallel, and a shared name lets one test's clean-up
// delete another's file.
inline std::string UniqueTempPath(const std::string& name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() + "_" : "";
    return ::testing::TempDir() + "drovik_" + std::to_string(::getpid()) + "_" + test + name;
}

// The whole file; empty when it cannot be read.
inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
