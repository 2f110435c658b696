// Cutting the program name off the process command line.
#pragma once

// The part of commandLine after the program name and the blanks behind it; points
// into commandLine, at its terminating byte when nothing follows.
const char* commandTail(const char* commandLine);
