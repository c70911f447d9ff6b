#include "crawl/rowtable.h"

#include <algorithm>

RowTable::RowTable()
{
    grow();
}

void RowTable::grow()
{
    ++m_blockCount;
    m_chunks.resize(static_cast<std::size_t>(m_blockCount) * (kGrowthStep / kChunkRows));
}

std::unique_ptr<trow[]>& RowTable::makeChunk(std::unique_ptr<trow[]>& chunk)
{
    chunk = std::make_unique<trow[]>(kChunkRows);
    return chunk;
}

const trow& RowTable::untouchedRow()
{
    static const trow reset;
    return reset;
}

void RowTable::reset()
{
    for (int32_t i = 0; i < m_highWater; ++i)
        (*this)[i].reset();
    m_rowCount = 0;
    m_highWater = 0;
    m_chains.clear();
}

trow& RowTable::beginAppend()
{
    if (m_rowCount == capacity())
        grow();
    m_highWater = std::max(m_highWater, m_rowCount + 1);
    return (*this)[m_rowCount];
}

int32_t RowTable::commitAppend()
{
    const int32_t index = m_rowCount++;
    const int32_t chain = (*this)[index].ChainId;
    if (chain != 0)
        m_chains[chain].push_back(index);
    return index;
}

int32_t RowTable::chainHead(int32_t chainId) const
{
    const auto it = m_chains.find(chainId);
    return it == m_chains.end() || it->second.empty() ? -1 : it->second.front();
}

int32_t RowTable::chainCount(int32_t chainId) const
{
    const int32_t head = chainHead(chainId);
    return head < 0 ? 0 : redirectDigits((*this)[head].Redirects);
}

const std::vector<int32_t>& RowTable::chainRows(int32_t chainId) const
{
    static const std::vector<int32_t> none;
    const auto it = m_chains.find(chainId);
    return it == m_chains.end() ? none : it->second;
}

std::string incrementRedirects(const std::string& redirects)
{
    const auto blank = redirects.find(' ');
    const std::string number = redirects.substr(0, blank);
    const std::string remainder = blank == std::string::npos ? std::string() : redirects.substr(blank + 1);
    long long value = 0;
    for (char c : number) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 1'000'000'000)
            break;
    }
    return std::to_string(value + 1) + ' ' + remainder;
}

int32_t redirectDigits(const std::string& redirects)
{
    long long value = 0;
    for (char c : redirects) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (value > 2'000'000'000)
                return 2'000'000'000;
        }
    }
    return static_cast<int32_t>(value);
}
