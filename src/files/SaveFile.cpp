#include "files/SaveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tessaro {

namespace {

constexpr int kMaxLinks = 40;
// An old file up to this size is kept in memory during an in-place write, to put back on failure.
constexpr off_t kRestoreLimit = off_t(1) << 20;

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool anyWriteBit(mode_t mode)
{
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

FileError refused(const std::string& why)
{
    return {100, 70, "アクセスが拒否されました。（" + why + "）"};
}

FileError notAFile(mode_t mode)
{
    const char* kind = S_ISFIFO(mode)  ? "名前付きパイプ"
                       : S_ISCHR(mode) ? "キャラクター型デバイス"
                       : S_ISBLK(mode) ? "ブロック型デバイス"
                       : S_ISSOCK(mode) ? "ソケット"
                                        : "特殊なファイル";
    return {100, 75, std::string("通常のファイルではないため保存できません。（") + kind + "）"};
}

// An access() refusal, told as the file's or the folder's.
FileError accessRefused(int err, const std::string& whose)
{
    if (err == EACCES || err == EPERM)
        return refused(whose);
    return ioError(100, err, true);
}

mode_t currentUmask()
{
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

bool pwriteAll(int fd, const uint8_t* data, size_t size, off_t at)
{
    while (size > 0) {
        ssize_t n = pwrite(fd, data, size, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}

// Reads exactly size bytes from `at`; false (errno EIO at a short end) otherwise.
bool preadAll(int fd, uint8_t* data, size_t size, off_t at)
{
    while (size > 0) {
        ssize_t n = pread(fd, data, size, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}

void syncFolder(const std::string& folder)
{
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)fsync(dir);
        close(dir);
    }
}

struct SavePlan {
    std::string target;  // links followed
    bool exists = false;
    struct stat st {};   // of the target, when it exists
    bool folderTakesNew = false;
};

std::optional<FileError> planSave(const std::string& path, SavePlan& plan)
{
    if (path.empty())
        return FileError{100, 52, "ファイル名が指定されていません。"};
    std::string cur = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (lstat(cur.c_str(), &st) != 0) {
            int err = errno;
            if (err == ENOENT && hops > 0)
                return FileError{100, 76, "リンク先のファイルがありません。（" + cur + "）"};
            if (err != ENOENT)
                return ioError(100, err, true);
            plan.target = cur;
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            plan.target = cur;
            plan.exists = true;
            plan.st = st;
            break;
        }
        if (hops == kMaxLinks)
            return ioError(100, ELOOP, true);
        // A link planted in a shared sticky folder must not steer the save onto someone else's file.
        struct stat dir {};
        if (stat(folderOf(cur).c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH) &&
            st.st_uid != geteuid() && st.st_uid != dir.st_uid && st.st_uid != 0)
            return refused("共有フォルダーにある他の利用者のシンボリックリンクはたどりません：" + cur);
        char buf[4096];
        ssize_t n = readlink(cur.c_str(), buf, sizeof buf);
        if (n < 0)
            return ioError(100, errno, true);
        if (static_cast<size_t>(n) == sizeof buf)
            return ioError(100, ENAMETOOLONG, true);
        std::string dest(buf, static_cast<size_t>(n));
        cur = dest.starts_with('/') ? dest : folderOf(cur) + "/" + dest;
    }

    // The permission bits bind root too: a file or folder made read-only stays so.
    if (plan.exists) {
        if (S_ISDIR(plan.st.st_mode))
            return ioError(100, EISDIR, true);
        if (!S_ISREG(plan.st.st_mode))
            return notAFile(plan.st.st_mode);
        if (!anyWriteBit(plan.st.st_mode))
            return refused("ファイルが読み取り専用です");
        if (access(plan.target.c_str(), W_OK) != 0)
            return accessRefused(errno, "ファイルに書き込む権限がありません");
    }
    const std::string folder = folderOf(plan.target);
    struct stat dir {};
    if (stat(folder.c_str(), &dir) != 0)
        return ioError(100, errno, true);
    if (!S_ISDIR(dir.st_mode))
        return ioError(100, ENOTDIR, true);
    int folderErr = 0;
    if (!anyWriteBit(dir.st_mode))
        folderErr = EACCES;
    else if (access(folder.c_str(), W_OK | X_OK) != 0)
        folderErr = errno;
    plan.folderTakesNew = folderErr == 0;
    if (!plan.exists && folderErr != 0)
        return accessRefused(folderErr, "フォルダーに書き込めません：" + folder);
    return std::nullopt;
}

// A target's bytes written to its temporary file, not yet renamed over it. The
// lock on `fd` is held until then, so no other save takes the name meanwhile.
struct Staged {
    int fd = -1;
    std::string temp;
};

enum class StageKind { Staged, Failed, InPlace };

// Opens the target's one temporary file afresh, holding a lock on it while the
// save runs: a leftover of a save cut short is removed, a running save of the
// same file is waited for by nobody but refused. -1 with errno when impossible.
int openTemp(const std::string& temp, bool& busy)
{
    busy = false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (flock(fd, LOCK_EX | LOCK_NB) == 0)
                return fd;
            close(fd);  // a save that started at the same moment has it
            continue;
        }
        if (errno != EEXIST)
            return -1;
        int old = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (old < 0) {
            (void)unlink(temp.c_str());  // a link or anything else unopenable in its place
            continue;
        }
        if (flock(old, LOCK_EX | LOCK_NB) != 0) {
            close(old);
            busy = true;
            errno = EBUSY;
            return -1;
        }
        // Unlocked: its save ended. Remove it unless a finished save has just renamed it away.
        struct stat held {}, named {};
        if (fstat(old, &held) == 0 && lstat(temp.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            (void)unlink(temp.c_str());
        close(old);
    }
    errno = EEXIST;
    return -1;
}

void dropStaged(Staged& s)
{
    if (s.fd < 0)
        return;
    (void)unlink(s.temp.c_str());
    close(s.fd);
    s.fd = -1;
}

StageKind stageTemp(const SavePlan& plan, std::span<const uint8_t> bytes, std::span<const LabelledStretch> stretches,
                    Staged& out, FileError& error)
{
    const std::string folder = folderOf(plan.target);
    std::string temp = folder + "/" + saveTempName(nameOf(plan.target));
    bool busy = false;
    int fd = openTemp(temp, busy);
    if (fd < 0 && !busy && errno == EEXIST) {
        // Another user's leftover that a sticky folder keeps: a name of the saver's own.
        temp = folder + "/" + saveTempName(nameOf(plan.target) + "~" + std::to_string(geteuid()));
        fd = openTemp(temp, busy);
    }
    if (fd < 0) {
        int err = errno;
        if (busy)
            error = {100, 75, "同じファイルを別の保存が書き込んでいます。しばらくしてからやり直してください。"};
        else if (plan.exists && (err == EACCES || err == EPERM || err == EROFS || err == EEXIST))
            return StageKind::InPlace;
        else if (err == EEXIST)
            error = {100, 75, "一時ファイルを作れません。（" + temp + "）"};
        else
            error = err == EACCES || err == EPERM ? refused("フォルダーに書き込めません：" + folder) : ioError(100, err, true);
        return StageKind::Failed;
    }
    out = {fd, temp};
    auto abandon = [&](FileError e) {
        dropStaged(out);
        error = std::move(e);
        return StageKind::Failed;
    };

    // The file keeps its owner and group; where the saver cannot give them to a new file, it is written in place.
    mode_t mode = 0666 & ~currentUmask();
    if (plan.exists) {
        struct stat mine {};
        if (fstat(fd, &mine) != 0)
            return abandon(ioError(100, errno, true));
        if ((mine.st_uid != plan.st.st_uid || mine.st_gid != plan.st.st_gid) &&
            fchown(fd, plan.st.st_uid, plan.st.st_gid) != 0) {
            dropStaged(out);
            return StageKind::InPlace;
        }
        mode = plan.st.st_mode & 07777;
    }
    if (fchmod(fd, mode) != 0)
        return abandon(ioError(100, errno, true));
    for (const LabelledStretch& s : stretches)
        if (!pwriteAll(fd, bytes.data() + s.offset, s.size, static_cast<off_t>(s.offset)))
            return abandon(ioError(s.label, errno, true));
    if (fsync(fd) != 0)
        return abandon(ioError(9990, errno, true));
    return StageKind::Staged;
}

// `kept` receives the old content when it was small enough to put back later.
std::optional<FileError> saveInPlace(const SavePlan& plan, std::span<const uint8_t> bytes,
                                     std::span<const LabelledStretch> stretches,
                                     std::optional<std::string>* kept = nullptr)
{
    int fd = open(plan.target.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return accessRefused(errno, "ファイルに書き込む権限がありません");
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != plan.st.st_dev || st.st_ino != plan.st.st_ino) {
        close(fd);
        return FileError{100, 75, "保存の途中でファイルが別のものに置き換えられました。"};
    }
    std::string old;
    const bool canRestore = st.st_size <= kRestoreLimit;
    if (canRestore) {
        old.resize(static_cast<size_t>(st.st_size));
        if (!preadAll(fd, reinterpret_cast<uint8_t*>(old.data()), old.size(), 0)) {
            int err = errno;
            close(fd);
            return ioError(100, err, false);
        }
    }
    auto fail = [&](FileError e) {
        if (canRestore) {
            (void)pwriteAll(fd, reinterpret_cast<const uint8_t*>(old.data()), old.size(), 0);
            // Best effort: the write already failed. Fortified headers reject a (void) cast here.
            if (ftruncate(fd, static_cast<off_t>(old.size())) != 0) {}
            (void)fsync(fd);
        }
        close(fd);
        return e;
    };
    for (const LabelledStretch& s : stretches)
        if (!pwriteAll(fd, bytes.data() + s.offset, s.size, static_cast<off_t>(s.offset)))
            return fail(ioError(s.label, errno, true));
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || fsync(fd) != 0)
        return fail(ioError(9990, errno, true));
    std::string back(bytes.size(), '\0');
    if (!preadAll(fd, reinterpret_cast<uint8_t*>(back.data()), back.size(), 0) ||
        std::memcmp(back.data(), bytes.data(), bytes.size()) != 0)
        return fail({9990, 57, "書き込んだ内容を読み戻して確かめられませんでした。"});
    if (close(fd) != 0)
        return ioError(9990, errno, true);
    if (kept && canRestore)
        *kept = std::move(old);
    return std::nullopt;
}

bool sameFile(const SavePlan& a, const SavePlan& b)
{
    if (a.exists && b.exists)
        return a.st.st_dev == b.st.st_dev && a.st.st_ino == b.st.st_ino;
    return a.target == b.target;
}

}  // namespace

std::string saveTempName(const std::string& fileName)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : fileName)
        hash = (hash ^ c) * 16777619u;
    size_t keep = std::min<size_t>(fileName.size(), 32);
    while (keep > 0 && keep < fileName.size() && (static_cast<unsigned char>(fileName[keep]) & 0xC0) == 0x80)
        --keep;  // not inside a UTF-8 character
    char tail[32];
    std::snprintf(tail, sizeof tail, "~%08x.tessaro-tmp", hash);
    std::string name = ".";
    name.append(fileName, 0, keep);
    name += tail;
    return name;
}

