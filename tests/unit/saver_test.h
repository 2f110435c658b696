// Common ground for the host tests: each test starts on a fresh platform with no
// saver, and the call log names the instance and window procedure it sees.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "content/saver_random.h"
#include "saver/screen_saver.h"
#include "simulation.h"

inline const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(0x400000);

using Sequence = std::vector<std::string>;

inline Sequence operator+(Sequence left, const Sequence& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// Compares a whole call sequence. On a difference it names the first differing
// index and lists both sequences in full, side by side, marking where they part.
MATCHER_P(IsSequence, expected, "is the expected sequence of " + std::to_string(expected.size()) + " entries") {
    const Sequence& actual = arg;
    if (actual == expected) {
        return true;
    }
    std::size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first]) {
        ++first;
    }
    *result_listener << "first difference at #" << first << " (expected " << expected.size()
                     << " entries, got " << actual.size() << ")\n";
    const std::size_t rows = std::max(actual.size(), expected.size());
    for (std::size_t i = 0; i < rows; ++i) {
        const std::string want = i < expected.size() ? expected[i] : "-";
        const std::string got = i < actual.size() ? actual[i] : "-";
        *result_listener << (i == first ? ">> #" : "   #") << i << "  expected: " << want << "\n"
                         << "         actual:   " << got << "\n";
    }
    return false;
}

class SaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset();
        sim::name(kInstance, "hinstance");
        sim::name(saverWindowProc, "saverWindowProc");
        g_activeSaver = nullptr;
        SaverRandom::seed(1);  // the state a new process starts with
    }
};

// GoogleTest names parameterized cases from their row; keep letters, digits and underscores.
inline std::string testName(const std::string& label) {
    std::string name;
    for (char c : label) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        name += plain ? c : '_';
    }
    return name;
}
