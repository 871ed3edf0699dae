// freshpoll: the new-version checker. Started by the main program with no arguments; it
// answers only through files in its own folder.
#include "checker/CurlGlobal.h"
#include "checker/FreshpollRun.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

#include <exception>
#include <iostream>

int main() {
    tw::platform::ignoreFileSizeSignal();
    try {
        tw::checker::CurlGlobal curl;
        tw::checker::runCheck(tw::platform::programFolder());
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << '\n';
        return 1;
    }
    return 0;
}
