// The .uol reader: load any bytes, save what was loaded (also after a failed load, which keeps
// the styles read before the fault), load that file, which must succeed, and save again: the
// two saves must be byte for byte the same.

#include "FuzzSupport.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStyles.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    static const std::string input = ScratchFile("library-in.uol");
    static const std::string first = ScratchFile("library-1.uol");
    static const std::string second = ScratchFile("library-2.uol");
    WriteBytes(input, data, size);

    TAllocationLimit limit(size);
    TKXUOLibrary library;
    try {
        library.LoadFromFile(input);
    } catch (const EKXError &) {
        // A refused file keeps the styles read completely before the fault.
    }
    library.SaveToFile(first);

    TKXUOLibrary reloaded;
    try {
        reloaded.LoadFromFile(first);
    } catch (const EKXError &e) {
        FuzzFailure(std::string("a saved library does not load: ") + e.what());
    }
    FuzzCheck(reloaded.Styles().size() == library.Styles().size(), "style count changed by a round trip");
    reloaded.SaveToFile(second);
    FuzzCheck(ReadBytes(first) == ReadBytes(second), "two saves of one library differ");
    return 0;
}
