// entry.cpp — program set-up (temporary until the host loop lands).
#include "host/entry.h"

#include <clocale>

#include "host/runtime_error.h"

int OrbelMain(int, char**) {
    InstallFaultHandlers();
    if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
    return 0;
}
