#pragma once
// Saving that never destroys the previous file: the new content goes to a temporary file
// beside the target, which replaces the target only when every byte has reached the disk.

#include <functional>
#include <string>

// Calls writeTo with a name by which to open a fresh, empty temporary file in the target's
// directory; writeTo creates (truncates) that file and writes the whole content to it. Where
// the file system allows, the file has no name in the directory until it is complete (the
// name handed over is then /proc/self/fd/N), so a process killed mid-save leaves nothing
// behind; otherwise it is ".<target name>.<pid>-….tmp", and a later save to the same target
// removes such files of processes that no longer live. Afterwards the temporary file is
// flushed to disk and put in place of fileName in one step; an existing target keeps its
// permission bits, and a symbolic link is followed so that the file it names is replaced.
// A target that may not be written, or whose directory takes no new file, is refused with
// EFCreateError "Kann Datei %s nicht erstellen" (naming fileName) before writeTo runs. A
// failed flush raises EWriteError "Stream-Write-Fehler ". A saver whose file kind reports
// failures otherwise passes raiseError, which gets the system's error number of either
// failure and throws. On any failure, writeTo's own included, the temporary file is removed,
// the target is left as it was, and the exception is passed on.
void SaveFileSafely(const std::string &fileName, const std::function<void(const std::string &tempFileName)> &writeTo,
                    const std::function<void(int systemError)> &raiseError = {});
