#pragma once
// The libraries a diagram takes its styles from, in the order they were opened, and what
// changed in a library that was saved again. Qt-free.

#include "DataVertex.h"

#include "KXGR/core/KXStyles.h"

#include <memory>
#include <string>
#include <vector>

// What a library saved again changed among the styles of its previous content.
struct TKXStyleChanges {
    std::vector<std::string> Changed;  // held before and after, with other items or coordinates
    std::vector<std::string> Removed;  // held before, missing now
    bool Empty() const { return Changed.empty() && Removed.empty(); }
};

// Whether the two styles have the same name and equal items in the same order.
bool SameStyle(const TKXVertexStyle &a, const TKXVertexStyle &b);
// The styles of before that now differs in or lacks, in before's order.
TKXStyleChanges CompareLibraries(const TKXUOLibrary &before, const TKXUOLibrary &now);

class TKXStyleLibraries : public TKXStyleSource {
public:
    struct TEntry {
        std::string FileName;  // UTF-8 path as opened
        std::unique_ptr<TKXUOLibrary> Library;
    };

    // Reads the library file. A file already open is read again in its place; the previous
    // content is answered so the caller can compare (nullptr for a new file). Raises the
    // library's errors (EFOpenError, "Invalid File Format", EReadError), leaving the open
    // libraries as they were.
    std::unique_ptr<TKXUOLibrary> Open(const std::string &fileName);
    // The position of the library opened from fileName, or -1.
    int IndexOf(const std::string &fileName) const;
    const std::vector<TEntry> &Entries() const { return FEntries; }

    // The first style of that name in the libraries' order.
    const TKXVertexStyle *FindStyle(const std::string &name) const override;

private:
    std::vector<TEntry> FEntries;
};
