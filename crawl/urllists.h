// The URL lists of a scan: the queue of entries waiting to be fetched and the sets that keep a
// scan from fetching a URL twice. All of them compare 8-bit text without regard to ASCII case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// The text with A-Z folded to a-z; other bytes unchanged.
std::string asciiLower(std::string_view text);
// True when `text` contains `needle` with A-Z and a-z taken as equal.
bool containsNoCase(std::string_view text, std::string_view needle);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
// The text without blanks and control characters (bytes up to 32) at either end.
std::string trimBlanks(std::string_view text);

struct CaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Entries waiting to be fetched. Entry 0 is taken next; an entry equal to one already queued
// (ignoring case) is refused. New entries are kept in case-insensitive order. At the start of a
// scan shuffle() puts everything queued so far into random order, and that shuffled run is taken
// before anything queued later; duplicates are refused across both parts. Every operation is
// O(log n) or better.
class UrlQueue {
public:
    std::size_t size() const { return m_sorted.size() + m_pending.size(); }
    bool empty() const { return size() == 0; }
    bool contains(std::string_view entry) const;

    // Inserts the entry unless an equal one (ignoring case) is queued; true when inserted.
    bool add(const std::string& entry);
    // Entry 0; the queue must not be empty.
    const std::string& front() const;
    // Removes and returns entry 0; the queue must not be empty.
    std::string take();
    void clear();
    // Puts every queued entry into a random order (Fisher-Yates, generator seeded from the clock).
    void shuffle();
    void shuffle(uint32_t seed);
    // Every entry in the order they would be taken.
    std::vector<std::string> entries() const;

private:
    std::set<std::string, CaseLess> m_sorted;
    std::vector<std::string> m_pending;          // shuffled run, entry 0 at the back
    std::set<std::string, CaseLess> m_pendingKeys;
};

// Hash and equality of texts that ignore ASCII case, so that a lookup needs no folded copy.
// The hash is deliberately not noexcept: the standard library then keeps each entry's hash,
// so a lookup in a large set compares texts only on a full hash match, as with std::hash.
struct CaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct CaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// A set of URLs hashed on the case-folded text; only membership and the count are used.
class UrlSet {
public:
    bool add(std::string_view entry)
    {
        if (contains(entry))
            return false;
        m_keys.emplace(entry);
        return true;
    }
    bool contains(std::string_view entry) const { return m_keys.find(entry) != m_keys.end(); }
    std::size_t size() const { return m_keys.size(); }
    void clear() { m_keys.clear(); }

private:
    std::unordered_set<std::string, CaseHash, CaseEqual> m_keys;
};

// A queued entry split into its URL and, for a redirect hop, the chain it continues.
struct QueueEntry {
    std::string url;
    bool isHop = false;
    int32_t chainId = 0;
};

// The hop entry for a redirect target: the URL, the character with code 1, the chain id.
std::string makeHopEntry(const std::string& url, int32_t chainId);
// Splits at the last character with code 1; without one the whole entry is the URL.
QueueEntry splitQueueEntry(const std::string& entry);
