#pragma once
// The files the command line reads: .uol libraries and diagrams in the binary or the text form,
// recognised by their first bytes, loaded through the library's own readers.

#include "KXGR/core/KXStyles.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Exit statuses, the same for every subcommand.
enum TCliStatus : int {
    csOk = 0,            // everything done; every input valid
    csInvalidInput = 1,  // an input file is missing, unreadable or invalid
    csUsage = 2,         // unknown subcommand or option, wrong arguments, a bad option value
    csOutputFailed = 3,  // an output file could not be written (the old one, if any, is kept)
};

// A failure that ends a subcommand with Status; Message is complete and printable.
class ECliError : public std::runtime_error {
public:
    ECliError(TCliStatus status, const std::string &message) : std::runtime_error(message), Status(status) {}
    TCliStatus Status;
};

// A library in its own form or as the text dump, a diagram in the binary or the text form.
enum TCliFileKind : uint8_t { fkLibrary, fkLibraryText, fkBinaryDiagram, fkTextDiagram };

// The kind of a file by its magic (a library dump starts with "library "); a file whose magic
// is damaged is taken by its extension (.uol, .kx, .kxt or .txt), so that the reader of that
// kind reports what is wrong. Raises ECliError csInvalidInput when neither tells, or the file
// cannot be read.
TCliFileKind RecogniseFile(const std::string &fileName);

// A loaded library or diagram.
struct TCliDocument {
    TCliFileKind Kind = fkLibrary;
    // The library itself, or for a diagram the styles its vertices were read with: those of the
    // --library file, and an empty stand-in for every style name the diagram uses and that
    // file lacks, so that no name is lost when the diagram is written again.
    TKXUOLibrary Library;
    std::unique_ptr<TKXDiagramBox> Box;   // diagrams only
    std::vector<std::string> MissingStyles;  // style names the --library file lacks, in first use order

    bool IsDiagram() const { return Kind == fkBinaryDiagram || Kind == fkTextDiagram; }
};

// Loads fileName. styles (may be null) is the library a diagram's styled vertices take their
// styles from; onGetData answers the texts of text items. Raises ECliError csInvalidInput with
// "FILE: error: MESSAGE", the reader's message followed by where it stopped.
std::unique_ptr<TCliDocument> LoadDocument(const std::string &fileName, const TKXUOLibrary *styles,
                                           const TKXGetDataEvent &onGetData = {});

// The reader's message of a failed load, made safe to print (control characters escaped),
// followed by " (at byte N)" or " (at line N)" when the reader knows where it stopped.
std::string DescribeLoadError(const std::exception &error);

// Control characters and DEL of a message escaped as \xNN, so a hostile file cannot steer
// the terminal.
std::string Printable(const std::string &text);
