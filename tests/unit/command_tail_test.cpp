// Cutting the program name off the command line: quoted and plain names, blanks
// and control bytes, high bytes, and double-byte characters whose trail byte is a quote.
#include <cstring>

#include "app/command_tail.h"
#include "saver_test.h"

namespace {

enum class CodePage { SingleByte, Japanese932 };

struct TailCase {
    const char* label;
    std::string line;  // may hold a NUL before bytes the scan must never reach
    CodePage codePage;
    std::string expectedTail;
};

std::ostream& operator<<(std::ostream& out, const TailCase& row) {
    return out << row.label;
}

// Bytes after an early NUL: a scan that ran past the end of the line would find this tail.
std::string withBytesPastTheEnd(const char* line) {
    return std::string(line) + '\0' + "\" /s";
}

const TailCase kTailCases[] = {
    {"empty line", "", CodePage::SingleByte, ""},
    {"program name only", "tavolin.exe", CodePage::SingleByte, ""},
    {"plain name then switch", "tavolin.exe /s", CodePage::SingleByte, "/s"},
    {"several blanks before the tail", "tavolin.exe    /p 1234", CodePage::SingleByte, "/p 1234"},
    {"trailing blanks are kept", "tavolin.exe /s  ", CodePage::SingleByte, "/s  "},
    {"blank before the name", " /s", CodePage::SingleByte, "/s"},
    {"quoted name with blanks", "\"C:\\Program Files\\Tavolin\\tavolin.exe\" /s", CodePage::SingleByte, "/s"},
    {"no blank after the closing quote", "\"C:\\Program Files\\tavolin.exe\"/s", CodePage::SingleByte, "/s"},
    {"bytes right after the closing quote start the tail", "\"a b\"x /s", CodePage::SingleByte, "x /s"},
    {"empty quotes", "\"\" /s", CodePage::SingleByte, "/s"},
    {"missing closing quote", "\"C:\\Program Files\\tavolin.exe /s", CodePage::SingleByte, ""},
    {"bytes 0x80 to 0xFF belong to a plain name", "C:\\Caf\xE9\\\xA0\xFF\x80tavolin.exe /s", CodePage::SingleByte, "/s"},
    {"tab ends a plain name", "tavolin.exe\t/s", CodePage::SingleByte, "/s"},
    {"control bytes end a plain name", "tavolin.exe\x01\x1F /s", CodePage::SingleByte, "/s"},
    {"DEL belongs to a plain name", "tavolin\x7F /s", CodePage::SingleByte, "/s"},
    {"control byte inside the tail is kept", "tavolin.exe /s\x01", CodePage::SingleByte, "/s\x01"},
    {"trail byte that is a quote does not close the name", "\"C:\\\x81\"x\\tavolin.exe\" /s", CodePage::Japanese932, "/s"},
    {"same bytes in a single byte code page close at the quote", "\"C:\\\x81\"x\\tavolin.exe\" /s", CodePage::SingleByte, "x\\tavolin.exe\" /s"},
    {"double byte character before the closing quote", "\"\x82\xA0\" /s", CodePage::Japanese932, "/s"},
    {"lead byte outside quotes is a plain byte", "\x81\" /s", CodePage::Japanese932, "/s"},
    {"lead byte at the very end of a quoted name", withBytesPastTheEnd("\"ab\x81"), CodePage::Japanese932, ""},
    {"lone lead byte in a single byte code page", withBytesPastTheEnd("\"ab\x81"), CodePage::SingleByte, ""},
    {"quoted name running to the end", withBytesPastTheEnd("\"ab"), CodePage::Japanese932, ""},
    {"plain name running to the end", withBytesPastTheEnd("tavolin.exe"), CodePage::SingleByte, ""},
};

class CommandTailTest : public SaverTest, public ::testing::WithParamInterface<TailCase> {};

TEST_P(CommandTailTest, CutsTheProgramNameOff) {
    const TailCase& row = GetParam();
    if (row.codePage == CodePage::Japanese932) {
        sim::script().leadByteRanges = sim::codePage932();
    }
    const char* line = row.line.c_str();
    const char* tail = commandTail(line);

    // The tail is always a suffix of the line as far as its terminating byte.
    const std::size_t lineLength = std::strlen(line);
    ASSERT_GE(tail, line);
    ASSERT_LE(tail, line + lineLength);
    EXPECT_EQ(static_cast<std::size_t>(tail - line), lineLength - row.expectedTail.size());
    EXPECT_EQ(std::string(tail), row.expectedTail);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandTailTest, ::testing::ValuesIn(kTailCases),
                         [](const auto& info) { return testName(info.param.label); });

}  // namespace
