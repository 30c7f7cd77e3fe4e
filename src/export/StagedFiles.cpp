#include "export/StagedFiles.h"

#include "files/SaveFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tessaro {

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::span<const uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace

StagedFiles::~StagedFiles() {
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

void StagedFiles::add(const std::string& target, std::string bytes) { entries_.push_back({target, std::move(bytes)}); }

bool StagedFiles::commit(std::string& error) {
    for (const Entry& e : entries_)
        if (!prepareFolder(folderOf(e.target), error)) return false;
    std::vector<LabelledStretch> stretches;
    std::vector<FileToSave> files;
    stretches.reserve(entries_.size());
    for (const Entry& e : entries_) {
        stretches.push_back({0, e.bytes.size(), 100});
        files.push_back({e.target, bytesOf(e.bytes), {&stretches.back(), 1}});
    }
    if (const auto failure = saveFiles(files)) {
        error = exportFileError(entries_[failure->index].target, failure->error.description);
        return false;
    }
    committed_ = true;
    return true;
}

std::vector<std::string> StagedFiles::targets() const {
    std::vector<std::string> out;
    for (const Entry& e : entries_) out.push_back(e.target);
    return out;
}

std::string exportFileError(const std::string& target, const std::string& why) {
    return target + ": 書き出せません。" + why;
}

bool saveExportFile(const std::string& path, const std::string& bytes, std::string& error) {
    const LabelledStretch whole{0, bytes.size(), 100};
    if (const auto e = saveBytes(path, bytesOf(bytes), {&whole, 1})) {
        error = exportFileError(path, e->description);
        return false;
    }
    return true;
}

}  // namespace tessaro
