#include "crawl/urllists.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace {

char foldChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string trimBlanks(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = foldChar(c);
    return out;
}

bool containsNoCase(std::string_view text, std::string_view needle)
{
    if (needle.empty())
        return true;
    const auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                [](char a, char b) { return foldChar(a) == foldChar(b); });
    return it != text.end();
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && containsNoCase(text.substr(0, prefix.size()), prefix);
}

bool CaseLess::operator()(std::string_view a, std::string_view b) const
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(foldChar(a[i]));
        const auto y = static_cast<unsigned char>(foldChar(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

std::size_t CaseHash::operator()(std::string_view text) const
{
    // FNV-1a over the folded bytes.
    std::size_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(foldChar(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool CaseEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldChar(a[i]) != foldChar(b[i]))
            return false;
    }
    return true;
}

bool UrlQueue::contains(std::string_view entry) const
{
    return m_sorted.find(entry) != m_sorted.end() || m_pendingKeys.find(entry) != m_pendingKeys.end();
}

bool UrlQueue::add(const std::string& entry)
{
    if (m_pendingKeys.find(entry) != m_pendingKeys.end())
        return false;
    return m_sorted.insert(entry).second;
}

const std::string& UrlQueue::front() const
{
    return m_pending.empty() ? *m_sorted.begin() : m_pending.back();
}

std::string UrlQueue::take()
{
    if (!m_pending.empty()) {
        std::string entry = std::move(m_pending.back());
        m_pending.pop_back();
        m_pendingKeys.erase(entry);
        return entry;
    }
    auto node = m_sorted.extract(m_sorted.begin());
    return std::move(node.value());
}

void UrlQueue::clear()
{
    m_sorted.clear();
    m_pending.clear();
    m_pendingKeys.clear();
}

void UrlQueue::shuffle()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    shuffle(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void UrlQueue::shuffle(uint32_t seed)
{
    // Take order first, so that the shuffled run covers everything queued before this call.
    std::vector<std::string> order = entries();
    if (order.size() < 2)
        return;
    std::mt19937 generator(seed);
    for (std::size_t k = order.size() - 1; k >= 1; --k) {
        std::uniform_int_distribution<std::size_t> pick(0, k);
        std::swap(order[k], order[pick(generator)]);
    }
    clear();
    for (const std::string& entry : order)
        m_pendingKeys.insert(entry);
    m_pending.assign(std::make_move_iterator(order.rbegin()), std::make_move_iterator(order.rend()));
}

std::vector<std::string> UrlQueue::entries() const
{
    std::vector<std::string> out(m_pending.rbegin(), m_pending.rend());
    out.insert(out.end(), m_sorted.begin(), m_sorted.end());
    return out;
}

std::string makeHopEntry(const std::string& url, int32_t chainId)
{
    return url + '\x01' + std::to_string(chainId);
}

QueueEntry splitQueueEntry(const std::string& entry)
{
    const auto mark = entry.rfind('\x01');
    if (mark == std::string::npos)
        return {entry, false, 0};
    long long id = 0;
    for (char c : entry.substr(mark + 1)) {
        if (c < '0' || c > '9')
            break;
        id = id * 10 + (c - '0');
        if (id > 2'000'000'000)
            break;
    }
    return {entry.substr(0, mark), true, static_cast<int32_t>(id)};
}
