// Fuzzes the way a command line becomes a launch: the cut of the program name and
// the show-switch test behind it, under a single-byte and a double-byte code page.
//
// The first input byte picks the code page (low bit set: Shift-JIS, code page 932);
// the rest, up to the first NUL, is the command line. The line is copied into a heap
// block of exactly its size, so the sanitizer stops any read past its terminating NUL.
// Every property that fails aborts, which libFuzzer reports as a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/command_tail.h"
#include "saver/screen_saver.h"
#include "simulation.h"

namespace {

const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(0x400000);

// Written out rather than folded, so the check does not share the saver's own folding.
const char* const kShowSwitches[] = {"s", "S", "-s", "-S", "/s", "/S"};

bool isShowSwitch(const char* tail) {
    for (const char* candidate : kShowSwitches) {
        if (std::strcmp(tail, candidate) == 0) {
            return true;
        }
    }
    return false;
}

bool isSeparator(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", property);
        std::abort();
    }
}

// What lies before the tail is the program name and the separators behind it: for a
// plain name, bytes above blank, then separators; for a quoted one, the opening quote,
// anything, and a closing quote then separators, unless the line ran out first.
void checkCut(const char* line, const char* tail, bool isDoubleByte) {
    const std::size_t length = std::strlen(line);
    require(tail >= line && tail <= line + length, "the tail lies inside the line");
    require(!isSeparator(*tail), "the tail does not start with a separator");

    const char* end = tail;
    while (end > line && isSeparator(end[-1])) {
        --end;
    }
    if (*line != '"') {
        for (const char* p = line; p < end; ++p) {
            require(!isSeparator(*p), "a plain name holds no separator");
        }
        require(*tail == '\0' || end < tail, "a separator stands between a plain name and its tail");
        return;
    }
    const char* firstQuote = std::strchr(line + 1, '"');
    if (*tail != '\0') {
        require(end > line + 1 && end[-1] == '"', "a quoted name ends at a closing quote");
    }
    if (!isDoubleByte) {
        // Without lead bytes nothing hides a quote: the first one closes the name.
        require(firstQuote != nullptr ? end == firstQuote + 1 : *tail == '\0',
                "the first quote closes the name in a single-byte code page");
    } else if (*tail != '\0') {
        // A trail byte can hide a quote, never bring one forward.
        require(end - 1 >= firstQuote, "no quote before the first closes the name");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    sim::reset();
    sim::script().keepsLog = false;
    const bool isDoubleByte = (data[0] & 1) != 0;
    if (isDoubleByte) {
        sim::script().leadByteRanges = sim::codePage932();
    }

    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = strnlen(bytes, size - 1);
    const std::unique_ptr<char[]> line(new char[length + 1]);
    std::memcpy(line.get(), bytes, length);
    line[length] = '\0';

    const char* tail = commandTail(line.get());
    checkCut(line.get(), tail, isDoubleByte);

    g_activeSaver = nullptr;
    ScreenSaver saver(kInstance, tail);
    require((g_activeSaver == &saver) == isShowSwitch(tail), "the saver shows exactly for a show switch");
    g_activeSaver = nullptr;
    return 0;
}
