// The text diagram reader (see RunDiagramInput).

#include "FuzzDiagram.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    RunDiagramInput(dfText, data, size);
    return 0;
}
