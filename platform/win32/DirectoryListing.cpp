// The drive scan's directory listing on Windows: FindFirstFileExW, with
// junctions and symbolic links to directories (reparse points) left
// unentered, and the volume serial number as the volume's identity.
#include "platform/DirectoryListing.h"

#include <windows.h>

#include "platform/Files.h"
#include "platform/win32/WideText.h"

namespace quillmere {

std::optional<DirectoryListing> ListDirectory(const std::string& path,
                                              std::optional<VolumeId> stayOn) {
    const std::wstring dir = win32::Wide(path);
    HANDLE handle = CreateFileW(
        dir.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return std::nullopt;
    }
    DirectoryListing listing;
    listing.volume = info.dwVolumeSerialNumber;
    if (stayOn && listing.volume != *stayOn) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW found{};
    std::wstring pattern = win32::Wide(WithTrailingSeparator(path)) + L"*";
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return listing;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        EntryKind kind = EntryKind::File;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            kind = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::Other
                                                                           : EntryKind::Directory;
        }
        listing.entries.push_back({win32::Utf8(name), kind});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return listing;
}

}  // namespace quillmere
