#pragma once
// FileSystem over POSIX calls.

#include "platform/FileSystem.h"

namespace quillon::platform {

class PosixFileSystem final : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    FileStamp stamp(const std::string& path) override;
    Status readFile(const std::string& path, std::string& out) override;
    Status readPieces(const std::string& path, const std::function<void(std::string_view piece)>& take) override;
    Status readTail(const std::string& path, std::size_t maxBytes, std::string& out, bool& whole) override;
    Status readLines(const std::string& path, const std::function<void(std::string_view line)>& take) override;
    Status listFolder(const std::string& folder, std::vector<FolderEntry>& out) override;
    Status copyFile(const std::string& from, const std::string& to) override;
    Status writeFile(const std::string& path, std::string_view data) override;
    Status writeFilePieces(const std::string& path, const std::function<bool(std::string& piece)>& next) override;
    Status createFile(const std::string& path, std::string_view data) override;
    Status removeFile(const std::string& path) override;
    Status renameFile(const std::string& from, const std::string& to) override;
    Status linkFile(const std::string& from, const std::string& to) override;
    Status copyAttributes(const std::string& from, const std::string& to) override;
    Status setPermissions(const std::string& path, unsigned mode) override;
    Status rewriteInPlace(const std::string& path, std::string_view data, bool& changed) override;
    std::string linkTarget(const std::string& path) override;
    Status syncDirectory(const std::string& dir) override;
    bool isOwnFile(const std::string& path) override;
    FileOwner ownerOf(const std::string& path) override;
    FolderWriters othersMayWrite(const std::string& folder) override;
    void waitForFolderWriters(const std::string& folder, int timeoutMs) override;
};

} // namespace quillon::platform
