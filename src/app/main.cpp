// Entry point: build the saver from the command tail, give it the company name
// to show, let it run, and end with exit code 0 whatever happened.
#include <windows.h>

#include "app/command_tail.h"
#include "content/text_item.h"
#include "saver/screen_saver.h"

namespace {

constexpr const char* kCompanyName = "Tavolin Brightwork Associates";

}  // namespace

// The start-up code of each toolchain cuts the command line its own way, so the
// tail handed in is ignored and the saver cuts the line itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ScreenSaver saver(instance, commandTail(GetCommandLineA()));
    TextItem companyName(kCompanyName);
    saver.addItem(companyName);
    saver.run();
    return 0;
}
