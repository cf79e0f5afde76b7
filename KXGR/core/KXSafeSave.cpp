#include "KXGR/core/KXSafeSave.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXTypes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
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

// The temporary file of one save, open for writing. writeTo reaches it through Name: the
// named file itself, or /proc/self/fd/N for an unnamed one.
struct TTempFile {
    int Handle = -1;
    std::string Name;
    bool Named = false;
};

std::string TempPrefix(const std::string &target)
{
    const std::filesystem::path path(target);
    return (path.parent_path() / ("." + path.filename().string() + ".")).string();
}

// ".<target name>.<pid>-<counter>-<random>.tmp" beside target: the pid tells a later save
// whether the process that made the file is still alive.
std::string UniqueTempName(const std::string &target)
{
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    return TempPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-"
           + std::to_string(seed() & 0xFFFFFu) + ".tmp";
}

// Removes the named temporary files that earlier saves to target left when their process was
// killed: those whose pid names no living process.
void RemoveLeftovers(const std::string &target)
{
    const std::string prefix = std::filesystem::path(TempPrefix(target)).filename().string();
    std::string dir = std::filesystem::path(target).parent_path().string();
    if (dir.empty())
        dir = ".";
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0
            || name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::size_t digitsEnd = name.find('-', prefix.size());
        uint64_t pid = 0;
        if (digitsEnd == std::string::npos
            || !ParseDigits(std::string_view(name).substr(prefix.size(), digitsEnd - prefix.size()), 10, 0x7FFFFFFF,
                            pid)
            || pid == 0 || static_cast<pid_t>(pid) == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlink(entry.path().c_str());
    }
}

// An unnamed file in the directory of target where the file system and /proc allow it, so a
// process killed mid-save leaves no name behind; otherwise a named one. Handle is -1 when the
// directory takes no new file (errno tells why).
TTempFile CreateTempFile(const std::string &target)
{
    std::string dir = std::filesystem::path(target).parent_path().string();
    if (dir.empty())
        dir = ".";
    TTempFile temp;
    temp.Handle = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (temp.Handle >= 0) {
        temp.Name = "/proc/self/fd/" + std::to_string(temp.Handle);
        if (::access(temp.Name.c_str(), W_OK) == 0)
            return temp;
        ::close(temp.Handle);
    }
    temp.Named = true;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp.Name = UniqueTempName(target);
        temp.Handle = ::open(temp.Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temp.Handle >= 0 || errno != EEXIST)
            break;
    }
    return temp;
}

// Brings the temporary file to disk and gives it its final permission bits.
void FinishTempFile(const TTempFile &temp, const struct stat *oldTarget, const TRaiseError &raiseError)
{
    bool ok = true;
    if (oldTarget)
        ok = ::fchmod(temp.Handle, oldTarget->st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(temp.Handle) == 0;
    if (ok)
        return;
    const int error = errno;
    if (raiseError)
        raiseError(error);
    throw EWriteError(KXMessages::WriteError);
}

// Puts the finished file in place of target. An unnamed file is linked in under target itself
// when there is none yet, else under a named temporary that the rename then moves over target
// (a process killed between the two leaves that name to the next save's RemoveLeftovers).
bool PublishTempFile(TTempFile &temp, const std::string &target)
{
    if (!temp.Named) {
        if (::linkat(AT_FDCWD, temp.Name.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
        for (int attempt = 0;; ++attempt) {
            const std::string name = UniqueTempName(target);
            if (::linkat(AT_FDCWD, temp.Name.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temp.Name = name;
                temp.Named = true;
                break;
            }
            if (errno != EEXIST || attempt == 15)
                return false;
        }
    }
    return ::rename(temp.Name.c_str(), target.c_str()) == 0;
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

    RemoveLeftovers(target);
    TTempFile temp = CreateTempFile(target);
    if (temp.Handle < 0)
        RefuseTarget(fileName, errno, raiseError);

    try {
        writeTo(temp.Name);
        FinishTempFile(temp, exists ? &oldTarget : nullptr, raiseError);
        if (!PublishTempFile(temp, target))
            RefuseTarget(fileName, errno, raiseError);
    } catch (...) {
        if (temp.Named)
            ::unlink(temp.Name.c_str());
        ::close(temp.Handle);
        throw;
    }
    ::close(temp.Handle);
    SyncDirectory(target);
}
