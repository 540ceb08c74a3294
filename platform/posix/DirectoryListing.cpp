#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillmere {

namespace {

// The kind of an entry that readdir could not type (followLinks false) or
// that is a symbolic link (followLinks true): only a link's target decides,
// so a link to a file counts as that file and a link to a directory, or to
// nothing, is never entered.
EntryKind KindByStat(int dirFd, const char* name, bool followLinks) {
    struct stat st {};
    if (::fstatat(dirFd, name, &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        return EntryKind::Other;
    }
    if (S_ISLNK(st.st_mode)) {
        return KindByStat(dirFd, name, true);
    }
    if (S_ISDIR(st.st_mode)) {
        return followLinks ? EntryKind::Other : EntryKind::Directory;
    }
    return EntryKind::File;
}

}  // namespace

std::optional<DirectoryListing> ListDirectory(const std::string& path,
                                              std::optional<VolumeId> stayOn) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (stayOn && static_cast<VolumeId>(st.st_dev) != *stayOn)) {
        ::close(fd);
        return std::nullopt;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return std::nullopt;
    }
    DirectoryListing listing;
    listing.volume = static_cast<VolumeId>(st.st_dev);
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        EntryKind kind;
        switch (e->d_type) {
            case DT_DIR:
                kind = EntryKind::Directory;
                break;
            case DT_REG:
                kind = EntryKind::File;
                break;
            case DT_LNK:
                kind = KindByStat(fd, name, true);
                break;
            case DT_UNKNOWN:
                kind = KindByStat(fd, name, false);
                break;
            default:  // fifos, sockets, devices: not directories
                kind = EntryKind::File;
                break;
        }
        listing.entries.push_back({name, kind});
    }
    ::closedir(dir);
    return listing;
}

}  // namespace quillmere
