#include "core/HostSort.h"

#include "core/Interface.h"

#include <algorithm>
#include <cstdint>

namespace quillon::core {

std::string AddressSortKey(std::string_view address)
{
    auto trim = [](std::string_view s) {
        while (!s.empty() && s.front() == ' ')
            s.remove_prefix(1);
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return s;
    };
    std::string key;
    key.reserve(12);
    std::string_view rest = address;
    for (int part = 0; part < 4; ++part) {
        std::string_view piece;
        if (part < 3) {
            const auto dot = rest.find('.');
            piece = rest.substr(0, dot);
            rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
        } else {
            piece = rest; // everything after the third dot
        }
        piece = trim(piece.substr(0, 3));
        key.append(3 - piece.size(), '0');
        key.append(piece);
    }
    return key;
}

namespace {

// A text key with its first eight bytes in one number (most significant
// first, zeros after a shorter text): most comparisons end there, without
// reading the text where its record lies. Compared as unsigned bytes.
struct TextKey {
    std::uint64_t head = 0;
    std::string_view text;

    explicit TextKey(std::string_view t)
        : text(t)
    {
        for (std::size_t i = 0; i < 8; ++i)
            head = (head << 8) | (i < t.size() ? static_cast<unsigned char>(t[i]) : 0u);
    }
    bool operator<(const TextKey& other) const
    {
        if (head != other.head)
            return head < other.head;
        const std::size_t skip = std::min<std::size_t>(8, std::min(text.size(), other.text.size()));
        return text.substr(skip) < other.text.substr(skip);
    }
};

// The keys of the records, worked out once: numbers for status, date and
// frequency, texts (compared as unsigned bytes) for the others.
struct Keys {
    SortKey key;
    std::vector<double> numbers;
    std::vector<TextKey> texts;
    std::vector<std::string> ownTexts; // the address keys

    Keys(const std::vector<const TRecHost*>& records, SortKey k)
        : key(k)
    {
        const std::size_t n = records.size();
        switch (key) {
        case SortKey::Status:
        case SortKey::Date:
        case SortKey::Freq:
            numbers.reserve(n);
            for (const TRecHost* r : records)
                numbers.push_back(key == SortKey::Status ? r->Status : key == SortKey::Freq ? r->Freq : r->Date);
            break;
        case SortKey::IP:
            ownTexts.reserve(n);
            for (const TRecHost* r : records)
                ownTexts.push_back(AddressSortKey(r->IP));
            texts.reserve(n);
            for (const std::string& t : ownTexts)
                texts.emplace_back(t);
            break;
        case SortKey::HostName:
        case SortKey::Alias:
            texts.reserve(n);
            for (const TRecHost* r : records)
                texts.emplace_back(key == SortKey::HostName ? r->HostName : r->Alias);
            break;
        }
    }
    bool numeric() const { return !numbers.empty() || texts.empty(); }
};

// Sorts positions lo..hi of order (indexes into the key arrays).
template <typename Less>
void quickSort(std::vector<std::uint32_t>& order, int lo, int hi, const Less& less)
{
    // The smaller part is sorted by recursion and the larger one in this
    // loop, which keeps the stack shallow; the parts are disjoint, so the
    // result is the same as sorting both by recursion.
    while (lo < hi) {
        const std::uint32_t pivot = order[static_cast<std::size_t>((lo + hi) / 2)];
        int i = lo;
        int j = hi;
        do {
            while (less(order[static_cast<std::size_t>(i)], pivot))
                ++i;
            while (less(pivot, order[static_cast<std::size_t>(j)]))
                --j;
            if (i <= j) {
                std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j)
                quickSort(order, lo, j, less);
            lo = i;
        } else {
            if (i < hi)
                quickSort(order, i, hi, less);
            hi = j;
        }
    }
}

bool equalKeys(const TRecHost& a, const TRecHost& b, SortKey key)
{
    switch (key) {
    case SortKey::Status:
        return a.Status == b.Status;
    case SortKey::HostName:
        return a.HostName == b.HostName;
    case SortKey::Alias:
        return a.Alias == b.Alias;
    case SortKey::IP:
        return a.IP == b.IP; // the texts themselves, not their sort keys
    case SortKey::Date:
        return a.Date == b.Date;
    case SortKey::Freq:
        return a.Freq == b.Freq;
    }
    return false;
}

} // namespace

std::vector<std::uint32_t> quickSortOrder(const std::vector<const TRecHost*>& records, SortKey key)
{
    std::vector<std::uint32_t> order(records.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (records.size() < 2)
        return order;
    const Keys keys(records, key);
    const int hi = static_cast<int>(records.size()) - 1;
    if (keys.numeric())
        quickSort(order, 0, hi, [&](std::uint32_t a, std::uint32_t b) { return keys.numbers[a] < keys.numbers[b]; });
    else
        quickSort(order, 0, hi, [&](std::uint32_t a, std::uint32_t b) { return keys.texts[a] < keys.texts[b]; });
    return order;
}

void sortPage(App& app, ListPage page, SortKey key, SortDirection direction)
{
    HostSequence& seq = app.state.store.page(page);
    if (seq.size() < 2)
        return;
    app.shell.setBusyCursor(true);
    {
        InterfaceLockGuard lock(app);
        RecordList owned = seq.takeForReorder();
        std::vector<const TRecHost*> records;
        records.reserve(owned.size());
        for (const RecordPtr& r : owned)
            records.push_back(r.get());
        const std::vector<std::uint32_t> order = quickSortOrder(records, key);
        bool descending = direction == SortDirection::Descending;
        if (direction == SortDirection::Toggle)
            descending = equalKeys(*records[order.front()], *records.front(), key);
        RecordList sorted;
        sorted.reserve(owned.size());
        for (const std::uint32_t i : order)
            sorted.push_back(std::move(owned[i]));
        if (descending)
            std::reverse(sorted.begin(), sorted.end());
        seq.reorder(std::move(sorted));
        // Both host pages are shown afresh from the active list, and every
        // selection on them is lost: a selection kept on the other page
        // would stand for rows the person no longer sees as they were.
        if (page == ListPage::Trash) {
            app.shell.selectRows(pageIndex(ListPage::Trash), {});
        } else {
            app.shell.selectRows(pageIndex(ListPage::Hosts), {});
            app.shell.selectRows(pageIndex(ListPage::Wait), {});
        }
    }
    app.shell.setBusyCursor(false);
}

} // namespace quillon::core
