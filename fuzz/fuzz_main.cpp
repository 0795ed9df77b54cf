// One libFuzzer program per target: VETTARO_FUZZ_ENTRY names the function.
#include "fuzz/FuzzTargets.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::InitProcess();
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzz::VETTARO_FUZZ_ENTRY(data, size);
}
