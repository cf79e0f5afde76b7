// The text file reader: read any bytes as lines and, in a second pass, as integers with the
// line skips of the diagram reader; write the lines and the integers, read both back (they
// must come back equal) and write again (the two files must be the same bytes).

#include "FuzzSupport.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXTextFile.h"

#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string &fileName)
{
    std::vector<std::string> lines;
    TKXTextFile file;
    file.Open(fileName);
    while (!file.Eof())
        lines.push_back(file.ReadLine());
    file.Close();
    return lines;
}

// Integers as the diagram records take them: two on a line, then the rest of it skipped.
std::vector<int32_t> ReadIntegers(const std::string &fileName)
{
    std::vector<int32_t> values;
    TKXTextFile file;
    file.Open(fileName);
    try {
        while (!file.Eof()) {
            values.push_back(file.ReadInteger());
            values.push_back(file.ReadInteger());
            file.ReadLn();
        }
    } catch (const EInOutError &) {
        // Text that is no number ends the pass; the values before it stand.
    }
    file.Close();
    return values;
}

void WriteAll(const std::string &fileName, const std::vector<std::string> &lines, const std::vector<int32_t> &values)
{
    TKXTextFile file;
    file.Create(fileName);
    for (const std::string &line : lines)
        file.WriteLine(line);
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
        file.WriteIntegers({values[i], values[i + 1]});
    file.Close();
}

}

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    static const std::string input = ScratchFile("text-in.txt");
    static const std::string first = ScratchFile("text-1.txt");
    static const std::string second = ScratchFile("text-2.txt");
    WriteBytes(input, data, size);

    TAllocationLimit limit(size);
    const std::vector<std::string> lines = ReadLines(input);
    std::vector<int32_t> values = ReadIntegers(input);
    values.resize(values.size() / 2 * 2);
    WriteAll(first, lines, values);

    // The written lines hold no line feed, so each comes back as one line; the integers follow.
    const std::vector<std::string> allLines = ReadLines(first);
    FuzzCheck(allLines.size() == lines.size() + values.size() / 2, "line count changed by a round trip");
    const std::vector<std::string> reread(allLines.begin(), allLines.begin() + static_cast<std::ptrdiff_t>(lines.size()));
    FuzzCheck(reread == lines, "a line changed by a round trip");

    TKXTextFile file;
    file.Open(first);
    for (std::size_t i = 0; i < lines.size(); ++i)
        file.ReadLn();
    for (std::size_t i = 0; i < values.size(); ++i)
        FuzzCheck(file.ReadInteger() == values[i], "an integer changed by a round trip");
    file.Close();

    WriteAll(second, reread, values);
    FuzzCheck(ReadBytes(first) == ReadBytes(second), "two writes of the same lines differ");
    return 0;
}
