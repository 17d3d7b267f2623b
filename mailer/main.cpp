#include "platform/version.h"

#include <cstdio>

int main()
{
    std::printf("Brevix %s: the statement mailer.\n"
                "This build reads statement and invoice-detail files; the main window, the\n"
                "PDF statements and the mail requests follow.\n",
                qPrintable(platform::versionText()));
    return 0;
}
