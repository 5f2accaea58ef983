#include "FuzzSupport.h"

#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"
#include "platform/LineSplitter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace quillon::fuzz {

void failCheck(const char* file, int line, const char* condition, const std::string& detail)
{
    std::fprintf(stderr, "\n==== invariant broken at %s:%d\n     %s\n     %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

std::string shown(std::string_view text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7f) {
            out += ch;
        } else {
            out += "\\x";
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out + "\"";
}

std::string shown(const core::TRecHost& r)
{
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " date=%.17g freq=%d status=%d", r.Date, r.Freq, r.Status);
    return "{ip=" + shown(r.IP) + " name=" + shown(r.HostName) + " alias=" + shown(r.Alias) + numbers + "}";
}

std::vector<std::string_view> splitParts(std::string_view text, char sep, std::size_t maxParts)
{
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const auto at = text.find(sep);
        if (at == std::string_view::npos)
            break;
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    parts.push_back(text);
    return parts;
}

std::vector<std::string_view> plainLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t n = 0;
    while (n < text.size() && text[n] != '\x1a')
        ++n;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < n)
        lines.push_back(text.substr(start, n - start));
    return lines;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool sameStoredRecord(const core::TRecHost& a, const core::TRecHost& b)
{
    const auto ip = [](const std::string& s) { return s == "0" ? std::string_view() : std::string_view(s); };
    return a.HostName == b.HostName && ip(a.IP) == ip(b.IP) && a.Alias == b.Alias && a.Date == b.Date
        && a.Freq == b.Freq && a.Status == b.Status;
}

