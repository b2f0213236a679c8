// Replacing a file through a temporary file and an atomic rename.
#include "data/replace_file.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace data_detail {
namespace {
namespace fs = std::filesystem;

#if defined(_WIN32)
fs::path NativePath(const CString& name) { return fs::path(name.str()); }  // UTF-16 both
#else
fs::path NativePath(const CString& name) { return fs::u8path(host::WideToUtf8(name.str())); }
#endif

// The file that receives the contents: a symbolic link is followed, so the
// link keeps naming the file and the new file lands in the target's folder.
CString ResolveTarget(const CString& strFile) {
    std::error_code ec;
    const fs::path path = NativePath(strFile);
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return strFile;
    const fs::path target = fs::weakly_canonical(path, ec);
    const std::string bytes = target.u8string();
    if (ec || !host::IsValidUtf8(bytes)) return strFile;  // not expressible as text: replace the link itself
    return CString(host::Utf8ToWide(bytes));
}

void RemoveQuietly(const CString& name) {
    std::error_code ec;
    fs::remove(NativePath(name), ec);
}
}  // namespace

CString TemporaryNameBeside(const CString& strFile) {
    // Random names keep two writers of the same folder apart.
    thread_local std::mt19937_64 random{std::random_device{}()};
#if defined(_WIN32)
    const int slash = std::max(strFile.ReverseFind(L'/'), strFile.ReverseFind(L'\\'));
#else
    const int slash = strFile.ReverseFind(L'/');
#endif
    CString name = strFile.Left(slash + 1);
    name.AppendFormat(L".~drovik%016llx.tmp", static_cast<unsigned long long>(random()));
    return name;
}

int ReplaceFile(const CString& strFile, const std::function<void(CFile&)>& write) {
    const CString target = ResolveTarget(strFile);
    std::error_code ec;
    const fs::file_status status = fs::status(NativePath(target), ec);
    const bool exists = !ec && fs::exists(status);
    if (exists) {
        // Respect a file that may not be written, as opening it for writing would.
        CFile probe;
        if (!probe.Open(target, CFile::modeWrite)) return 0;
        probe.Abort();
    }

    const CString temporary = TemporaryNameBeside(target);
    CFile file;
    if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite)) return 0;
    try {
        write(file);
        if (exists) fs::permissions(NativePath(temporary), status.permissions(), ec);  // best effort
        file.Close();
    } catch (...) {
        file.Abort();
        RemoveQuietly(temporary);
        throw;
    }
    try {
        CFile::Rename(temporary, target);
    } catch (CFileException* e) {
        e->Delete();
        RemoveQuietly(temporary);
        return 0;
    }
    return 1;
}

}  // namespace data_detail
