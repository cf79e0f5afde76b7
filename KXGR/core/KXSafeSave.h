#pragma once
// Saving that never destroys the previous file: the new content goes to a temporary file
// beside the target, which replaces the target only when every byte has reached the disk.

#include <functional>
#include <string>

// Calls writeTo with the name of a fresh, empty temporary file in the target's directory;
// writeTo creates (truncates) that file and writes the whole content to it. Afterwards the
// temporary file is flushed to disk and renamed over fileName; an existing target keeps its
// permission bits, and a symbolic link is followed so that the file it names is replaced.
// A target that may not be written, or whose directory takes no new file, is refused with
// EFCreateError "Kann Datei %s nicht erstellen" (naming fileName) before writeTo runs. A
// failed flush raises EWriteError "Stream-Write-Fehler ". A saver whose file kind reports
// failures otherwise passes raiseError, which gets the system's error number of either
// failure and throws. On any failure, writeTo's own included, the temporary file is removed,
// the target is left as it was, and the exception is passed on.
void SaveFileSafely(const std::string &fileName, const std::function<void(const std::string &tempFileName)> &writeTo,
                    const std::function<void(int systemError)> &raiseError = {});
