#pragma once
// The program's own identity: its version, the addresses of its home pages
// and support, and its update server.

namespace quillon::core {

// The version the update check compares with, and its text in About.
inline constexpr const char* ProgramVersion = "1.1.0";
inline constexpr const char* ProgramVersionText = "1.1.0 Free (english)";

inline constexpr const char* ProductHomePage = "https://www.quillon.org/";
inline constexpr const char* MakerHomePage = "https://www.veltrano.com/";
inline constexpr const char* SupportEmail = "support@quillon.org";

// The update check's FTP server ("host" or "host:port"); the setting
// UpdateServer replaces it.
inline constexpr const char* ProductUpdateServer = "ftp.quillon.org";

} // namespace quillon::core