std::vector<core::TRecHost> plainRecords(std::string_view text, std::int32_t forcedStatus)
{
    std::vector<core::TRecHost> out;
    for (const std::string_view line : plainLines(text)) {
        core::TRecHost r = core::readHostLine(line, forcedStatus);
        if (r.HostName.empty() || core::isUnsafeHostName(r.HostName) || !core::isHostLineAddress(r.IP))
            continue;
        if (r.IP == "0")
            r.IP.clear();
        if (forcedStatus >= 0)
            r.Status = forcedStatus;
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<core::TRecHost> hostsListOf(const std::vector<core::TRecHost>& records, std::set<std::string>& names)
{
    std::vector<core::TRecHost> out;
    for (const core::TRecHost& r : records) {
        const bool newName = names.insert(r.HostName).second;
        const auto sameEntry = [&r](const core::TRecHost& k) { return k.HostName == r.HostName && k.IP == r.IP; };
        if (newName || (core::isPinnedAddress(r.IP) && std::none_of(out.begin(), out.end(), sameEntry)))
            out.push_back(r);
    }
    return out;
}

std::vector<core::TRecHost> waitListOf(const std::vector<core::TRecHost>& records, std::set<std::string>& names)
{
    std::vector<core::TRecHost> out;
    for (const core::TRecHost& r : records) {
        if (names.insert(r.HostName).second)
            out.push_back(r);
    }
    return out;
}

void ActiveListRule::check(const core::TRecHost& r, bool inHostsList)
{
    if (inHostsList) {
        m_hostsNames.insert(r.HostName);
        FUZZ_CHECK(m_hostsEntries.insert({ r.HostName, r.IP }).second, "an entry twice: " + shown(r));
    } else {
        FUZZ_CHECK(!m_hostsNames.count(r.HostName) && m_waitNames.insert(r.HostName).second,
                   "name twice in the active list: " + shown(r));
    }
}

std::vector<core::TRecHost> copies(const core::HostSequence& seq)
{
    std::vector<core::TRecHost> out;
    for (const core::RecordPtr& r : seq)
        out.push_back(*r);
    return out;
}

void checkSameRecords(const std::vector<core::TRecHost>& got, const std::vector<core::TRecHost>& expected,
                      const char* what)
{
    FUZZ_CHECK(got.size() == expected.size(), std::string(what) + ": " + std::to_string(got.size())
                                                  + " records, expected " + std::to_string(expected.size()));
    for (std::size_t i = 0; i < got.size(); ++i)
        FUZZ_CHECK(sameStoredRecord(got[i], expected[i]), std::string(what) + " record " + std::to_string(i) + ": "
                                                              + shown(got[i]) + " expected " + shown(expected[i]));
}

// ---- MemoryFileSystem

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::newNode(std::string_view data)
{
    auto node = std::make_shared<Node>();
    node->data.assign(data);
    node->mtimeNs = ++m_time;
    node->inode = m_nextInode++;
    return node;
}

void MemoryFileSystem::put(const std::string& path, std::string_view data)
{
    m_files[path] = newNode(data);
}

const std::string* MemoryFileSystem::contents(const std::string& path) const
{
    const auto it = m_files.find(path);
    return it == m_files.end() ? nullptr : &it->second->data;
}

bool MemoryFileSystem::fileExists(const std::string& path)
{
    return m_files.count(path) != 0;
}

platform::FileStamp MemoryFileSystem::stamp(const std::string& path)
{
    platform::FileStamp s;
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return s;
    s.exists = true;
    s.mtimeNs = it->second->mtimeNs;
    s.size = static_cast<std::int64_t>(it->second->data.size());
    s.device = 1;
    s.inode = it->second->inode;
    return s;
}

platform::Status MemoryFileSystem::readFile(const std::string& path, std::string& out)
{
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    if (unreadable.count(path))
        return platform::Status::error(EACCES, "Permission denied");
    out = it->second->data;
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::readLines(const std::string& path,
                                             const std::function<void(std::string_view)>& take)
{
    std::string text;
    if (auto s = readFile(path, text); !s)
        return s;
    platform::LineSplitter lines(take);
    lines.feed(text);
    lines.finish();
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::listFolder(const std::string&, std::vector<platform::FolderEntry>& out)
{
    out.clear();
    return platform::Status::error(ENOTDIR, "Not a directory");
}

platform::Status MemoryFileSystem::copyFile(const std::string& from, const std::string& to)
{
    std::string data;
    if (auto s = readFile(from, data); !s)
        return s;
    put(to, data);
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::writeFile(const std::string& path, std::string_view data)
{
    if (unwritable.count(path))
        return platform::Status::error(ENOSPC, "No space left on device");
    auto& node = m_files[path];
    if (node) {
        node->data.assign(data);
        node->mtimeNs = ++m_time;
    } else {
        node = newNode(data);
    }
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::createFile(const std::string& path, std::string_view data)
{
    if (m_files.count(path))
        return platform::Status::fromErrno(EEXIST);
    return writeFile(path, data);
}

platform::Status MemoryFileSystem::removeFile(const std::string& path)
{
    if (m_files.erase(path) == 0)
        return platform::Status::error(ENOENT, "No such file or directory");
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::renameFile(const std::string& from, const std::string& to)
{
    const auto it = m_files.find(from);
    if (it == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    if (from == to)
        return platform::Status::ok();
    std::shared_ptr<Node> node = it->second;
    m_files.erase(it);
    m_files[to] = std::move(node);
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::linkFile(const std::string& from, const std::string& to)
{
    const auto it = m_files.find(from);
    if (it == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    if (m_files.count(to))
        return platform::Status::error(EEXIST, "File exists");
    std::shared_ptr<Node> node = it->second;
    m_files[to] = std::move(node);
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::copyAttributes(const std::string& from, const std::string& to)
{
    const auto source = m_files.find(from);
    const auto target = m_files.find(to);
    if (source == m_files.end() || target == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    target->second->mode = source->second->mode;
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::setPermissions(const std::string& path, unsigned mode)
{
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    it->second->mode = mode & 07777;
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::rewriteInPlace(const std::string& path, std::string_view data, bool& changed)
{
    changed = false;
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return platform::Status::error(ENOENT, "No such file or directory");
    if (unwritable.count(path))
        return platform::Status::error(ENOSPC, "No space left on device");
    changed = it->second->data != data;
    it->second->data.assign(data);
    it->second->mtimeNs = ++m_time;
    return platform::Status::ok();
}

platform::Status MemoryFileSystem::syncDirectory(const std::string&)
{
    return platform::Status::ok();
}

// ---- the other doubles

void QuietShell::setInterfaceUnlocked(bool on)
{
    unlocked = on;
    ++(on ? unlocks : locks);
}

core::Answer ErrorBoxOnlyDialogs::ask(const std::string& text, core::MessageKind kind)
{
    FUZZ_CHECK(kind == core::MessageKind::Warning, "a question was asked: " + shown(text));
    errors.push_back(text);
    return core::Answer::Ok;
}

std::unique_ptr<core::UnverifiablePrompt> ErrorBoxOnlyDialogs::unverifiablePrompt(const std::string& host,
                                                                                  core::PromptVariant)
{
    failCheck(__FILE__, __LINE__, "no unverifiable-host prompt", "for " + shown(host));
}

std::unique_ptr<core::InputDialog> ErrorBoxOnlyDialogs::inputDialog(const std::string& caption, const std::string&)
{
    failCheck(__FILE__, __LINE__, "no input dialog", shown(caption));
}

std::optional<std::string> ErrorBoxOnlyDialogs::openFile(const core::FileDialogOptions& options)
{
    failCheck(__FILE__, __LINE__, "no file dialog", shown(options.title));
}

std::optional<std::string> ErrorBoxOnlyDialogs::saveFile(const core::FileDialogOptions& options)
{
    failCheck(__FILE__, __LINE__, "no file dialog", shown(options.title));
}

platform::ForwardAnswer ScriptResolver::lookupName(const std::string& name)
{
    if (name == hostName && !own.empty())
        return { own, 0 };
    return { {}, platform::ErrorHostNotFound };
}

} // namespace quillon::fuzz