std::optional<FileError> checkSaveTarget(const std::string& path)
{
    SavePlan plan;
    return planSave(path, plan);
}

std::optional<SaveFailure> saveFiles(std::span<const FileToSave> files)
{
    // Over a file-size limit the write fails with EFBIG instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<SavePlan> plans(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (auto refusal = planSave(files[i].path, plans[i]))
            return SaveFailure{i, *refusal};
        for (size_t k = 0; k < i; ++k)
            if (sameFile(plans[k], plans[i]))
                return SaveFailure{i, {100, 75, "同じファイルに二度書き込むことになります。（" + files[k].path + "）"}};
    }

    // Every file is written beside its target before the first target is replaced.
    std::vector<Staged> staged(files.size());
    std::vector<size_t> inPlace;
    auto dropAll = [&] {
        for (Staged& s : staged)
            dropStaged(s);
    };
    for (size_t i = 0; i < files.size(); ++i) {
        const SavePlan& plan = plans[i];
        if (!plan.folderTakesNew || (plan.exists && plan.st.st_nlink != 1)) {
            inPlace.push_back(i);
            continue;
        }
        FileError error;
        switch (stageTemp(plan, files[i].bytes, files[i].stretches, staged[i], error)) {
        case StageKind::Staged: break;
        case StageKind::InPlace: inPlace.push_back(i); break;
        case StageKind::Failed: dropAll(); return SaveFailure{i, error};
        }
    }

    // Files written in place go first, as they can still fail; a failure puts back the ones before it.
    std::vector<std::optional<std::string>> old(files.size());
    auto putBackInPlace = [&](size_t count) {
        for (size_t k = 0; k < count; ++k) {
            const size_t j = inPlace[k];
            if (!old[j])
                continue;
            const auto* data = reinterpret_cast<const uint8_t*>(old[j]->data());
            const LabelledStretch whole{0, old[j]->size(), 9990};
            (void)saveInPlace(plans[j], {data, old[j]->size()}, {&whole, 1});
        }
    };
    for (size_t n = 0; n < inPlace.size(); ++n) {
        const size_t i = inPlace[n];
        if (auto e = saveInPlace(plans[i], files[i].bytes, files[i].stretches, &old[i])) {
            putBackInPlace(n);
            dropAll();
            return SaveFailure{i, *e};
        }
    }

    // An old file is swapped with its new one and stays under the temporary name
    // until every file is in place, so a rename that fails can still be undone.
    enum class Placed { No, Swapped, Renamed };
    std::vector<Placed> placed(files.size(), Placed::No);
    for (size_t i = 0; i < files.size(); ++i) {
        Staged& s = staged[i];
        if (s.fd < 0)
            continue;
        const char* temp = s.temp.c_str();
        const char* target = plans[i].target.c_str();
        if (plans[i].exists && renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_EXCHANGE) == 0) {
            placed[i] = Placed::Swapped;
            continue;
        }
        if (rename(temp, target) == 0) {  // a new name, or a file system that cannot swap
            placed[i] = Placed::Renamed;
            continue;
        }
        const FileError error = ioError(9990, errno, true);
        for (size_t k = 0; k < i; ++k) {
            if (placed[k] == Placed::Swapped &&
                renameat2(AT_FDCWD, staged[k].temp.c_str(), AT_FDCWD, plans[k].target.c_str(), RENAME_EXCHANGE) != 0) {
                close(staged[k].fd);  // the old file stays under the temporary name rather than be removed
                staged[k].fd = -1;
            } else if (placed[k] == Placed::Renamed && !plans[k].exists)
                (void)unlink(plans[k].target.c_str());
        }
        putBackInPlace(inPlace.size());
        dropAll();
        return SaveFailure{i, error};
    }
    for (size_t i = 0; i < files.size(); ++i) {
        Staged& s = staged[i];
        if (s.fd < 0)
            continue;
        struct stat left {};
        if (placed[i] == Placed::Swapped && lstat(s.temp.c_str(), &left) == 0 && left.st_dev == plans[i].st.st_dev &&
            left.st_ino == plans[i].st.st_ino)
            (void)unlink(s.temp.c_str());
        close(s.fd);
        s.fd = -1;
        syncFolder(folderOf(plans[i].target));
    }
    return std::nullopt;
}

std::optional<FileError> saveBytes(const std::string& path, std::span<const uint8_t> bytes,
                                   std::span<const LabelledStretch> stretches)
{
    const FileToSave one{path, bytes, stretches};
    if (auto failure = saveFiles({&one, 1}))
        return failure->error;
    return std::nullopt;
}

}  // namespace tessaro
