#include "export/StagedFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaro {

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

StagedFiles::~StagedFiles() {
    if (!committed_)
        for (const Entry& e : entries_) std::remove(e.temp.c_str());
    if (!committed_)
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) rmdir(it->c_str());
}

bool StagedFiles::prepareFolder(const std::string& path, std::string& error) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        error = folder + ": フォルダではありません";
        return false;
    }
    // Folders missing on the way are made too, as mkdir -p does, and go again on failure.
    const std::string parent = folderOf(folder);
    if (errno == ENOENT && parent != folder && !prepareFolder(parent, error)) return false;
    if (mkdir(folder.c_str(), 0777) != 0) {
        error = folder + ": フォルダを作れませんでした（" + std::strerror(errno) + "）";
        return false;
    }
    madeFolders_.push_back(folder);
    return true;
}

std::string StagedFiles::stage(const std::string& target, std::string& error) {
    if (!prepareFolder(folderOf(target), error)) return {};
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = target + ": フォルダと同じ名前です";
        return {};
    }
    std::string temp = folderOf(target) + "/." + nameOf(target) + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = target + ": 書き込めませんでした（" + std::strerror(errno) + "）";
        return {};
    }
    close(fd);
    entries_.push_back({temp, target});
    return temp;
}

bool StagedFiles::commit(std::string& error) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        // mkstemp makes owner-only files; finished exports are ordinary files.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(e.temp.c_str(), 0666 & ~mask);
        if (std::rename(e.temp.c_str(), e.target.c_str()) != 0) {
            error = e.target + ": 書き込めませんでした（" + std::strerror(errno) + "）";
            for (size_t k = i; k < entries_.size(); ++k) std::remove(entries_[k].temp.c_str());
            committed_ = true;
            return false;
        }
    }
    committed_ = true;
    return true;
}

std::vector<std::string> StagedFiles::targets() const {
    std::vector<std::string> out;
    for (const Entry& e : entries_) out.push_back(e.target);
    return out;
}

}  // namespace tessaro
