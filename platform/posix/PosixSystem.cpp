// The host system on Linux and other POSIX systems.
#include <mntent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include "platform/Files.h"
#include "platform/Exceptions.h"
#include "platform/RegionalSettings.h"
#include "platform/System.h"

extern char** environ;

namespace quillmere {

namespace {

const std::set<std::string>& LocalDiskFileSystems() {
    static const std::set<std::string> types = {
        "ext2", "ext3", "ext4", "xfs", "btrfs", "zfs", "f2fs", "jfs", "reiserfs", "nilfs2",
        "ntfs", "ntfs3", "fuseblk", "vfat", "exfat", "hfsplus", "overlay"};
    return types;
}

const std::set<std::string>& RemoteFileSystems() {
    static const std::set<std::string> types = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "afs", "ceph",
        "glusterfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "fuse.rclone", "9p"};
    return types;
}

// Whether the block device behind a mount is removable (USB sticks, card
// readers): /sys/dev/block/MAJ:MIN/removable, or its parent disk's.
bool IsRemovableDevice(const std::string& source) {
    struct stat st {};
    if (source.rfind("/dev/", 0) != 0 || ::stat(source.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) {
        return false;
    }
    const std::string base = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                             std::to_string(minor(st.st_rdev));
    for (const std::string& path : {base + "/removable", base + "/../removable"}) {
        std::ifstream in(path);
        int flag = 0;
        if (in >> flag) {
            return flag == 1;
        }
    }
    return false;
}

DriveType ClassifyMount(const std::string& type, const std::string& source) {
    if (RemoteFileSystems().count(type)) {
        return DriveType::Remote;
    }
    if (LocalDiskFileSystems().count(type)) {
        return IsRemovableDevice(source) ? DriveType::Removable : DriveType::Fixed;
    }
    if (type == "iso9660" || type == "udf") {
        return DriveType::CdRom;
    }
    if (type == "tmpfs" || type == "ramfs") {
        return DriveType::RamDisk;
    }
    return DriveType::Unknown;
}

class PosixSystem : public System {
public:
    explicit PosixSystem(std::string workDir) : workDir_(std::move(workDir)) {}

    std::string executableDir() const override {
        if (!workDir_.empty()) {
            return WithTrailingSeparator(workDir_);
        }
        char buf[4096];
        ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) {
            return WithTrailingSeparator(".");
        }
        std::string exe(buf, static_cast<std::size_t>(n));
        return exe.substr(0, exe.find_last_of('/') + 1);
    }

    OsVersion osVersion() const override {
        utsname u{};
        OsVersion v;
        if (::uname(&u) == 0) {
            std::sscanf(u.release, "%d.%d", &v.major, &v.minor);
        }
        return v;
    }

    bool windowsPaths() const override { return false; }

    std::string registryDefaultValue(const std::string&) const override { return {}; }

    std::vector<DriveRoot> logicalDrives() const override {
        std::vector<DriveRoot> drives;
        FILE* table = ::setmntent("/proc/self/mounts", "r");
        if (!table) {
            return drives;
        }
        std::set<std::string> seen;
        mntent entry{};
        char buf[8192];
        while (::getmntent_r(table, &entry, buf, sizeof buf)) {
            const std::string dir = entry.mnt_dir;
            if (!DirectoryExists(dir) || !seen.insert(dir).second) {
                continue;  // a file bind mount, or a mount point listed again
            }
            drives.push_back({dir, ClassifyMount(entry.mnt_type, entry.mnt_fsname)});
        }
        ::endmntent(table);
        return drives;
    }

    std::tm localNow() const override {
        std::time_t now = std::time(nullptr);
        std::tm t{};
        ::localtime_r(&now, &t);
        return t;
    }

    RegionalSettings regionalSettings() const override { return RegionalSettingsFromEnvironment(); }

    void openInBrowser(const std::string& url) const override {
        // A short-lived shell starts xdg-open in the background and exits at
        // once, so the program neither waits for the browser nor leaves a
        // zombie behind. The address is passed as an argument, never parsed
        // by the shell.
        char* const argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                              const_cast<char*>("xdg-open \"$1\" </dev/null >/dev/null 2>&1 &"),
                              const_cast<char*>("sh"), const_cast<char*>(url.c_str()), nullptr};
        pid_t pid = 0;
        int rc = ::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ);
        if (rc != 0) {
            // As with a browser that does not start: the caller goes on, and
            // the address is in the log for the user.
            return;
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }

private:
    std::string workDir_;
};

}  // namespace

std::unique_ptr<System> CreateHostSystem(const std::string& workDir) {
    return std::make_unique<PosixSystem>(workDir);
}

}  // namespace quillmere
