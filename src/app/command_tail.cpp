// The program name is either quoted, with no escapes inside the quotes, or runs up
// to the first blank or control byte; what follows it, less leading blanks, is the tail.
#include "app/command_tail.h"

#include <windows.h>

namespace {

// Blanks and control bytes end an unquoted name; every byte above them, 0x80 to 0xFF
// included, belongs to it.
bool isSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Skips a quoted name, opening quote included. The trail byte of a double-byte
// character may be a quote and must not close the name; a lead byte just before
// the end of the line has no trail byte to take.
const char* skipQuotedName(const char* p) {
    for (++p; *p != '\0' && *p != '"'; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            ++p;
        }
    }
    // Past the closing quote; without one, the name ran to the end and the tail is empty.
    return *p == '"' ? p + 1 : p;
}

const char* skipPlainName(const char* p) {
    while (!isSeparator(*p)) {
        ++p;
    }
    return p;
}

}  // namespace

const char* commandTail(const char* commandLine) {
    const char* p = *commandLine == '"' ? skipQuotedName(commandLine) : skipPlainName(commandLine);
    while (*p != '\0' && isSeparator(*p)) {
        ++p;
    }
    return p;
}
