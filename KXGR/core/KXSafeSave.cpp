#include "KXGR/core/KXSafeSave.h"

#include "KXGR/core/KXErrors.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TRaiseError = std::function<void(int systemError)>;

[[noreturn]] void RefuseTarget(const std::string &fileName, int error, const TRaiseError &raiseError)
{
    if (raiseError)
        raiseError(error);
    throw EFCreateError(KXMessages::Format(KXMessages::FCreateError, fileName));
}

// The file that is really replaced: a symbolic link's final target, else the name itself.
std::string ResolveTarget(const std::string &fileName)
{
    std::error_code error;
    if (std::filesystem::is_symlink(fileName, error)) {
        const auto resolved = std::filesystem::weakly_canonical(fileName, error);
        if (!error)
            return resolved.string();
    }
    return fileName;
}

// Creates an empty file with a name not yet in use in the directory of target and answers
// its name, or an empty name when the directory takes no new file. The permission bits
// follow the umask like those of any newly created file.
std::string CreateTempFile(const std::string &target)
{
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    const std::filesystem::path path(target);
    const std::string base = (path.parent_path() / ("." + path.filename().string() + ".")).string();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = base + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-"
                                 + std::to_string(seed() & 0xFFFFFu) + ".tmp";
        const int handle = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle >= 0) {
            ::close(handle);
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Brings the temporary file to disk and gives it its final permission bits.
void FinishTempFile(const std::string &tempName, const struct stat *oldTarget, const TRaiseError &raiseError)
{
    const int handle = ::open(tempName.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = handle >= 0;
    if (ok && oldTarget)
        ok = ::fchmod(handle, oldTarget->st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(handle) == 0;
    int error = ok ? 0 : errno;
    if (handle >= 0 && ::close(handle) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok)
        return;
    if (raiseError)
        raiseError(error);
    throw EWriteError(KXMessages::WriteError);
}

// Makes the rename itself durable; a directory that cannot be synced loses nothing written.
void SyncDirectory(const std::string &target)
{
    std::string dir = std::filesystem::path(target).parent_path().string();
    if (dir.empty())
        dir = ".";
    const int handle = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

}

void SaveFileSafely(const std::string &fileName, const std::function<void(const std::string &tempFileName)> &writeTo,
                    const TRaiseError &raiseError)
{
    const std::string target = ResolveTarget(fileName);

    struct stat oldTarget {};
    const bool exists = ::stat(target.c_str(), &oldTarget) == 0;
    if (exists && S_ISDIR(oldTarget.st_mode))
        RefuseTarget(fileName, EISDIR, raiseError);
    if (exists && ::access(target.c_str(), W_OK) != 0)
        RefuseTarget(fileName, errno, raiseError);
    if (!exists && errno != ENOENT)
        RefuseTarget(fileName, errno, raiseError);

    const std::string tempName = CreateTempFile(target);
    if (tempName.empty())
        RefuseTarget(fileName, errno, raiseError);

    try {
        writeTo(tempName);
        FinishTempFile(tempName, exists ? &oldTarget : nullptr, raiseError);
        if (::rename(tempName.c_str(), target.c_str()) != 0)
            RefuseTarget(fileName, errno, raiseError);
    } catch (...) {
        ::unlink(tempName.c_str());
        throw;
    }
    SyncDirectory(target);
}
