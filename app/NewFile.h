#pragma once

#include "os/FileDescriptor.h"
#include "os/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace komiwojazer {

// Where a path leads: its directory, open, and the name in it.
struct Place {
    FileDescriptor directory;  // not open when the directory cannot be reached
    std::string directoryPath; // as the path gives it, for the names of temporary files
    std::string name;          // empty when the path ends in a slash
};

[[nodiscard]] Place placeOf(FileSystem& files, const std::string& path);

// Whether a directory lets entries be added but never removed or replaced (chattr +a).
[[nodiscard]] bool appendOnly(FileSystem& files, const Place& place);

// How one attempt at writing a file went; Again when another writer replaced the file meanwhile.
enum class Written { Yes, No, Again };

// Gives fd the mode back when writing cleared its setuid or setgid bit, as the system does when a
// file's owner writes it without privileges.
[[nodiscard]] bool keepMode(FileSystem& files, int fd, mode_t mode);

// A file being made in a place, to be written whole and then to take a name there. Where the
// system gives a file no name until it is linked (O_TMPFILE), it is written without one, so that
// not even SIGKILL can leave it behind; elsewhere it is made under a temporary name, which the
// object removes unless the file was renamed into place.
class NewFile {
public:
    // A file in the place's directory with mode, less the umask; when no unnamed file can be made,
    // a named one only if mayName.
    NewFile(FileSystem& files, const Place& place, mode_t mode, bool mayName);
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    [[nodiscard]] bool isOpen() const { return file.isOpen(); }
    [[nodiscard]] int get() const { return file.get(); }

    // The file takes the owner, group, permissions, extended attributes (access control lists
    // among them) and inode flags of the open file old; false when this user may not give it them
    // all.
    [[nodiscard]] bool carryOver(int old, const struct stat& oldStatus);
    // Writes contents and makes them durable, with the mode given back where the write cleared a
    // bit of it.
    [[nodiscard]] bool write(std::string_view contents, std::optional<mode_t> mode = std::nullopt);
    // Gives the written file the name, which holds no file; Again when another writer took it.
    [[nodiscard]] Written takeFreeName(const Place& place);
    // Puts the written file in the place of the one that holds the name.
    [[nodiscard]] Written replace(const Place& place);

private:
    Written renameInto(const Place& place);
    // Syncs the directory, once the file has its name there.
    void syncName(const Place& place);
    void discard();

    FileSystem* files;         // the layer the file is made through
    FileDescriptor file;       // the file, not open when it could not be made
    std::string temporaryPath; // set while the file has a name of its own
};

} // namespace komiwojazer
