// Writes the manual page of tunewagon-copy, made from its --help text, to standard output.

#include "cli/ArgumentParser.h"
#include "cli/ManPage.h"
#include "platform/Terminal.h"

int main() {
    tw::platform::writeStream(tw::platform::StdStream::Output,
                              tw::cli::manPage(tw::cli::usageText(), tw::cli::versionText()));
    return 0;
}
