#include "core/ListFile.h"

#include "core/FileErrors.h"
#include "core/HostAddress.h"
#include "core/HostLine.h"
#include "core/HostName.h"

#include <cerrno>
#include <cstdio>
#include <random>

namespace quillon::core {

void ListRecordReader::line(std::string_view line)
{
    if (!m_spare)
        m_spare = std::make_unique<TRecHost>();
    else
        *m_spare = TRecHost();
    TRecHost& r = *m_spare;
    readHostLine(line, m_forcedStatus, r);
    // A name or an address that could not stand on a hosts file line (an
    // address holding "#" or a control character would make the resolver
    // read names of the line's own choosing) is no host.
    if (r.HostName.empty() || isUnsafeHostName(r.HostName) || !isHostLineAddress(r.IP))
        return;
    if (r.IP == "0")
        r.IP.clear();
    if (m_forcedStatus >= 0)
        r.Status = m_forcedStatus;
    if (m_hashes)
        m_hashes->push_back(hashIgnoreCase(r.HostName));
    m_records.push_back(std::move(m_spare));
}

RecordList parseListText(std::string_view text, std::int32_t forcedStatus, std::vector<std::uint64_t>* hashes)
{
    ListRecordReader reader(forcedStatus, hashes);
    forEachLine(text, [&](std::string_view line) { reader.line(line); });
    return reader.take();
}

platform::Status readListFileLines(platform::FileSystem& fs, const std::string& path,
                                   const std::function<void(std::string_view line)>& take)
{
    PieceLines lines(take);
    const platform::Status s = fs.readPieces(path, [&](std::string_view piece) { lines.feed(piece); });
    if (s)
        lines.finish();
    return s;
}

Outcome readListFileRecords(platform::FileSystem& fs, const std::string& path, std::int32_t forcedStatus,
                            RecordList& records, std::vector<std::uint64_t>* hashes)
{
    records.clear();
    if (hashes)
        hashes->clear();
    ListRecordReader reader(forcedStatus, hashes);
    PieceLines lines([&](std::string_view line) { reader.line(line); });
    const platform::Status s = fs.readPieces(path, [&](std::string_view piece) { lines.feed(piece); });
    if (!s) {
        if (hashes)
            hashes->clear();
        return s.code() == ENOENT ? Outcome::success() : Outcome::failure(cannotOpenFile(path, s));
    }
    lines.finish();
    records = reader.take();
    return Outcome::success();
}

Outcome readListFileText(platform::FileSystem& fs, const std::string& path, std::string& text)
{
    const platform::Status s = fs.readFile(path, text);
    if (s.isOk())
        return Outcome::success();
    text.clear();
    if (s.code() == ENOENT)
        return Outcome::success();
    return Outcome::failure(cannotOpenFile(path, s));
}

Outcome loadIntoActive(platform::FileSystem& fs, const std::string& path, HostStore& store, std::int32_t forcedStatus)
{
    std::vector<std::uint64_t> hashes;
    RecordList records;
    if (Outcome o = readListFileRecords(fs, path, forcedStatus, records, &hashes); !o)
        return o;
    HostSequence& target = forcedStatus == StatusWaiting ? store.wait() : store.hosts();
    target.appendNewNames(std::move(records), hashes);
    return Outcome::success();
}

Outcome loadIntoTrash(platform::FileSystem& fs, const std::string& path, HostStore& store)
{
    RecordList records;
    if (Outcome o = readListFileRecords(fs, path, -1, records); !o)
        return o;
    for (RecordPtr& r : records) {
        if (!isValidStatus(r->Status))
            r->Status = StatusWaiting;
    }
    store.trash().append(std::move(records));
    return Outcome::success();
}

bool ListFileText::next(std::string& piece)
{
    const std::size_t start = piece.size();
    if (m_kept && !m_headGiven) {
        m_headGiven = true;
        for (const std::string& line : m_kept->head())
            piece.append(line).append("\r\n");
    }
    for (; m_part < m_parts.size(); ++m_part, m_row = 0) {
        const HostSequence& seq = *m_parts[m_part];
        for (; m_row < seq.size(); ++m_row) {
            if (piece.size() - start >= PieceBytes)
                return true;
            const TRecHost& r = *seq.get(m_row);
            if (!m_filter.accepts(r))
                continue;
            if (m_kept) {
                if (m_kept->isSystemRecord(r))
                    continue;
                if (const std::string* line = m_kept->handWrittenLine(r)) {
                    piece.append(*line).append("\r\n");
                    continue;
                }
            }
            if (appendHostLine(piece, r, m_newStatus >= 0 ? m_newStatus : r.Status))
                piece.append("\r\n");
        }
    }
    return false;
}

std::string formatListFile(const std::vector<const HostSequence*>& parts, StatusFilter filter,
                           std::int32_t newStatus)
{
    std::size_t estimate = 0;
    for (const HostSequence* seq : parts) {
        for (const RecordPtr& r : *seq) {
            if (filter.accepts(*r))
                estimate += r->IP.size() + r->HostName.size() + r->Alias.size() + 48;
        }
    }
    std::string out;
    out.reserve(estimate);
    ListFileText text(parts, filter, newStatus);
    while (text.next(out)) {
    }
    return out;
}

void markWritten(const std::vector<HostSequence*>& parts, StatusFilter filter, std::int32_t newStatus)
{
    for (HostSequence* seq : parts) {
        bool changed = false;
        for (const RecordPtr& r : *seq) {
            if (!filter.accepts(*r) || !isWritableHostRecord(*r))
                continue;
            if (newStatus >= 0 && r->Status != newStatus) {
                r->Status = newStatus;
                changed = true;
            }
            if (r->IP.empty()) {
                r->IP.assign(1, '0'); // assign("0") trips a false -Wrestrict in g++ 12
                changed = true;
            }
        }
        if (changed && !seq->empty())
            seq->notifyChanged(0, seq->size() - 1);
    }
}

namespace {

// The written temporary file into place, the rename itself made durable:
// after a power cut the lists must not be older than a hosts file saved
// after them.
Outcome moveIntoPlace(platform::FileSystem& fs, const std::string& tmp, const std::string& path)
{
    if (platform::Status s = fs.renameFile(tmp, path); !s) {
        fs.removeFile(tmp);
        return Outcome::failure(cannotCreateFile(path, s));
    }
    fs.syncDirectory(platform::folderOf(path));
    return Outcome::success();
}

} // namespace

Outcome writeFileReplacing(platform::FileSystem& fs, const std::string& path, std::string_view text,
                           const std::string& attributesOf)
{
    const std::string tmp = path + ".tmp";
    if (platform::Status s = fs.writeFile(tmp, text); !s) {
        fs.removeFile(tmp);
        return Outcome::failure(cannotCreateFile(path, s));
    }
    if (!attributesOf.empty())
        fs.copyAttributes(attributesOf, tmp); // best effort: the text is what counts
    return moveIntoPlace(fs, tmp, path);
}

namespace {

// A name part no one else can foresee: 64 random bits in hexadecimal.
std::string unforeseeableName()
{
    std::random_device random;
    const std::uint64_t bits = (std::uint64_t { random() } << 32) ^ random();
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
    return hex;
}

// The permission bits of a new file the person saves.
constexpr unsigned ChosenFileMode = 0644;

} // namespace

Outcome writeChosenFile(platform::FileSystem& fs, const std::string& path, std::string_view text)
{
    platform::Status created = platform::Status::fromErrno(EEXIST);
    std::string tmp;
    for (int attempt = 0; attempt < 100 && created.code() == EEXIST; ++attempt) {
        tmp = path + ".quillon-" + unforeseeableName() + ".tmp";
        created = fs.createFile(tmp, text);
    }
    if (!created) {
        if (created.code() != EEXIST)
            fs.removeFile(tmp);
        return Outcome::failure(cannotCreateFile(path, created));
    }
    if (fs.fileExists(path))
        fs.copyAttributes(path, tmp);
    else
        fs.setPermissions(tmp, ChosenFileMode);
    return moveIntoPlace(fs, tmp, path);
}

Outcome writeListFile(platform::FileSystem& fs, const std::string& path, const std::vector<HostSequence*>& parts,
                      StatusFilter filter, std::int32_t newStatus)
{
    const std::string text = formatListFile({ parts.begin(), parts.end() }, filter, newStatus);
    if (Outcome o = writeChosenFile(fs, path, text); !o)
        return o;
    markWritten(parts, filter, newStatus);
    return Outcome::success();
}

Outcome loadIgnoreFile(platform::FileSystem& fs, const std::string& path, std::vector<std::string>& names)
{
    std::string text;
    if (Outcome o = readListFileText(fs, path, text); !o)
        return o;
    names.clear();
    forEachLine(text, [&](std::string_view line) {
        if (!line.empty())
            names.emplace_back(line);
    });
    return Outcome::success();
}

Outcome writeIgnoreFile(platform::FileSystem& fs, const std::string& path, const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text.append(name);
        text.append("\r\n");
    }
    return writeFileReplacing(fs, path, text);
}

} // namespace quillon::core
